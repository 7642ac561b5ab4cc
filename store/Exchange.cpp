#include "store/Exchange.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <memory>
#include <set>
#include <utility>

#include "store/RecordsFile.h"

namespace gyrelle::store {

namespace {

constexpr char kHeader[] =
    "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted";
constexpr const char* kKinds[] = {"unknown", "turns", "competition", "pasted"};
// Clocks of two machines may disagree this much (seconds) before a date is the future.
constexpr std::time_t kClockSlack = 600;

std::string field(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos) {
        return s;
    }
    std::string quoted = "\"";
    for (char c : s) {
        quoted += c == '"' ? "\"\"" : std::string(1, c);
    }
    return quoted + "\"";
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// "R U2 F'": turns of the cube's faces, at most as many as a scramble keeps; the text
// with single spaces, or empty for anything else.
std::string scrambleTurns(const std::string& text) {
    std::string out;
    size_t count = 0;
    for (size_t at = 0; at < text.size();) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        size_t end = text.find(' ', at);
        end = end == std::string::npos ? text.size() : end;
        const std::string t = text.substr(at, end - at);
        if (t.size() > 2 || std::string("URFDLB").find(t[0]) == std::string::npos ||
            (t.size() == 2 && t[1] != '2' && t[1] != '\'') || ++count > kMostScrambleTurns) {
            return {};
        }
        out += (out.empty() ? "" : " ") + t;
        at = end;
    }
    return out;
}

// The line of the first byte that is not UTF-8 text (a zero byte is not text either),
// or 0 when all are.
int firstLineNotUtf8(const std::string& text) {
    int line = 1;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
        }
        if (c != 0 && c < 0x80) {
            ++i;
            continue;
        }
        const int more = c >= 0xC2 && c <= 0xDF   ? 1
                         : c >= 0xE0 && c <= 0xEF ? 2
                         : c >= 0xF0 && c <= 0xF4 ? 3
                                                  : -1;
        if (more < 0) {
            return line;
        }
        for (int k = 1; k <= more; ++k) {
            if (i + k >= text.size() || (static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) {
                return line;
            }
        }
        // Overlong forms and surrogates are not text either.
        const auto d = static_cast<unsigned char>(text[i + 1]);
        if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) || (c == 0xF0 && d < 0x90) ||
            (c == 0xF4 && d > 0x8F)) {
            return line;
        }
        i += 1 + more;
    }
    return 0;
}

std::string quoted(const std::string& s) {
    return "\"" + (s.size() > 40 ? s.substr(0, 40) + "..." : s) + "\"";
}

bool future(std::time_t date, std::time_t now) {
    return date > now + kClockSlack;
}

// --- Gyrelle's CSV ----------------------------------------------------------------------

struct Row {
    int line = 0;
    std::vector<std::string> fields;
};

