#include "store/RecordsFile.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

#include "cube/Notation.h"
#include "store/Fingerprint.h"
#include "store/Lines.h"

namespace gyrelle::store {

namespace {

// The first line, without its line feed.
constexpr std::string_view kHeader(kRecordsHeader, sizeof kRecordsHeader - 2);
constexpr char kFirstHeader[] = "gyrelle records 1";
// A solve line with a competition scramble of 30 turns at the most, as in the history.
constexpr size_t kLongestLine = 100 + 3 * kMostScrambleTurns;
// A timed line: its number, start and inspection, and the most turns a solve keeps, each
// as "M'@2147483647".
constexpr size_t kLongestTimedLine = 120 + 14 * Solves::kMostTimedTurns;

constexpr const char* kKindName[] = {"-", "turns", "competition", "pasted"};

bool moves(const std::string& word, int& value, int least) {
    const char* end = word.data() + word.size();
    auto [stop, error] = std::from_chars(word.data(), end, value);
    return !word.empty() && error == std::errc() && stop == end && value >= least &&
           value <= Solves::kMostMoves;
}

// Decimal digits with an optional fraction and exponent (the program never changes the
// C locale); not every C library parses floating point with from_chars.
bool seconds(const std::string& word, double& value) {
    // No sign: "-0" is no time.
    if (word.empty() || word[0] == '-' ||
        word.find_first_not_of("0123456789.eE-") != std::string::npos) {
        return false;
    }
    // As the game writes them (digits, a point, three more), a million to a file: an
    // integer over a power of ten, both exact in a double, rounds as strtod would.
    long long mantissa = 0;
    int digits = 0, decimals = -1;
    for (char c : word) {
        if (c == '.' && decimals < 0) {
            decimals = 0;
        } else if (c >= '0' && c <= '9' && digits < 15) {
            mantissa = mantissa * 10 + (c - '0');
            ++digits;
            decimals += decimals >= 0;
        } else {
            digits = -1;
            break;
        }
    }
    if (digits > 0 && decimals != 0) {
        static constexpr double kTens[] = {1,   10,  100,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        value = static_cast<double>(mantissa) / kTens[decimals < 0 ? 0 : decimals];
        return value <= Solves::kLongest;
    }
    char* stop = nullptr;
    value = std::strtod(word.c_str(), &stop);
    return stop == word.c_str() + word.size() && std::isfinite(value) && value >= 0 &&
           value <= Solves::kLongest;
}

std::string dateText(std::time_t date) {
    std::tm utc{};
    char text[32] = "";
    if (gmtime_r(&date, &utc)) {
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    }
    return text;
}

// "YYYY-MM-DDTHH:MM:SSZ", a day the calendar has, years 1000 to 9999 (as written),
// no leap second. Parsed by hand: a records file may hold a million of them.
bool date(const std::string& word, std::time_t& value) {
    if (word.size() != 20 || word[4] != '-' || word[7] != '-' || word[10] != 'T' ||
        word[13] != ':' || word[16] != ':' || word[19] != 'Z') {
        return false;
    }
    auto number = [&](size_t at, size_t digits, int& out) {
        out = 0;
        for (size_t i = at; i < at + digits; ++i) {
            if (word[i] < '0' || word[i] > '9') {
                return false;
            }
            out = out * 10 + (word[i] - '0');
        }
        return true;
    };
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
    if (!number(0, 4, y) || !number(5, 2, mo) || !number(8, 2, d) || !number(11, 2, h) ||
        !number(14, 2, mi) || !number(17, 2, sec)) {
        return false;
    }
    static constexpr int kDaysIn[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y < 1000 || mo < 1 || mo > 12 || d < 1 || d > kDaysIn[mo - 1] + (mo == 2 && leap) ||
        h > 23 || mi > 59 || sec > 59) {
        return false;
    }
    // Days since 1970-01-01 in the proleptic Gregorian calendar, counted from March so
    // that a leap day ends the year: 146097 days to 400 years, 153 to five months.
    const long yy = y - (mo <= 2);
    const long era = yy / 400, yearOfEra = yy - era * 400;
    const long dayOfYear = (153 * ((mo + 9) % 12) + 2) / 5 + d - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const long days = era * 146097 + dayOfEra - 719468;
    value = static_cast<std::time_t>(days * 86400 + h * 3600 + mi * 60 + sec);
    return true;
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

// The latest moment an inspection may have begun (seconds since 1970): the year 10000.
constexpr double kLatestMoment = 253402300800.0;

// "<how>[ shared][ assisted][ +2|dnf][ inspection <seconds since 1970>][ turns]", as each
// line ends.
std::string howText(Scramble kind, bool shared, bool assisted, Penalty penalty,
                    const std::string& scramble, double inspection = -1) {
    std::string text = kKindName[static_cast<int>(kind)];
    if (shared && kind == Scramble::Competition) {
        text += " shared";
    }
    if (assisted) {
        text += " assisted";
    }
    if (penalty != Penalty::None) {
        text += penalty == Penalty::PlusTwo ? " +2" : " dnf";
    }
    if (inspection >= 0) {
        char moment[48];
        std::snprintf(moment, sizeof moment, " inspection %.3f", inspection);
        text += moment;
    }
    if (kind == Scramble::Competition && !scramble.empty()) {
        text += " " + scramble;
    }
    return text;
}

// Digits with at most one point, up to kLatestMoment.
bool moment(const std::string& word, double& value) {
    if (word.empty() || word.find_first_not_of("0123456789.") != std::string::npos ||
        std::count(word.begin(), word.end(), '.') > 1 || word.size() > 20) {
        return false;
    }
    value = std::strtod(word.c_str(), nullptr);
    return value <= kLatestMoment;
}

// The words from `at` on as <how>; false when they are no such thing. An inspection's
// moment only where `inspection` asks for it.
bool how(const std::vector<std::string>& w, size_t at, Scramble& kind, bool& shared, bool& assisted,
         Penalty& penalty, std::string& scramble, double* inspection = nullptr) {
    if (at >= w.size()) {
        return false;
    }
    int k = 0;
    while (k < 4 && w[at] != kKindName[k]) {
        ++k;
    }
    if (k == 4) {
        return false;
    }
    kind = static_cast<Scramble>(k);
    shared = kind == Scramble::Competition && at + 1 < w.size() && w[at + 1] == "shared";
    at += shared;
    assisted = at + 1 < w.size() && w[at + 1] == "assisted";
    size_t next = at + 1 + assisted;
    penalty = Penalty::None;
    if (next < w.size() && (w[next] == "+2" || w[next] == "dnf")) {
        penalty = w[next] == "+2" ? Penalty::PlusTwo : Penalty::Dnf;
        ++next;
    }
    if (inspection) {
        *inspection = -1;
    }
    if (next < w.size() && w[next] == "inspection") {
        if (!inspection || next + 1 >= w.size() || !moment(w[next + 1], *inspection)) {
            return false;
        }
        next += 2;
    }
    scramble.clear();
    if (w.size() - next > kMostScrambleTurns) {
        return false;
    }
    for (size_t i = next; i < w.size(); ++i) {
        const std::string& t = w[i];
        if (kind != Scramble::Competition || t.empty() || t.size() > 2 ||
            std::string("URFDLB").find(t[0]) == std::string::npos ||
            (t.size() == 2 && t[1] != '2' && t[1] != '\'')) {
            return false;
        }
        scramble += (scramble.empty() ? "" : " ") + t;
    }
    return kind != Scramble::Competition || !scramble.empty();
}

}  // namespace

bool readSeconds(const std::string& word, double& value) {
    return seconds(word, value);
}
bool readDate(const std::string& word, std::time_t& value) {
    return date(word, value);
}
std::string utcDateText(std::time_t date) {
    return dateText(date);
}
std::string millisecondsText(double seconds) {
    return secondsText(seconds);
}

std::string turnsText(const SolveTurns& turns) {
    std::string text =
        turns.start + " " + (turns.inspection < 0 ? "-" : secondsText(turns.inspection));
    text.reserve(text.size() + 8 * turns.turns.size());
    gyrelle::Reading frame;
    for (const TimedTurn& t : turns.turns) {
        text += ' ';
        text += frame.text(t.code);
        text += '@';
        text += std::to_string(t.ms);
    }
    return text;
}

bool readTurns(std::string_view text, SolveTurns& turns) {
    // Read in place, not as words: ten thousand solves' lines come at every start.
    auto word = [&](std::string_view& out) {
        const size_t space = std::min(text.find(' '), text.size());
        out = text.substr(0, space);
        text.remove_prefix(std::min(space + 1, text.size()));
        return !out.empty();
    };
    std::string_view start, inspection;
    if (text.ends_with(' ') || !word(start) || !word(inspection) || start.size() != 54 ||
        start.find_first_not_of("URFDLB") != std::string_view::npos) {
        return false;
    }
    turns.start = start;
    turns.inspection = -1;
    if (inspection != "-" && !seconds(std::string(inspection), turns.inspection)) {
        return false;
    }
    turns.turns.clear();
    gyrelle::Reading frame;
    std::int32_t last = 0;
    for (std::string_view t; !text.empty();) {
        if (!word(t) || turns.turns.size() == Solves::kMostTimedTurns) {
            return false;
        }
        const size_t mark = t.find('@');
        int codes[4];
        std::int32_t ms = 0;
        const char* end = t.data() + t.size();
        if (mark == std::string_view::npos || mark + 1 == t.size() ||
            frame.codes(t.substr(0, mark), codes) != 1) {
            return false;
        }
        auto [stop, error] = std::from_chars(t.data() + mark + 1, end, ms);
        // In the order they landed: a time never goes back.
        if (error != std::errc() || stop != end || ms < last) {
            return false;
        }
        last = ms;
        turns.turns.push_back({ms, static_cast<std::int8_t>(codes[0])});
    }
    return true;
}

std::string timedLine(size_t index, const SolveTurns& turns) {
    return "timed " + std::to_string(index + 1) + " " + turnsText(turns) + "\n";
}

std::string solveLine(const Solve& s) {
    return "solve " + dateText(s.date) + " " + std::to_string(s.moves) + " " +
           secondsText(s.seconds) + " " +
           howText(s.kind, s.shared, s.assisted, s.penalty, s.scramble) + "\n";
}

std::string recordsTail(const SavedRecords& records) {
    const std::string h = howText(records.solve.kind, records.solve.shared, records.solve.assisted,
                                  records.solve.penalty, records.solve.scramble);
    const std::string timing =
        records.solve.turns ? "timing " + turnsText(*records.solve.turns) + "\n" : "";
    if (records.solve.phase == Solves::Phase::Scrambled) {
        return "scrambled " + records.cube + " " +
               howText(records.solve.kind, records.solve.shared, records.solve.assisted,
                       records.solve.penalty, records.solve.scramble,
                       records.solve.inspectionStart) +
               "\n" + timing + "end\n";
    }
    if (records.solve.phase == Solves::Phase::Running) {
        return "solving " + records.cube + " " + std::to_string(records.solve.moves) + " " +
               secondsText(records.solve.seconds) + " " + h + "\n" + timing + "end\n";
    }
    return "end\n";
}

std::string recordsFileText(const SavedRecords& records) {
    std::string text = kRecordsHeader;
    for (const Solve& s : records.done) {
        text += solveLine(s);
    }
    for (size_t i = 0; i < records.done.size(); ++i) {
        if (records.done[i].turns) {
            text += timedLine(i, *records.done[i].turns);
        }
    }
    return text + recordsTail(records);
}

void writeRecords(std::FILE* out, const SavedRecords& records) {
    const std::string text = recordsFileText(records);
    std::fwrite(text.data(), 1, text.size(), out);
}

Reading readRecords(std::FILE* in, SavedRecords& records, RecordLines* kept) {
    std::string* solveLines = kept ? &kept->solves : nullptr;
    LineReader lines(in, kLongestTimedLine);
    std::string line;
    if (!lines.next(line) || (line != kHeader && line != kFirstHeader)) {
        return Reading::refused("it does not begin with \"" + std::string(kHeader) + "\"");
    }
    // Version 1 lines end where <how> would begin.
    const bool first = line == kFirstHeader;
    SavedRecords read;
    auto rest = [&](const std::vector<std::string>& w, size_t at, Scramble& kind, bool& shared,
                    bool& assisted, Penalty& penalty, std::string& scramble,
                    double* inspection = nullptr) {
        return first ? w.size() == at
                     : how(w, at, kind, shared, assisted, penalty, scramble, inspection);
    };
    std::vector<std::string> w;
    std::string raw;  // the solve lines as they stand: a big file is not written out again
    std::vector<std::pair<size_t, std::string>> timedLines;
    size_t timedUpTo = 0;  // solves before this one can have no timed line any more
    bool timing = false;   // the timing line was read
    while (lines.next(line)) {
        const bool timedKind = line.starts_with("timed ") || line.starts_with("timing ");
        if (!timedKind && line.size() > kLongestLine) {
            return Reading::refused("line " + std::to_string(lines.number()) + " is malformed");
        }
        if (line == "end") {
            if (solveLines) {
                for (size_t i = 0; first && i < read.done.size(); ++i) {
                    raw += solveLine(read.done[i]);  // as this version writes them
                }
                *solveLines = std::move(raw);
                kept->timed = std::move(timedLines);
            }
            records = std::move(read);
            // Blank lines or zero bytes after it are nothing; text is someone's.
            std::vector<char> rest(64 * 1024);
            for (size_t n; (n = std::fread(rest.data(), 1, rest.size(), in)) > 0;) {
                for (size_t i = 0; i < n; ++i) {
                    if (rest[i] != '\0' && !std::isspace(static_cast<unsigned char>(rest[i]))) {
                        return Reading::partial("text follows its end line");
                    }
                }
            }
            return {};
        }
        if (timedKind) {
            w.resize(1);
            w[0] = line.substr(0, line.find(' '));
        } else {
            words(line, w);
        }
        Solve s;
        bool ok = read.solve.phase == Solves::Phase::None;  // nothing follows that line but the end
        size_t n = 0;
        if (w[0] == "solve" && w.size() >= 4) {
            ok = ok && timedUpTo == 0 && date(w[1], s.date) && moves(w[2], s.moves, 0) &&
                 seconds(w[3], s.seconds) &&
                 rest(w, 4, s.kind, s.shared, s.assisted, s.penalty, s.scramble);
            read.done.push_back(s);
            if (solveLines && !first) {
                raw.append(line).push_back('\n');
            }
        } else if (w[0] == "timed" && !first) {
            // After every solve line, each solve's once, in order.
            const char* number = line.data() + 6;
            const char* end = line.data() + line.size();
            auto [stop, error] = std::from_chars(number, end, n);
            auto turns = std::make_shared<SolveTurns>();
            ok = ok && error == std::errc() && stop != end && *stop == ' ' && n > timedUpTo &&
                 n <= read.done.size() && *number != '0' &&
                 readTurns(std::string_view(stop + 1, static_cast<size_t>(end - stop - 1)), *turns);
            if (ok) {
                timedUpTo = n;
                read.done[n - 1].turns = std::move(turns);
                if (solveLines) {
                    line.push_back('\n');
                    timedLines.emplace_back(n - 1, std::move(line));
                }
            }
        } else if (w[0] == "timing" && !first) {
            auto turns = std::make_shared<SolveTurns>();
            ok = read.solve.phase != Solves::Phase::None && !timing &&
                 readTurns(std::string_view(line).substr(7), *turns) &&
                 (read.solve.phase == Solves::Phase::Running ||
                  std::all_of(turns->turns.begin(), turns->turns.end(),
                              [](const TimedTurn& t) { return isWholeCube(t.code); }));
            read.solve.turns = std::move(turns);
            timing = true;
        } else if (w[0] == "scrambled" && w.size() >= 2) {
            ok = ok && isCubeFingerprint(w[1]) &&
                 rest(w, 2, read.solve.kind, read.solve.shared, read.solve.assisted,
                      read.solve.penalty, read.solve.scramble, &read.solve.inspectionStart);
            read.solve.phase = Solves::Phase::Scrambled;
            read.cube = w[1];
        } else if (w[0] == "solving" && w.size() >= 4) {
            ok = ok && isCubeFingerprint(w[1]) && moves(w[2], read.solve.moves, 1) &&
                 seconds(w[3], read.solve.seconds) &&
                 rest(w, 4, read.solve.kind, read.solve.shared, read.solve.assisted,
                      read.solve.penalty, read.solve.scramble);
            read.solve.phase = Solves::Phase::Running;
            read.cube = w[1];
        } else {
            ok = false;
        }
        if (!ok) {
            return Reading::refused("line " + std::to_string(lines.number()) + " is malformed");
        }
    }
    return Reading::refused("it is cut short");
}

}  // namespace gyrelle::store
