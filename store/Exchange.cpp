#include "store/Exchange.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <utility>

#include "cube/MagicCube.h"
#include "cube/Notation.h"
#include "cube/Position.h"
#include "store/RecordsFile.h"

namespace gyrelle::store {

namespace {

constexpr char kHeader[] =
    "date,seconds,penalty,result,moves,turns_per_second,scramble_kind,scramble,assisted,"
    "timed_moves";
// As earlier versions wrote it, without the solves' turns.
constexpr std::string_view kFirstHeader(kHeader, sizeof kHeader - 1 - sizeof ",timed_moves" + 1);
constexpr const char* kKinds[] = {"unknown", "turns", "competition", "pasted"};
// Clocks of two machines may disagree this much (seconds) before a date is the future.
constexpr std::time_t kClockSlack = 600;
// A solve's row is far shorter (its scramble has 30 turns at most): a longer one is no
// solve, and is not kept in memory to find that out.
constexpr size_t kLongestRow = 4096 + 14 * Solves::kMostTimedTurns;
// No string, number or name of csTimer's export is longer (its sessions' data included).
constexpr size_t kLongestValue = 4 << 20;
// Bytes read at a time; the stop asked between two pieces.
constexpr size_t kPiece = 1 << 16;

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

// --- The bytes, as UTF-8 text ------------------------------------------------------------

// The bytes of a source one at a time, checked as they go: no more than kLargestImport
// of them, UTF-8 text (no zero byte, no UTF-16), a byte-order mark passed over; the lines
// counted. Each piece is asked `stop` before it is read.
class Bytes {
  public:
    Bytes(ImportSource& source, const std::function<bool()>& stop) : source_(source), stop_(stop) {}
    // The next byte without taking it, or -1 at the end or at a fault (problem() says).
    int peek() { return at_ < size_ || fill() ? static_cast<unsigned char>(buffer_[at_]) : -1; }
    int get() {
        const int c = peek();
        if (c >= 0) {
            ++at_;
            line_ += c == '\n';
        }
        return c;
    }
    int line() const { return line_; }
    const std::string& problem() const { return problem_; }
    bool rewind() {
        if (!source_.rewind()) {
            problem_ = "it cannot be read twice";
            return false;
        }
        at_ = size_ = 0;
        total_ = 0;
        line_ = 1;
        wrongLine_ = pending_ = 0;
        low_ = 0x80, high_ = 0xBF;
        problem_.clear();
        return true;
    }

  private:
    bool fill() {
        if (wrongLine_ > 0 && problem_.empty()) {
            problem_ = "line " + std::to_string(wrongLine_) + ": it is not UTF-8 text";
        }
        if (!problem_.empty()) {
            return false;
        }
        if (stop_ && stop_()) {
            problem_ = "the import was stopped";
            return false;
        }
        const long n = source_.read(buffer_, sizeof buffer_, problem_);
        if (n < 0) {
            return false;
        }
        at_ = 0;
        size_ = static_cast<size_t>(n);
        const bool first = total_ == 0;
        total_ += n;
        if (total_ > kLargestImport) {
            problem_ =
                "it is larger than any records (" + std::to_string(kLargestImport >> 20) + " MB)";
            return false;
        }
        if (first && size_ >= 2 &&
            (std::memcmp(buffer_, "\xFF\xFE", 2) == 0 ||
             std::memcmp(buffer_, "\xFE\xFF", 2) == 0)) {
            problem_ = "line 1: it is UTF-16 text; save it as UTF-8";
            return false;
        }
        if (first && size_ >= 3 && std::memcmp(buffer_, "\xEF\xBB\xBF", 3) == 0) {
            at_ = 3;  // a byte-order mark: nothing
        }
        // Every byte of the piece is text, or the piece ends before the first that is not.
        int line = line_;
        for (size_t i = at_; i < size_; ++i) {
            if (!text(static_cast<unsigned char>(buffer_[i]))) {
                size_ = i;
                wrongLine_ = line;
                break;
            }
            line += buffer_[i] == '\n';
        }
        if (n == 0 && pending_ > 0) {
            wrongLine_ = line;  // cut in the middle of a character
        }
        if (at_ < size_) {
            return true;
        }
        if (wrongLine_ > 0) {
            problem_ = "line " + std::to_string(wrongLine_) + ": it is not UTF-8 text";
        }
        return false;
    }
    // The UTF-8 of the bytes so far, as they come: a zero byte, overlong forms and
    // surrogates are not text either.
    bool text(unsigned char c) {
        if (pending_ > 0) {
            if (c < low_ || c > high_) {
                return false;
            }
            low_ = 0x80, high_ = 0xBF;
            --pending_;
            return true;
        }
        if (c != 0 && c < 0x80) {
            return true;
        }
        pending_ = c >= 0xC2 && c <= 0xDF   ? 1
                   : c >= 0xE0 && c <= 0xEF ? 2
                   : c >= 0xF0 && c <= 0xF4 ? 3
                                            : 0;
        low_ = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
        high_ = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
        return pending_ > 0;
    }

