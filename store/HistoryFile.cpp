#include "store/HistoryFile.h"

#include <algorithm>
#include <cstring>

#include "store/Fingerprint.h"
#include "store/Lines.h"

namespace gyrelle::store {

namespace {

constexpr char kHeader[] = "gyrelle history 1";
constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqr";
// No line of the file is longer: two sets of stickers, a word, and a scramble's turns.
constexpr size_t kLongestLine = 2 * MagicCube::kStickers + 16 + 3 * 30;

const MagicCube& solved() {
    return MagicCube::solved();
}

// Which sticker of the solved cube `s` is, or -1 when it is none of them.
int identity(const Sticker& s) {
    const int slot = solved().getStickerLocationWithColor(s.rgb);
    return slot >= 0 && s.faceNumber == slot / 9 ? slot : -1;
}

bool canWrite(const MagicCube::Stickers& stickers) {
    for (const Sticker& s : stickers) {
        if (identity(s) < 0) {
            return false;
        }
    }
    return true;
}

std::string encode(const MagicCube::Stickers& stickers) {
    std::string text;
    for (const Sticker& s : stickers) {
        text.push_back(kDigits[identity(s)]);
    }
    return text;
}

bool decode(const char* text, MagicCube::Stickers& stickers) {
    if (std::strlen(text) != MagicCube::kStickers) {
        return false;
    }
    for (int slot = 0; slot < MagicCube::kStickers; ++slot) {
        const char* digit = std::strchr(kDigits, text[slot]);
        if (text[slot] == '\0' || digit == nullptr) {
            return false;
        }
        stickers[slot] = solved().stickers()[digit - kDigits];
    }
    return true;
}

const char* kindName(History::Kind kind) {
    return kind == History::Kind::Scramble      ? "scramble"
           : kind == History::Kind::Reset       ? "reset"
           : kind == History::Kind::Paste       ? "paste"
           : kind == History::Kind::Competition ? "competition"
                                                : "turn";
}

// A competition entry: its stickers, then its scramble's turns (U R F D L B, with 2 or ').
bool parseCompetition(const std::string& line, History::Entry& entry) {
    const std::vector<std::string> w = words(line);
    if (w.size() < 4 || w.size() > 3 + 30 || w[0] != "competition") {
        return false;
    }
    std::string scramble;
    for (size_t i = 3; i < w.size(); ++i) {
        const std::string& t = w[i];
        if (t.empty() || t.size() > 2 || !std::strchr("URFDLB", t[0]) ||
            (t.size() == 2 && t[1] != '2' && t[1] != '\'')) {
            return false;
        }
        scramble += (i > 3 ? " " : "") + t;
    }
    auto records = std::make_shared<std::array<MagicCube::Stickers, 2>>();
    if (!decode(w[1].c_str(), (*records)[0]) || !decode(w[2].c_str(), (*records)[1])) {
        return false;
    }
    entry = {History::Kind::Competition, 0, std::move(records), std::move(scramble)};
    return true;
}

// One entry line into `entry`; false when it is none.
bool parseEntry(const std::string& line, History::Entry& entry) {
    char word[9] = {}, before[MagicCube::kStickers + 2] = {}, after[MagicCube::kStickers + 2] = {};
    int code = 0;
    char rest = 0;
    if (std::sscanf(line.c_str(), "turn %d %c", &code, &rest) == 1) {
        entry = {History::Kind::Turn, code, nullptr};
        return code != 0 && code >= -9 && code <= 9 && line == "turn " + std::to_string(code);
    }
    if (line.starts_with("competition ")) {
        return parseCompetition(line, entry);
    }
    if (std::sscanf(line.c_str(), "%8s %55s %55s %c", word, before, after, &rest) != 3) {
        return false;
    }
    History::Kind kind = History::Kind::Turn;
    for (History::Kind k : {History::Kind::Scramble, History::Kind::Reset, History::Kind::Paste}) {
        if (std::strcmp(word, kindName(k)) == 0) {
            kind = k;
        }
    }
    if (kind == History::Kind::Turn) {
        return false;
    }
    auto records = std::make_shared<std::array<MagicCube::Stickers, 2>>();
    if (!decode(before, (*records)[0]) || !decode(after, (*records)[1])) {
        return false;
    }
    entry = {kind, 0, std::move(records)};
    return true;
}

}  // namespace

bool canWriteHistory(const History& history, const MagicCube::Stickers& current) {
    for (const History::Entry& e : history.entries()) {
        if (e.records && (!canWrite(e.before()) || !canWrite(e.after()))) {
            return false;
        }
    }
    return canWrite(current) || history.entries().empty();
}

void writeHistory(std::FILE* out, const History& history, const MagicCube::Stickers& current) {
    std::fprintf(out, "%s\ncube %s\nposition %zu\n", kHeader, cubeFingerprint(current).c_str(),
                 history.position());
    for (const History::Entry& e : history.entries()) {
        if (e.kind == History::Kind::Turn) {
            std::fprintf(out, "turn %d\n", e.code);
        } else {
            std::fprintf(out, "%s %s %s%s%s\n", kindName(e.kind), encode(e.before()).c_str(),
                         encode(e.after()).c_str(), e.scramble.empty() ? "" : " ",
                         e.scramble.c_str());
        }
    }
    std::fputs("end\n", out);
}

Reading readHistory(std::FILE* in, const MagicCube::Stickers& current, History& history) {
    LineReader lines(in, kLongestLine);
    std::string line;
    if (!lines.next(line) || line != kHeader) {
        return Reading::refused("it does not begin with \"" + std::string(kHeader) + "\"");
    }
    if (!lines.next(line) || line != "cube " + cubeFingerprint(current)) {
        return Reading::refused("it does not end at the saved cube");
    }
    size_t position = 0;
    char rest = 0;
    if (!lines.next(line) || std::sscanf(line.c_str(), "position %zu %c", &position, &rest) != 1 ||
        line != "position " + std::to_string(position)) {
        return Reading::refused("its position line is missing or malformed");
    }
    // The file's size bounds how many entries it holds.
    std::vector<History::Entry> entries;
    while (lines.next(line) && line != "end") {
        History::Entry entry{History::Kind::Turn, 0, nullptr};
        if (!parseEntry(line, entry)) {
            return Reading::refused("entry " + std::to_string(entries.size() + 1) +
                                    " is malformed");
        }
        entries.push_back(std::move(entry));
    }
    if (line != "end") {
        return Reading::refused("it is cut short");
    }
    if (position > entries.size()) {
        return Reading::refused("its position is past its last entry");
    }
    // More than a history holds (another version's, or edited): the newest are kept, as
    // playing on would have kept them, so long as the cube's own place stays among them.
    if (entries.size() > History::kMostEntries) {
        const size_t first = std::min(entries.size() - History::kMostEntries, position);
        entries.erase(entries.begin(), entries.begin() + static_cast<long>(first));
        entries.erase(entries.begin() + History::kMostEntries, entries.end());
        position -= first;
    }
    history.restore(std::move(entries), position);
    return {};
}

}  // namespace gyrelle::store