// The rows from `at` on; false, with `problem`, for a quote that does not close or one
// inside an unquoted field.
bool csvRows(const std::string& text, size_t at, int line, std::vector<Row>& rows,
             std::string& problem) {
    while (at < text.size()) {
        Row row{line, {}};
        std::string f;
        bool inQuotes = false, wasQuoted = false;
        for (;; ++at) {
            const char c = at < text.size() ? text[at] : '\n';
            if (inQuotes) {
                if (at >= text.size()) {
                    problem = "line " + std::to_string(row.line) + ": a quote is not closed";
                    return false;
                }
                if (c == '"' && at + 1 < text.size() && text[at + 1] == '"') {
                    f += '"';
                    ++at;
                } else if (c == '"') {
                    inQuotes = false;
                } else {
                    line += c == '\n';
                    f += c;
                }
                continue;
            }
            if (c == '"') {
                if (!f.empty() || wasQuoted) {
                    problem = "line " + std::to_string(line) + ": a quote inside a field";
                    return false;
                }
                inQuotes = wasQuoted = true;
            } else if (c == ',') {
                row.fields.push_back(std::move(f));
                f.clear();
                wasQuoted = false;
            } else if (c == '\n' || (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')) {
                at += c == '\r' ? 2 : 1;
                ++line;
                break;
            } else {
                if (wasQuoted) {
                    problem = "line " + std::to_string(line) + ": text after a quoted field";
                    return false;
                }
                f += c;
            }
        }
        row.fields.push_back(std::move(f));
        rows.push_back(std::move(row));
    }
    return true;
}

bool csvSolve(const Row& row, std::time_t now, Solve& s, std::string& problem) {
    const std::string at = "line " + std::to_string(row.line) + ": ";
    const std::vector<std::string>& f = row.fields;
    if (f.size() != 9) {
        problem = at + std::to_string(f.size()) + " fields where there are 9";
        return false;
    }
    if (!readDate(f[0], s.date)) {
        problem = at + "the date " + quoted(f[0]) + " is not one as 2026-12-06T23:30:17Z";
        return false;
    }
    if (future(s.date, now)) {
        problem = at + "the date " + f[0] + " is in the future";
        return false;
    }
    if (!readSeconds(f[1], s.seconds)) {
        problem = at + "the time " + quoted(f[1]) + " is not a number of seconds";
        return false;
    }
    s.seconds = std::round(s.seconds * 1000) / 1000;  // kept to the millisecond, as written
    if (f[2].empty() || f[2] == "+2" || f[2] == "DNF") {
        s.penalty = f[2].empty() ? Penalty::None : f[2] == "+2" ? Penalty::PlusTwo : Penalty::Dnf;
    } else {
        problem = at + "the penalty " + quoted(f[2]) + " is not +2, DNF or nothing";
        return false;
    }
    s.moves = 0;
    if (!f[4].empty()) {
        const char* end = f[4].data() + f[4].size();
        auto [stop, error] = std::from_chars(f[4].data(), end, s.moves);
        if (error != std::errc() || stop != end || s.moves < 0 || s.moves > Solves::kMostMoves) {
            problem = at + "the moves " + quoted(f[4]) + " are not a count";
            return false;
        }
    }
    int kind = 0;
    while (kind < 4 && f[6] != kKinds[kind]) {
        ++kind;
    }
    if (kind == 4) {
        problem = at + "the scramble kind " + quoted(f[6]) +
                  " is not turns, competition, pasted or unknown";
        return false;
    }
    s.kind = static_cast<Scramble>(kind);
    s.scramble = scrambleTurns(f[7]);
    if ((s.kind == Scramble::Competition) != !s.scramble.empty() ||
        (s.kind != Scramble::Competition && !f[7].empty())) {
        problem = at + (s.kind == Scramble::Competition
                            ? "a competition scramble of at most 30 turns (R U2 F' ...) is wanted"
                            : "only a competition has a scramble's turns");
        return false;
    }
    if (f[8] != "yes" && f[8] != "no") {
        problem = at + "assisted is " + quoted(f[8]) + ", not yes or no";
        return false;
    }
    s.assisted = f[8] == "yes";
    return true;
}

// --- csTimer's export: a small JSON reader ----------------------------------------------

struct Json {
    enum class Type { Null, Bool, Number, String, Array, Object } type = Type::Null;
    double number = 0;
    std::string string;
    std::vector<Json> items;         // an array's; an object's values
    std::vector<std::string> names;  // an object's keys, in order, one a value
    int line = 1;                    // where it begins
    const Json* find(const std::string& key) const {
        for (size_t i = 0; i < names.size() && type == Type::Object; ++i) {
            if (names[i] == key) {
                return &items[i];
            }
        }
        return nullptr;
    }
};

class JsonReader {
  public:
    explicit JsonReader(const std::string& text) : t_(text) {}
    bool read(Json& value, std::string& problem) {
        if (!value_(value, 0) || (space(), at_ != t_.size())) {
            problem = "line " + std::to_string(line_) + ": " + (why_.empty() ? "not JSON" : why_);
            return false;
        }
        return true;
    }

  private:
    static constexpr int kDeepest = 64;
    void space() {
        while (at_ < t_.size() &&
               (t_[at_] == ' ' || t_[at_] == '\t' || t_[at_] == '\r' || t_[at_] == '\n')) {
            line_ += t_[at_++] == '\n';
        }
    }
    bool fail(const char* why) {
        why_ = why;
        return false;
    }
    bool literal(const char* word) {
        const std::string w(word);
        if (t_.compare(at_, w.size(), w) != 0) {
            return fail("not JSON");
        }
        at_ += w.size();
        return true;
    }
    bool string_(std::string& out) {
        ++at_;  // the opening quote
        while (at_ < t_.size() && t_[at_] != '"') {
            char c = t_[at_++];
            if (static_cast<unsigned char>(c) < 0x20) {
                return fail("a control character in a string");
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= t_.size()) {
                break;
            }
            c = t_[at_++];
            const std::string from = "\"\\/bfnrt", to = "\"\\/\b\f\n\r\t";
            if (const size_t k = from.find(c); k != std::string::npos) {
                out += to[k];
            } else if (c == 'u' && at_ + 4 <= t_.size()) {
                unsigned code = 0;
                auto [p, e] = std::from_chars(t_.data() + at_, t_.data() + at_ + 4, code, 16);
                if (e != std::errc() || p != t_.data() + at_ + 4) {
                    return fail("a bad \\u escape");
                }
                at_ += 4;
                // Scrambles and names need no more than the first plane; others as '?'.
                if (code < 0x80) {
                    out += static_cast<char>(code);
                } else if (code < 0x800) {
                    out += static_cast<char>(0xC0 | (code >> 6));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else if (code < 0xD800 || code > 0xDFFF) {
                    out += static_cast<char>(0xE0 | (code >> 12));
                    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
                    out += static_cast<char>(0x80 | (code & 0x3F));
                } else {
                    out += '?';
                }
            } else {
                return fail("a bad escape in a string");
            }
        }
        if (at_ >= t_.size()) {
            return fail("a string is not closed");
        }
        ++at_;
        return true;
    }
    bool value_(Json& v, int depth) {
        space();
        v.line = line_;
        if (at_ >= t_.size()) {
            return fail("it ends too soon");
        }
        if (depth > kDeepest) {
            return fail("nested too deep");
        }
        const char c = t_[at_];
        if (c == '{' || c == '[') {
            const bool object = c == '{';
            v.type = object ? Json::Type::Object : Json::Type::Array;
            ++at_;
            space();
            if (at_ < t_.size() && t_[at_] == (object ? '}' : ']')) {
                ++at_;
                return true;
            }
            for (;;) {
                space();
                if (object) {
                    std::string key;
                    if (at_ >= t_.size() || t_[at_] != '"' || !string_(key)) {
                        return why_.empty() ? fail("a key is wanted") : false;
                    }
                    space();
                    if (at_ >= t_.size() || t_[at_++] != ':') {
                        return fail("a ':' is wanted");
                    }
                    v.names.push_back(std::move(key));
                    v.items.emplace_back();
                    if (!value_(v.items.back(), depth + 1)) {
                        return false;
                    }
                } else {
                    v.items.emplace_back();
                    if (!value_(v.items.back(), depth + 1)) {
                        return false;
                    }
                }
                space();
                if (at_ < t_.size() && t_[at_] == ',') {
                    ++at_;
                    continue;
                }
                if (at_ < t_.size() && t_[at_] == (object ? '}' : ']')) {
                    ++at_;
                    return true;
                }
                return fail(at_ >= t_.size() ? "it ends too soon"
                            : object         ? "a ',' or '}' is wanted"
                                             : "a ',' or ']' is wanted");
            }
        }
        if (c == '"') {
            v.type = Json::Type::String;
            return string_(v.string);
        }
        if (c == 't' || c == 'f') {
            v.type = Json::Type::Bool;
            v.number = c == 't';
            return literal(c == 't' ? "true" : "false");
        }
        if (c == 'n') {
            return literal("null");
        }
        const size_t end = t_.find_first_not_of("+-0123456789.eE", at_);
        const std::string word =
            t_.substr(at_, end == std::string::npos ? std::string::npos : end - at_);
        char* stop = nullptr;
        v.type = Json::Type::Number;
        v.number = std::strtod(word.c_str(), &stop);
        if (word.empty() || stop != word.c_str() + word.size() || !std::isfinite(v.number)) {
            return fail("not JSON");
        }
        at_ += word.size();
        return true;
    }

    const std::string& t_;
    size_t at_ = 0;
    int line_ = 1;
    std::string why_;
};

// csTimer's 3x3x3 scramble types (the session's "scrType"; none is its default, 333).
bool cubeSession(const std::string& type) {
    return type.empty() || type == "333" || type == "333oh" || type == "333ft" || type == "333ni" ||
           type == "333fm" || type == "333o" || type == "333noob";
}

bool csTimer(const std::string& text, std::time_t now, Imported& out, std::string& problem) {
    Json root;
    if (!JsonReader(text).read(root, problem)) {
        return false;
    }
    if (root.type != Json::Type::Object) {
        problem = "line 1: not csTimer's export (no sessions)";
        return false;
    }
    // The sessions' names and scramble types, from the JSON text in properties.
    Json data;
    if (const Json* props = root.find("properties"); props && props->find("sessionData")) {
        const Json* d = props->find("sessionData");
        std::string ignored;
        if (d->type != Json::Type::String || !JsonReader(d->string).read(data, ignored)) {
            data = Json{};
        }
    }
    std::vector<std::pair<long, const Json*>> sessions;
    for (size_t k = 0; k < root.names.size(); ++k) {
        const std::string& key = root.names[k];
        const Json& value = root.items[k];
        long n = 0;
        auto [p, e] = std::from_chars(key.data() + std::min<size_t>(7, key.size()),
                                      key.data() + key.size(), n);
        if (key.starts_with("session") && e == std::errc() && p == key.data() + key.size()) {
            sessions.emplace_back(n, &value);
        }
    }
    if (sessions.empty()) {
        problem = "line 1: not csTimer's export (no sessions)";
        return false;
    }
    std::sort(sessions.begin(), sessions.end());
    for (const auto& [number, session] : sessions) {
        std::string name = std::to_string(number), type;
        if (const Json* about = data.find(std::to_string(number))) {
            if (const Json* n = about->find("name"); n && n->type == Json::Type::String) {
                name = n->string;
            } else if (n && n->type == Json::Type::Number) {
                name = fixed(n->number, 0);
            }
            if (const Json* opt = about->find("opt")) {
                if (const Json* t = opt->find("scrType"); t && t->type == Json::Type::String) {
                    type = t->string;
                }
            }
        }
        const std::string where = "session " + quoted(name);
        if (session->type != Json::Type::Array) {
            problem =
                "line " + std::to_string(session->line) + ": " + where + " is not a list of solves";
            return false;
        }
        if (!cubeSession(type)) {
            if (!session->items.empty()) {
                out.skipped.push_back(std::to_string(session->items.size()) + " of " + where +
                                      ", whose puzzle is not the 3x3x3 (" + type + ")");
            }
            continue;
        }
        for (size_t i = 0; i < session->items.size(); ++i) {
            const Json& j = session->items[i];
            const std::string at = "line " + std::to_string(j.line) + ": solve " +
                                   std::to_string(i + 1) + " of " + where;
            const Json* result = j.items.empty() ? nullptr : &j.items[0];
            if (j.type != Json::Type::Array || j.items.size() < 4 || !result ||
                result->type != Json::Type::Array || result->items.size() < 2 ||
                result->items[0].type != Json::Type::Number ||
                result->items[1].type != Json::Type::Number ||
                j.items[1].type != Json::Type::String || j.items[3].type != Json::Type::Number) {
                problem = at + " is not [[penalty, time], scramble, comment, date]";
                return false;
            }
            Solve s;
            const double penalty = result->items[0].number, ms = result->items[1].number;
            if (penalty != 0 && penalty != 2000 && penalty != -1) {
                problem = at + ": the penalty " + fixed(penalty, 0) + " is not 0, 2000 or -1";
                return false;
            }
            s.penalty = penalty == 0      ? Penalty::None
                        : penalty == 2000 ? Penalty::PlusTwo
                                          : Penalty::Dnf;
            if (!(ms >= 0 && ms / 1000 <= Solves::kLongest)) {
                problem = at + ": the time " + fixed(ms, 0) + " ms is not one";
                return false;
            }
            s.seconds = std::round(ms) / 1000;
            const double date = j.items[3].number;
            if (!(date >= 0 && date < 253402300800.0)) {  // before the year 10000
                problem = at + ": the date " + fixed(date, 0) + " is not one";
                return false;
            }
            s.date = static_cast<std::time_t>(date);
            if (future(s.date, now)) {
                problem = at + ": the date " + utcDateText(s.date) + " is in the future";
                return false;
            }
            s.scramble = scrambleTurns(j.items[1].string);
            s.kind = s.scramble.empty() ? Scramble::Unknown : Scramble::Competition;
            out.solves.push_back(std::move(s));
        }
    }
    out.format = "csTimer";
    return true;
}

}  // namespace

std::string recordsCsv(const std::vector<Solve>& solves) {
    std::string text = std::string(kHeader) + "\n";
    for (const Solve& s : solves) {
        const char* penalty = s.penalty == Penalty::PlusTwo ? "+2"
                              : s.penalty == Penalty::Dnf   ? "DNF"
                                                            : "";
        const std::string result = s.penalty == Penalty::Dnf ? "DNF" : millisecondsText(s.result());
        const std::string tps = s.moves > 0 && s.seconds > 0 ? fixed(s.moves / s.seconds, 2) : "";
        text += utcDateText(s.date) + "," + millisecondsText(s.seconds) + "," + penalty + "," +
                result + "," + (s.moves > 0 ? std::to_string(s.moves) : "") + "," + tps + "," +
                kKinds[static_cast<int>(s.kind)] + "," + field(s.scramble) + "," +
                (s.assisted ? "yes" : "no") + "\n";
    }
    return text;
}

bool readImport(const std::string& all, std::time_t now, Imported& out, std::string& problem) {
    out = {};
    if (long(all.size()) > kLargestImport) {
        problem = "it is larger than any records (" + std::to_string(all.size() >> 20) + " MB)";
        return false;
    }
    if (all.starts_with("\xFF\xFE") || all.starts_with("\xFE\xFF")) {
        problem = "line 1: it is UTF-16 text; save it as UTF-8";
        return false;
    }
    if (const int line = firstLineNotUtf8(all)) {
        problem = "line " + std::to_string(line) + ": it is not UTF-8 text";
        return false;
    }
    const std::string text = all.starts_with("\xEF\xBB\xBF") ? all.substr(3) : all;
    const size_t start = text.find_first_not_of(" \t\r\n");
    if (start != std::string::npos && text[start] == '{') {
        return csTimer(text, now, out, problem);
    }
    const size_t end = text.find('\n');
    std::string first = text.substr(0, end);
    if (!first.empty() && first.back() == '\r') {
        first.pop_back();
    }
    if (first != kHeader) {
        problem = "line 1: neither Gyrelle's CSV (its header) nor csTimer's export";
        return false;
    }
    std::vector<Row> rows;
    if (!csvRows(text, end == std::string::npos ? text.size() : end + 1, 2, rows, problem)) {
        return false;
    }
    for (const Row& row : rows) {
        if (row.fields.size() == 1 && row.fields[0].empty()) {
            continue;  // a blank line
        }
        Solve s;
        if (!csvSolve(row, now, s, problem)) {
            return false;
        }
        out.solves.push_back(std::move(s));
    }
    out.format = "Gyrelle CSV";
    return true;
}

Merged mergeSolves(const std::vector<Solve>& kept, const std::vector<Solve>& incoming) {
    auto key = [](const Solve& s) {
        return std::pair{s.date, static_cast<long long>(std::llround(s.seconds * 1000))};
    };
    Merged m;
    std::set<std::pair<std::time_t, long long>> keys;
    for (const Solve& s : kept) {
        keys.insert(key(s));
    }
    m.solves = kept;
    std::set<std::pair<std::time_t, long long>> taken;
    for (const Solve& s : incoming) {
        if (keys.count(key(s))) {
            ++m.alreadyKept;
        } else if (!taken.insert(key(s)).second) {
            ++m.repeated;
        } else {
            m.solves.push_back(s);
            ++m.taken;
        }
    }
    // In the order they ended; of one date, the kept ones first.
    std::stable_sort(m.solves.begin(), m.solves.end(),
                     [](const Solve& a, const Solve& b) { return a.date < b.date; });
    return m;
}

std::string importReport(const Imported& imported, const Merged& merged) {
    auto solves = [](size_t n) { return std::to_string(n) + (n == 1 ? " solve" : " solves"); };
    std::string text = "Took " + solves(merged.taken) + " (" + imported.format + ").";
    std::vector<std::string> over;
    if (merged.alreadyKept) {
        over.push_back(std::to_string(merged.alreadyKept) + " already kept");
    }
    if (merged.repeated) {
        over.push_back(std::to_string(merged.repeated) + " repeated in the file");
    }
    over.insert(over.end(), imported.skipped.begin(), imported.skipped.end());
    for (size_t i = 0; i < over.size(); ++i) {
        text += (i == 0 ? " Passed over: " : "; ") + over[i];
    }
    return text + (over.empty() ? "" : ".");
}

}  // namespace gyrelle::store