    ImportSource& source_;
    const std::function<bool()>& stop_;
    char buffer_[kPiece];
    size_t at_ = 0, size_ = 0;
    long total_ = 0;
    int line_ = 1;
    int wrongLine_ = 0;
    int pending_ = 0;  // continuation bytes still wanted
    unsigned char low_ = 0x80, high_ = 0xBF;
    std::string problem_;
};

// --- Gyrelle's CSV ----------------------------------------------------------------------

struct Row {
    int line = 0;
    std::vector<std::string> fields;
};

// The next row of `in` into `row` (its fields' room used again); false at the end, or
// with `problem` for a quote that does not close, one inside an unquoted field, text
// after a closing quote, or a row longer than any solve's.
bool csvRow(Bytes& in, Row& row, std::string& problem) {
    row.line = in.line();
    size_t fields = 0, bytes = 0;
    auto field = [&]() -> std::string& {
        if (fields == row.fields.size()) {
            row.fields.emplace_back();
        }
        row.fields[fields].clear();
        return row.fields[fields++];
    };
    if (in.peek() < 0) {
        return false;
    }
    std::string* f = &field();
    bool inQuotes = false, wasQuoted = false;
    for (int c; (c = in.get()) >= 0 || inQuotes;) {
        if (++bytes > kLongestRow) {
            problem = "line " + std::to_string(row.line) + ": it is longer than any solve's row";
            return false;
        }
        if (inQuotes) {
            if (c < 0) {
                if (in.problem().empty()) {
                    problem = "line " + std::to_string(row.line) + ": a quote is not closed";
                }
                return false;
            }
            if (c == '"' && in.peek() == '"') {
                *f += '"';
                in.get();
            } else if (c == '"') {
                inQuotes = false;
            } else {
                *f += static_cast<char>(c);
            }
            continue;
        }
        if (c == '"') {
            if (!f->empty() || wasQuoted) {
                problem = "line " + std::to_string(in.line()) + ": a quote inside a field";
                return false;
            }
            inQuotes = wasQuoted = true;
        } else if (c == ',') {
            f = &field();
            wasQuoted = false;
        } else if (c == '\n' || (c == '\r' && in.peek() == '\n')) {
            if (c == '\r') {
                in.get();
            }
            break;
        } else {
            if (wasQuoted) {
                problem = "line " + std::to_string(in.line()) + ": text after a quoted field";
                return false;
            }
            *f += static_cast<char>(c);
        }
    }
    row.fields.resize(fields);
    return in.problem().empty();
}

std::string quoted(const std::string& s) {
    return "\"" + (s.size() > 40 ? s.substr(0, 40) + "..." : s) + "\"";
}

bool future(std::time_t date, std::time_t now) {
    return date > now + kClockSlack;
}

bool csvSolve(const Row& row, size_t fields, std::time_t now, Solve& s, std::string& problem) {
    const std::string at = "line " + std::to_string(row.line) + ": ";
    const std::vector<std::string>& f = row.fields;
    if (f.size() != fields) {
        problem =
            at + std::to_string(f.size()) + " fields where there are " + std::to_string(fields);
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
    s.shared = f[6] == "shared";  // a competition scramble that came by an address
    const std::string kindWord = s.shared ? std::string("competition") : f[6];
    while (kind < 4 && kindWord != kKinds[kind]) {
        ++kind;
    }
    if (kind == 4) {
        problem = at + "the scramble kind " + quoted(f[6]) +
                  " is not turns, competition, shared, pasted or unknown";
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
    if (fields > 9 && !f[9].empty()) {
        auto turns = std::make_shared<SolveTurns>();
        if (!readTurns(f[9], *turns)) {
            problem = at + "the timed moves " + quoted(f[9]) +
                      " are not a position, an inspection and turns (R@0 U'@250 ...)";
            return false;
        }
        s.turns = std::move(turns);
    }
    return true;
}

// A virtual cube's solve as csTimer keeps it ("R /*0*/ U' /*250*/ ...": each turn, then the
// milliseconds when it was made) from its scramble, as turns kept with the solve; none
// for what is not such a solve of that scramble.
std::shared_ptr<const SolveTurns> timedSolution(const std::string& scramble,
                                                const std::string& text) {
    if (scramble.empty() || text.empty()) {
        return nullptr;
    }
    MagicCube cube;
    gyrelle::Reading scrambling;
    int codes[4];
    for (size_t at = 0; at < scramble.size();) {
        const size_t end = std::min(scramble.find(' ', at), scramble.size());
        const int n = scrambling.codes(std::string_view(scramble).substr(at, end - at), codes);
        for (int i = 0; i < n; ++i) {
            cube.rotateFace(codes[i]);
        }
        at = end + 1;
    }
    auto turns = std::make_shared<SolveTurns>();
    turns->start = positionCode(cube.stickers());
    gyrelle::Reading reading;
    std::int32_t ms = 0;
    size_t lastTurn = 0;  // the first code of the last turn read
    for (size_t at = 0; at < text.size();) {
        if (text[at] == ' ') {
            ++at;
            continue;
        }
        if (text.compare(at, 2, "/*") == 0) {  // the time of the turn before it
            const size_t close = text.find("*/", at + 2);
            std::int32_t t = -1;
            const char* from = text.data() + at + 2;
            auto [stop, error] =
                std::from_chars(from, text.data() + std::min(close, text.size()), t);
            if (close == std::string::npos || error != std::errc() || stop != text.data() + close ||
                t < ms) {
                return nullptr;
            }
            for (size_t i = lastTurn; i < turns->turns.size(); ++i) {
                turns->turns[i].ms = t;  // every code of that turn (R2, r) has it
            }
            ms = t;
            at = close + 2;
            continue;
        }
        const size_t end = std::min(text.find(' ', at), text.size());
        const int n = reading.codes(std::string_view(text).substr(at, end - at), codes);
        if (n == 0 || turns->turns.size() + size_t(n) > Solves::kMostTimedTurns) {
            return nullptr;
        }
        lastTurn = turns->turns.size();
        for (int i = 0; i < n; ++i) {
            turns->turns.push_back({ms, static_cast<std::int8_t>(codes[i])});
            if (!isWholeCube(codes[i])) {
                cube.rotateFace(codes[i]);
            }
        }
        at = end;
    }
    return cube.isSolved() && !turns->turns.empty() ? turns : nullptr;
}

// csTimer's 3x3x3 scramble types (the session's "scrType"; none is its default, 333).
bool cubeSession(const std::string& type) {
    return type.empty() || type == "333" || type == "333oh" || type == "333ft" || type == "333ni" ||
           type == "333fm" || type == "333o" || type == "333noob";
}

bool readCsv(Bytes& in, std::time_t now, const TakeSolve& take, std::string& problem) {
    std::string first;
    for (int c; (c = in.get()) >= 0 && c != '\n';) {
        if (first.size() > sizeof kHeader) {
            break;
        }
        first += static_cast<char>(c);
    }
    if (!first.empty() && first.back() == '\r') {
        first.pop_back();
    }
    if (first != kHeader && first != kFirstHeader) {
        problem = in.problem().empty()
                      ? "line 1: neither Gyrelle's CSV (its header) nor csTimer's export"
                      : in.problem();
        return false;
    }
    Row row;
    while (csvRow(in, row, problem)) {
        if (row.fields.size() == 1 && row.fields[0].empty()) {
            continue;  // a blank line
        }
        Solve s;
        if (!csvSolve(row, first == kHeader ? 10 : 9, now, s, problem) || !take(s, problem)) {
            return false;
        }
    }
    if (problem.empty()) {
        problem = in.problem();  // what ended the rows, if anything did
    }
    return problem.empty();
}

// --- csTimer's export, through nlohmann/json's SAX interface ------------------------------

// The bytes as nlohmann/json reads them: an input iterator over `Bytes` that ends early,
// with a problem of its own, at a string or a number longer than any csTimer writes.
class JsonBytes {
  public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    struct State {
        Bytes* in;
        bool inString = false, escaped = false;
        size_t run = 0;
        std::string problem;
    };
    JsonBytes() = default;
    explicit JsonBytes(State* s) : s_(s) {}
    char operator*() const { return static_cast<char>(s_->in->peek()); }
    JsonBytes& operator++() {
        const int c = s_->in->get();
        State& s = *s_;
        if (s.inString) {
            const bool closing = !s.escaped && c == '"';
            s.escaped = !s.escaped && c == '\\';
            s.inString = !closing;
            s.run += !closing;
        } else if (c == '"') {
            s.inString = true;
            s.run = 0;
        } else {
            const bool apart = std::strchr("{}[],: \t\r\n", c) != nullptr;
            s.run = apart ? 0 : s.run + 1;
        }
        if (s.run > kLongestValue && s.problem.empty()) {
            s.problem = "line " + std::to_string(s.in->line()) +
                        ": a value longer than any of csTimer's (" +
                        std::to_string(kLongestValue >> 20) + " MB)";
        }
        return *this;
    }
    bool operator==(const JsonBytes& other) const { return atEnd() == other.atEnd(); }
    bool operator!=(const JsonBytes& other) const { return !(*this == other); }

  private:
    bool atEnd() const { return !s_ || !s_->problem.empty() || s_->in->peek() < 0; }
    State* s_ = nullptr;
};

// The number a name of csTimer's ends in after `prefix` ("session12", "12"), or -1.
long numberAfter(const std::string& name, std::string_view prefix) {
    long n = -1;
    const char* end = name.data() + name.size();
    if (name.size() > prefix.size() && name.starts_with(prefix)) {
        if (auto [p, e] = std::from_chars(name.data() + prefix.size(), end, n);
            e != std::errc() || p != end) {
            n = -1;
        }
    }
    return n;
}

// What every handler does alike: the depth, and a parse error said as the file's line.
struct JsonHandler : nlohmann::json_sax<nlohmann::json> {
    explicit JsonHandler(JsonBytes::State& state) : state(state) {}
    JsonBytes::State& state;
    int depth = 0;
    std::string problem;  // the handler's own, which ends the reading

    bool fail(const std::string& why) {
        problem = why;
        return false;
    }
    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& e) override {
        if (problem.empty()) {
            const std::string what = e.what();
            const bool early = what.find("unexpected end of input") != std::string::npos;
            problem = "line " + std::to_string(state.in->line()) + ": " +
                      (early ? "it ends too soon" : "not JSON");
        }
        return false;
    }
    bool binary(binary_t&) override { return true; }
};

// The first reading: the sessions' names and scramble types, from the JSON text of
// "properties" / "sessionData" (a JSON object in a string, read alike).
struct SessionNames : JsonHandler {
    using JsonHandler::JsonHandler;
    struct About {
        std::string name, type;
    };
    std::map<long, About> sessions;
    std::string data;  // sessionData's text
    bool inProperties = false, wantData = false;
    std::string key1;

    bool null() override { return value(); }
    bool boolean(bool) override { return value(); }
    bool number_integer(number_integer_t) override { return value(); }
    bool number_unsigned(number_unsigned_t) override { return value(); }
    bool number_float(number_float_t, const string_t&) override { return value(); }
    bool string(string_t& s) override {
        if (wantData) {
            data = std::move(s);
        }
        return value();
    }
    bool value() {
        wantData = false;
        return true;
    }
    bool start_object(std::size_t) override {
        if (depth == 1) {
            inProperties = key1 == "properties";
        }
        wantData = false;
        ++depth;
        return true;
    }
    bool key(string_t& k) override {
        if (depth == 1) {
            key1 = k;
        }
        wantData = depth == 2 && inProperties && k == "sessionData";
        return true;
    }
    bool end_object() override {
        --depth;
        inProperties = inProperties && depth > 1;
        return true;
    }
    bool start_array(std::size_t) override {
        wantData = false;
        ++depth;
        return true;
    }
    bool end_array() override {
        --depth;
        return true;
    }
};

// sessionData: {"1": {"name": "main", "opt": {"scrType": "222so"}}, ...}.
struct SessionData : nlohmann::json_sax<nlohmann::json> {
    std::map<long, SessionNames::About>& out;
    explicit SessionData(std::map<long, SessionNames::About>& out) : out(out) {}
    int depth = 0;
    long session = -1;
    std::string lastKey;
    bool inOpt = false;

    void set(const std::string& value) {
        if (session >= 0 && depth == 2 && lastKey == "name") {
            out[session].name = value;
        } else if (session >= 0 && depth == 3 && inOpt && lastKey == "scrType") {
            out[session].type = value;
        }
    }
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t v) override { return set(std::to_string(v)), true; }
    bool number_unsigned(number_unsigned_t v) override { return set(std::to_string(v)), true; }
    bool number_float(number_float_t v, const string_t&) override { return set(fixed(v, 0)), true; }
    bool string(string_t& s) override { return set(s), true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override {
        if (depth == 1) {
            session = numberAfter(lastKey, "");
        }
        if (depth == 2) {
            inOpt = lastKey == "opt";
        }
        ++depth;
        return true;
    }
    bool key(string_t& k) override {
        lastKey = k;
        return true;
    }
    bool end_object() override {
        --depth;
        inOpt = inOpt && depth > 2;
        return true;
    }
    bool start_array(std::size_t) override {
        ++depth;
        return true;
    }
    bool end_array() override {
        --depth;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;  // the names are a nicety: the solves are read all the same
    }
};

// The second reading: each solve of a 3x3x3 session, handed over as it ends.
struct SessionSolves : JsonHandler {
    SessionSolves(JsonBytes::State& state, const std::map<long, SessionNames::About>& about,
                  std::time_t now, const TakeSolve& take)
        : JsonHandler(state), about(about), now(now), take(take) {}
    const std::map<long, SessionNames::About>& about;
    std::time_t now;
    const TakeSolve& take;
    bool rootIsObject = false, anySession = false;
    std::map<long, std::string> skipped;

    // The session being read: -1 outside one.
    long session = -1;
    std::string where;  // "session \"main\""
    bool cube = true;   // a 3x3x3 session, whose solves are taken
    size_t solves = 0;  // of it
    std::string type;   // its scramble type, as csTimer names it ("222so")
    // The solve being read: its fields, as far as they are the form wanted.
    int solveLine = 0;
    int field = -1;      // which of the solve's items is read (-1: none yet)
    int inResult = -1;   // which of [penalty, time] is read, or -1 outside it
    bool shaped = true;  // every field so far is as it should be
    double penalty = 0, ms = 0, date = 0;
    bool havePenalty = false, haveMs = false, haveDate = false, haveScramble = false;
    std::string scramble;
    int inSolution = -1;   // which item of the solve's fifth, [moves, puzzle], is read
    std::string solution;  // its moves, where a virtual cube's solve has them

    std::string at() const {
        return "line " + std::to_string(solveLine) + ": solve " + std::to_string(solves) + " of " +
               where;
    }
    // A value at the depth it comes: a field of the solve, or within one.
    bool scalar(bool number, double v, const std::string* text) {
        if (session >= 0 && depth == 1) {
            return notAList();
        }
        if (session < 0 || depth < 3) {
            return session >= 0 && depth == 2 ? startSolve(false) : true;  // no list
        }
        if (depth == 3) {  // an item of the solve
            ++field;
            if (field == 0) {
                shaped = false;  // [penalty, time] is a list
            } else if (field == 1) {
                haveScramble = text != nullptr;
                scramble = text ? *text : "";
            } else if (field == 3) {
                haveDate = number;
                date = v;
            }
        } else if (depth == 4 && field == 4) {  // within [moves, puzzle]
            if (++inSolution == 0 && text) {
                solution = *text;
            }
        } else if (depth == 4 && field == 0) {  // within [penalty, time]
            ++inResult;
            if (inResult == 0) {
                havePenalty = number;
                penalty = v;
            } else if (inResult == 1) {
                haveMs = number;
                ms = v;
            }
        }
        return true;
    }
    bool null() override { return scalar(false, 0, nullptr); }
    bool boolean(bool) override { return scalar(false, 0, nullptr); }
    bool number_integer(number_integer_t v) override { return scalar(true, double(v), nullptr); }
    bool number_unsigned(number_unsigned_t v) override { return scalar(true, double(v), nullptr); }
    bool number_float(number_float_t v, const string_t&) override {
        return scalar(true, v, nullptr);
    }
    bool string(string_t& s) override { return scalar(false, 0, &s); }

    bool startSolve(bool list) {
        ++solves;
        solveLine = state.in->line();
        if (!list) {
            return cube ? fail(at() + " is not [[penalty, time], scramble, comment, date]") : true;
        }
        field = -1;
        inResult = -1;
        inSolution = -1;
        solution.clear();
        shaped = true;
        havePenalty = haveMs = haveDate = haveScramble = false;
        return true;
    }
    bool notAList() {
        return fail("line " + std::to_string(state.in->line()) + ": " + where +
                    " is not a list of solves");
    }
    bool start_object(std::size_t) override {
        if (depth == 0) {
            rootIsObject = true;
        } else if (depth == 1 && session >= 0) {
            return notAList();
        } else if (session >= 0 && depth == 2) {
            if (!startSolve(false)) {
                return false;
            }
        } else if (session >= 0 && depth == 3) {
            ++field;
            shaped = shaped && field != 0;
        } else if (session >= 0 && depth == 4 && field == 0) {
            ++inResult;  // no number where one is wanted
        }
        ++depth;
        return true;
    }
    bool end_object() override {
        --depth;
        return true;
    }
    bool key(string_t& k) override {
        if (depth == 1 && (session = numberAfter(k, "session")) >= 0) {
            anySession = true;
            const auto it = about.find(session);
            const SessionNames::About named =
                it != about.end() ? it->second : SessionNames::About{};
            where = "session " + quoted(named.name.empty() ? std::to_string(session) : named.name);
            type = named.type;
            cube = cubeSession(type);
            solves = 0;
        }
        return true;
    }
    bool start_array(std::size_t) override {
        if (session >= 0) {
            if (depth == 2) {
                if (!startSolve(true)) {
                    return false;
                }
            } else if (depth == 3) {
                ++field;
            } else if (depth == 4 && field == 0) {
                ++inResult;  // no number where one is wanted
            }
        }
        ++depth;
        return true;
    }
    bool end_array() override {
        --depth;
        if (session >= 0 && depth == 1) {  // the session's end
            if (!cube && solves > 0) {
                skipped[session] = std::to_string(solves) + " of " + where +
                                   ", whose puzzle is not the 3x3x3 (" + type + ")";
            }
            session = -1;
        } else if (session >= 0 && depth == 2 && cube) {
            return endSolve();
        }
        return true;
    }
    bool endSolve() {
        if (!shaped || field < 3 || !havePenalty || !haveMs || !haveScramble || !haveDate ||
            inResult < 1) {
            return fail(at() + " is not [[penalty, time], scramble, comment, date]");
        }
        Solve s;
        if (penalty != 0 && penalty != 2000 && penalty != -1) {
            return fail(at() + ": the penalty " + fixed(penalty, 0) + " is not 0, 2000 or -1");
        }
        s.penalty = penalty == 0      ? Penalty::None
                    : penalty == 2000 ? Penalty::PlusTwo
                                      : Penalty::Dnf;
        if (!(ms >= 0 && ms / 1000 <= Solves::kLongest)) {
            return fail(at() + ": the time " + fixed(ms, 0) + " ms is not one");
        }
        s.seconds = std::round(ms) / 1000;
        if (!(date >= 0 && date < 253402300800.0)) {  // before the year 10000
            return fail(at() + ": the date " + fixed(date, 0) + " is not one");
        }
        s.date = static_cast<std::time_t>(date);
        if (future(s.date, now)) {
            return fail(at() + ": the date " + utcDateText(s.date) + " is in the future");
        }
        s.scramble = scrambleTurns(scramble);
        s.kind = s.scramble.empty() ? Scramble::Unknown : Scramble::Competition;
        s.turns = timedSolution(s.scramble, solution);
        s.session = static_cast<std::uint16_t>(std::clamp<long>(session, 1, 65535));
        std::string why;
        if (!take(s, why)) {
            return fail(why);
        }
        return true;
    }
};

template <class Handler>
bool readJson(Bytes& in, JsonBytes::State& state, Handler& handler, std::string& problem) {
    const bool ok = nlohmann::json::sax_parse(JsonBytes(&state), JsonBytes(), &handler);
    problem = !in.problem().empty()      ? in.problem()
              : !state.problem.empty()   ? state.problem
              : !handler.problem.empty() ? handler.problem
                                         : "";
    return ok && problem.empty();
}

bool readCsTimer(Bytes& in, std::time_t now, const TakeSolve& take, Imported& out,
                 std::string& problem) {
    // First the sessions' names and puzzles, which csTimer writes after the solves.
    JsonBytes::State first{&in, false, false, 0, {}};
    SessionNames names(first);
    if (!readJson(in, first, names, problem)) {
        return false;
    }
    if (!names.data.empty()) {
        SessionData data(names.sessions);
        nlohmann::json::sax_parse(names.data, &data);
    }
    for (const auto& [number, about] : names.sessions) {
        if (!about.name.empty()) {
            out.sessionNames[number] = about.name;
        }
    }
    if (!in.rewind()) {
        problem = in.problem();
        return false;
    }
    JsonBytes::State second{&in, false, false, 0, {}};
    SessionSolves solves(second, names.sessions, now, take);
    if (!readJson(in, second, solves, problem)) {
        return false;
    }
    if (!solves.rootIsObject || !solves.anySession) {
        problem = "line 1: not csTimer's export (no sessions)";
        return false;
    }
    for (auto& [number, text] : solves.skipped) {
        out.skipped.push_back(std::move(text));
    }
    return true;
}

}  // namespace

bool readSolves(ImportSource& source, std::time_t now, const TakeSolve& take, Imported& out,
                std::string& problem, const std::function<bool()>& stop) {
    out.format.clear();
    out.skipped.clear();
    problem.clear();
    Bytes in(source, stop);
    // csTimer's export is an object; anything else must be the CSV.
    while (in.peek() == ' ' || in.peek() == '\t' || in.peek() == '\r' || in.peek() == '\n') {
        in.get();
    }
    const bool ok = in.peek() == '{'
                        ? (out.format = "csTimer", readCsTimer(in, now, take, out, problem))
                        : (out.format = "Gyrelle CSV", readCsv(in, now, take, problem));
    if (!ok && problem.empty()) {
        problem = in.problem();
    }
    return ok && problem.empty();
}

bool readImport(const std::string& text, std::time_t now, Imported& out, std::string& problem) {
    out.solves.clear();
    platform::TextSource source(text);
    return readSolves(
        source, now,
        [&](Solve& s, std::string&) {
            out.solves.push_back(std::move(s));
            return true;
        },
        out, problem);
}

Merge::Key Merge::keyOf(const Solve& s) {
    return {s.date, std::llround(s.seconds * 1000)};
}

Merge::Merge(const std::vector<Solve>& kept, long room)
    : kept_(kept), slots_(1024, 0), room_(room) {
    keptKeys_.reserve(kept.size());
    for (const Solve& s : kept) {
        keptKeys_.push_back(keyOf(s));
    }
    std::sort(keptKeys_.begin(), keptKeys_.end());
}

size_t Merge::slotOf(const Key& key) const {
    const auto hash = static_cast<std::uint64_t>(key.first) * 0x9E3779B97F4A7C15ull ^
                      static_cast<std::uint64_t>(key.second) * 0xC2B2AE3D27D4EB4Full;
    for (size_t slot = (hash >> 20) & (slots_.size() - 1);;
         slot = (slot + 1) & (slots_.size() - 1)) {
        if (slots_[slot] == 0 || keyOf(taken_[slots_[slot] - 1]) == key) {
            return slot;
        }
    }
}

bool Merge::add(const Solve& s, std::string& problem) {
    const Key key = keyOf(s);
    if (std::binary_search(keptKeys_.begin(), keptKeys_.end(), key)) {
        ++alreadyKept;
        return true;
    }
    size_t slot = slotOf(key);
    if (slots_[slot] != 0) {
        ++repeated;
    } else if (s.seconds <= 0 && s.penalty != Penalty::Dnf) {
        ++noTime;  // no solve takes no time: a placeholder, or a fault
    } else {
        room_ -= long(solveLine(s).size() + (s.turns ? timedLine(0, *s.turns).size() + 8 : 0));
        if (room_ < 0) {
            full = true;
            problem = "its solves would make the records larger than any Gyrelle reads (" +
                      std::to_string(kLargestRecordsFile >> 20) + " MB)";
            return false;
        }
        taken_.push_back(s);
        slots_[slot] = static_cast<std::uint32_t>(taken_.size());
        ++taken;
        if (taken_.size() * 2 > slots_.size()) {
            std::vector<std::uint32_t> all(slots_.size() * 2, 0);
            all.swap(slots_);
            for (std::uint32_t i : all) {
                if (i != 0) {
                    slots_[slotOf(keyOf(taken_[i - 1]))] = i;
                }
            }
        }
    }
    return true;
}

std::vector<Solve> Merge::result() {
    std::vector<Solve> all;
    all.reserve(kept_.size() + taken_.size());
    all.insert(all.end(), kept_.begin(), kept_.end());
    for (; !taken_.empty(); taken_.pop_front()) {
        all.push_back(std::move(taken_.front()));
    }
    slots_.clear();
    // In the order they ended; of one date, the kept ones first.
    std::stable_sort(all.begin(), all.end(),
                     [](const Solve& a, const Solve& b) { return a.date < b.date; });
    return all;
}

Merged mergeSolves(const std::vector<Solve>& kept, const std::vector<Solve>& incoming) {
    Merge merge(kept);
    std::string unused;
    for (const Solve& s : incoming) {
        merge.add(s, unused);
    }
    return {merge.result(), merge.taken, merge.alreadyKept, merge.repeated, merge.noTime, false};
}

bool importSolves(ImportSource& source, std::time_t now, const std::vector<Solve>& kept, long room,
                  Imported& about, Merged& merged, std::string& problem,
                  const std::function<bool()>& stop, std::uint16_t session,
                  const std::function<std::uint16_t(const std::string&)>& sessionNamed) {
    Merge merge(kept, room);
    const bool read = readSolves(
        source, now,
        [&](Solve& s, std::string& why) {
            if (s.session != 0 && sessionNamed) {
                const auto named = about.sessionNames.find(s.session);
                s.session = sessionNamed(named != about.sessionNames.end()
                                             ? named->second
                                             : "Session " + std::to_string(s.session));
            } else {
                s.session = session;
            }
            return merge.add(s, why);
        },
        about, problem, stop);
    merged = {read ? merge.result() : std::vector<Solve>{},
              merge.taken,
              merge.alreadyKept,
              merge.repeated,
              merge.noTime,
              merge.full};
    return read;
}

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
                (s.shared && s.kind == Scramble::Competition ? "shared"
                                                             : kKinds[static_cast<int>(s.kind)]) +
                "," + field(s.scramble) + "," + (s.assisted ? "yes" : "no") + "," +
                (s.turns ? field(turnsText(*s.turns)) : "") + "\n";
    }
    return text;
}

