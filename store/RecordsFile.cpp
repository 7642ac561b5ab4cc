#include "store/RecordsFile.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "store/Fingerprint.h"
#include "store/Lines.h"

namespace gyrelle::store {

namespace {

constexpr char kHeader[] = "gyrelle records 2";
constexpr char kFirstHeader[] = "gyrelle records 1";
// A solve line with a competition scramble of 30 turns at the most, as in the history.
constexpr size_t kMostScrambleTurns = 30;
constexpr size_t kLongestLine = 100 + 3 * kMostScrambleTurns;

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
    if (word.empty() || word.find_first_not_of("0123456789.eE-") != std::string::npos) {
        return false;
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

bool date(const std::string& word, std::time_t& value) {
    std::tm utc{};
    char z = 0;
    if (word.size() != 20 ||
        std::sscanf(word.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &utc.tm_year, &utc.tm_mon,
                    &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &z) != 7) {
        return false;
    }
    utc.tm_year -= 1900;
    utc.tm_mon -= 1;
    value = timegm(&utc);
    return dateText(value) == word;  // a date the calendar has, written as we write it
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

// "<how>[ assisted][ turns]", as each line ends.
std::string howText(Scramble kind, bool assisted, const std::string& scramble) {
    std::string text = kKindName[static_cast<int>(kind)];
    if (assisted) {
        text += " assisted";
    }
    if (kind == Scramble::Competition && !scramble.empty()) {
        text += " " + scramble;
    }
    return text;
}

// The words from `at` on as <how>; false when they are no such thing.
bool how(const std::vector<std::string>& w, size_t at, Scramble& kind, bool& assisted,
         std::string& scramble) {
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
    assisted = at + 1 < w.size() && w[at + 1] == "assisted";
    scramble.clear();
    if (w.size() - (at + 1 + assisted) > kMostScrambleTurns) {
        return false;
    }
    for (size_t i = at + 1 + assisted; i < w.size(); ++i) {
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

void writeRecords(std::FILE* out, const SavedRecords& records) {
    std::fprintf(out, "%s\n", kHeader);
    for (const Solve& s : records.done) {
        std::fprintf(out, "solve %s %d %s %s\n", dateText(s.date).c_str(), s.moves,
                     secondsText(s.seconds).c_str(),
                     howText(s.kind, s.assisted, s.scramble).c_str());
    }
    const std::string h = howText(records.kind, records.assisted, records.scramble);
    if (records.phase == Solves::Phase::Scrambled) {
        std::fprintf(out, "scrambled %s %s\n", records.cube.c_str(), h.c_str());
    } else if (records.phase == Solves::Phase::Running) {
        std::fprintf(out, "solving %s %d %s %s\n", records.cube.c_str(), records.moves,
                     secondsText(records.seconds).c_str(), h.c_str());
    }
    std::fputs("end\n", out);
}

std::string recordsFileText(const SavedRecords& records) {
    char* text = nullptr;
    size_t length = 0;
    std::FILE* out = open_memstream(&text, &length);
    if (out == nullptr) {
        return {};
    }
    writeRecords(out, records);
    std::fclose(out);
    std::string copy(text, length);
    std::free(text);
    return copy;
}

Reading readRecords(std::FILE* in, SavedRecords& records) {
    LineReader lines(in, kLongestLine);
    std::string line;
    if (!lines.next(line) || (line != kHeader && line != kFirstHeader)) {
        return Reading::refused("it does not begin with \"" + std::string(kHeader) + "\"");
    }
    // Version 1 lines end where <how> would begin.
    const bool first = line == kFirstHeader;
    SavedRecords read;
    auto rest = [&](const std::vector<std::string>& w, size_t at, Scramble& kind, bool& assisted,
                    std::string& scramble) {
        return first ? w.size() == at : how(w, at, kind, assisted, scramble);
    };
    while (lines.next(line)) {
        if (line == "end") {
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
        const std::vector<std::string> w = words(line);
        Solve s;
        bool ok = read.phase == Solves::Phase::None;  // nothing follows that line but the end
        if (w[0] == "solve" && w.size() >= 4) {
            ok = ok && date(w[1], s.date) && moves(w[2], s.moves, 1) && seconds(w[3], s.seconds) &&
                 rest(w, 4, s.kind, s.assisted, s.scramble);
            read.done.push_back(s);
        } else if (w[0] == "scrambled" && w.size() >= 2) {
            ok = ok && isCubeFingerprint(w[1]) &&
                 rest(w, 2, read.kind, read.assisted, read.scramble);
            read.phase = Solves::Phase::Scrambled;
            read.cube = w[1];
        } else if (w[0] == "solving" && w.size() >= 4) {
            ok = ok && isCubeFingerprint(w[1]) && moves(w[2], read.moves, 1) &&
                 seconds(w[3], read.seconds) && rest(w, 4, read.kind, read.assisted, read.scramble);
            read.phase = Solves::Phase::Running;
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
