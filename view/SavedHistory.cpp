#include "view/SavedHistory.h"

#include <cinttypes>
#include <cstring>

#include "platform/Files.h"

namespace gyrelle {

namespace {

constexpr char kHeader[] = "gyrelle history 1";
constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqr";
// No line of the file is longer: two sets of stickers and a word.
constexpr size_t kLongestLine = 2 * MagicCube::kStickers + 16;

const MagicCube& solved() {
    static const MagicCube cube;
    return cube;
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
    return kind == History::Kind::Scramble ? "scramble"
           : kind == History::Kind::Reset  ? "reset"
           : kind == History::Kind::Paste  ? "paste"
                                           : "turn";
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

std::string fingerprint(const MagicCube::Stickers& stickers) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const Sticker& s : stickers) {
        for (unsigned char byte :
             {s.rgb[0], s.rgb[1], s.rgb[2], static_cast<unsigned char>(s.faceNumber)}) {
            hash = (hash ^ byte) * 1099511628211ull;
        }
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIx64, hash);
    return text;
}

bool canWriteHistory(const History& history, const MagicCube::Stickers& current) {
    for (const History::Entry& e : history.entries()) {
        if (e.records && (!canWrite(e.before()) || !canWrite(e.after()))) {
            return false;
        }
    }
    return canWrite(current) || history.entries().empty();
}

void writeHistory(std::FILE* out, const History& history, const MagicCube::Stickers& current) {
    std::fprintf(out, "%s\ncube %s\nposition %zu\n", kHeader, fingerprint(current).c_str(),
                 history.position());
    for (const History::Entry& e : history.entries()) {
        if (e.kind == History::Kind::Turn) {
            std::fprintf(out, "turn %d\n", e.code);
        } else {
            std::fprintf(out, "%s %s %s\n", kindName(e.kind), encode(e.before()).c_str(),
                         encode(e.after()).c_str());
        }
    }
    std::fputs("end\n", out);
}

bool readHistory(std::FILE* in, const MagicCube::Stickers& current, History& history,
                 std::string& problem) {
    std::string line;
    if (!platform::readLine(in, line, kLongestLine) || line != kHeader) {
        problem = "it does not begin with \"" + std::string(kHeader) + "\"";
        return false;
    }
    if (!platform::readLine(in, line, kLongestLine) || line != "cube " + fingerprint(current)) {
        problem = "it does not end at the saved cube";
        return false;
    }
    size_t position = 0;
    char rest = 0;
    if (!platform::readLine(in, line, kLongestLine) ||
        std::sscanf(line.c_str(), "position %zu %c", &position, &rest) != 1 ||
        line != "position " + std::to_string(position)) {
        problem = "its position line is missing or malformed";
        return false;
    }
    std::vector<History::Entry> entries;
    while (platform::readLine(in, line, kLongestLine) && line != "end") {
        History::Entry entry{History::Kind::Turn, 0, nullptr};
        if (entries.size() >= History::kMostEntries || !parseEntry(line, entry)) {
            problem = "entry " + std::to_string(entries.size() + 1) + " is malformed";
            return false;
        }
        entries.push_back(std::move(entry));
    }
    if (line != "end" || position > entries.size()) {
        problem = line != "end" ? "it is cut short" : "its position is past its last entry";
        return false;
    }
    history.restore(std::move(entries), position);
    return true;
}

}  // namespace gyrelle