std::string replayFragment(const SolveTurns& turns, const std::string& scramble) {
    std::string text = "replay=" + turnsText(turns);
    if (!scramble.empty()) {
        text += "&scramble=" + scramble;
    }
    std::replace(text.begin(), text.end(), ' ', '_');
    return text;
}

namespace {
// The value of `name` in an address's fragment: to its end or the next '&', %-escapes
// read, '_' a space.
std::string fragmentValue(const std::string& text, const std::string& name) {
    const size_t at = text.find(name);
    if (at == std::string::npos) {
        return {};
    }
    const size_t from = at + name.size();
    const std::string raw = text.substr(from, std::min(text.find('&', from), text.size()) - from);
    std::string value;
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size() &&
            std::isxdigit(static_cast<unsigned char>(raw[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(raw[i + 2]))) {
            value += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            value += raw[i] == '_' ? ' ' : raw[i];
        }
    }
    return value;
}
}  // namespace

bool readReplayAddress(const std::string& text, SolveTurns& turns, std::string& scramble,
                       std::string& problem) {
    const std::string value = fragmentValue(text, "#replay=");
    SolveTurns read;
    if (value.empty() || !readTurns(value, read)) {
        problem =
            "This is no replay: an address ending in #replay= and a position, an "
            "inspection and turns (R@0 U'@250 ...) is wanted.";
        return false;
    }
    MagicCube::Stickers start;
    std::string why;
    if (!stickersOfCode(read.start, start, why)) {
        problem = "The replay's position is no cube's: " + why;
        return false;
    }
    MagicCube cube;
    cube.setStickers(start);
    for (const TimedTurn& t : read.turns) {
        if (!isWholeCube(t.code)) {
            cube.rotateFace(t.code);
        }
    }
    if (!cube.isSolved() || read.turns.empty()) {
        problem = "The replay's turns do not solve its position.";
        return false;
    }
    turns = std::move(read);
    scramble = scrambleTurns(fragmentValue(text, "&scramble="));
    return true;
}

std::string scrambleFragment(const std::string& scramble, double seconds) {
    std::string text = "scramble=" + scramble;
    if (seconds >= 0 && std::isfinite(seconds)) {
        char solved[40];
        std::snprintf(solved, sizeof solved, "&solved=%.2f", seconds);
        text += solved;
    }
    std::replace(text.begin(), text.end(), ' ', '_');
    return text;
}

bool readScrambleAddress(const std::string& text, std::string& scramble, double& seconds,
                         std::string& problem) {
    const std::string turns = scrambleTurns(fragmentValue(text, "#scramble="));
    if (turns.empty()) {
        problem = "This is no scramble to race on: an address ending in #scramble= and 1 to " +
                  std::to_string(kMostScrambleTurns) + " face turns (R_U2_F'...) is wanted.";
        return false;
    }
    double solved = -1;
    if (text.find("&solved=") != std::string::npos) {
        const std::string value = fragmentValue(text, "&solved=");
        // Digits with at most one point among them, as the fragment writes them.
        const bool digits = !value.empty() && value.size() <= 16 &&
                            value.find_first_not_of("0123456789.") == std::string::npos &&
                            std::count(value.begin(), value.end(), '.') <= 1 && value != ".";
        solved = digits ? std::strtod(value.c_str(), nullptr) : -1;
        if (!digits || !(solved > 0) || solved > Solves::kLongest) {
            problem = "The time this scramble was solved in is no number of seconds: " + value;
            return false;
        }
    }
    scramble = turns;
    seconds = solved;
    return true;
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
    if (merged.noTime) {
        over.push_back(std::to_string(merged.noTime) + " of no time (0 seconds)");
    }
    over.insert(over.end(), imported.skipped.begin(), imported.skipped.end());
    for (size_t i = 0; i < over.size(); ++i) {
        text += (i == 0 ? " Passed over: " : "; ") + over[i];
    }
    return text + (over.empty() ? "" : ".");
}

}  // namespace gyrelle::store
