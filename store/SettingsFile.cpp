#include "store/SettingsFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace gyrelle::store {

namespace {

constexpr size_t kLongestLine = 1024;
// Keys of other versions kept: with the longest lines, still within the largest file.
constexpr size_t kMostUnknown = 50;
static_assert(kMostUnknown * (kLongestLine + 1) + 512 <= kLargestSettingsFile);

std::string trimmed(const std::string& s) {
    const size_t begin = s.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return {};
    }
    return s.substr(begin, s.find_last_not_of(" \t\r") + 1 - begin);
}

bool keyCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.';
}

std::string hexOf(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

bool readHex(const std::string& value, Rgb& c) {
    if (value.size() != 7 || value[0] != '#') {
        return false;
    }
    unsigned char bytes[3];
    for (int i = 0; i < 3; ++i) {
        int byte = 0;
        for (int k = 1; k <= 2; ++k) {
            const char h = value[2 * i + k];
            const int digit = h >= '0' && h <= '9'   ? h - '0'
                              : h >= 'a' && h <= 'f' ? h - 'a' + 10
                              : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                     : -1;
            if (digit < 0) {
                return false;
            }
            byte = 16 * byte + digit;
        }
        bytes[i] = static_cast<unsigned char>(byte);
    }
    c = {bytes[0], bytes[1], bytes[2]};
    return true;
}

// The faces as the file names them, in the order it writes them.
constexpr char kFaceLetters[] = "URFDLB";

// The row `key` names, and for a face's colour the home face; null for an unknown key.
const SettingRow* rowOf(const std::string& key, int& face) {
    for (const SettingRow& row : settingRows()) {
        const size_t n = std::strlen(row.key);
        if (row.kind == SettingRow::Kind::FaceColours) {
            if (key.size() == n + 1 && key.compare(0, n, row.key) == 0 &&
                (face = homeFaceOf(key[n])) >= 0) {
                return &row;
            }
        } else if (key == row.key) {
            return &row;
        }
    }
    return nullptr;
}

// What a row takes, as a line of the file's problems says it.
std::string wantedBy(const SettingRow& row) {
    switch (row.kind) {
        case SettingRow::Kind::Scheme: {
            std::string wanted;
            const int n = schemeCount();
            for (int i = 0; i < n; ++i) {
                wanted += (i == 0      ? ""
                           : i + 1 < n ? ", "
                                       : " or ") +
                          std::string(schemeKey(static_cast<ColourScheme>(i)));
            }
            return wanted;
        }
        case SettingRow::Kind::FaceColours:
            return "a colour as #rrggbb";
        case SettingRow::Kind::Choice: {
            std::string wanted;
            const auto choices = row.choices();
            for (size_t i = 0; i < choices.size(); ++i) {
                wanted += (i == 0                   ? ""
                           : i + 1 < choices.size() ? ", "
                                                    : " or ") +
                          std::string(choices[i].key);
            }
            return wanted;
        }
        case SettingRow::Kind::Switch:
            break;
    }
    return "on or off";
}

// Sets what `key` names to `value`; false, changing nothing, for a value it cannot take
// (with `wanted` saying what it takes). An unknown key is kept as it is.
bool apply(Settings& s, const std::string& key, const std::string& value, std::string& wanted) {
    int face = -1;
    const SettingRow* row = rowOf(key, face);
    if (!row) {
        for (auto& [k, v] : s.unknown) {
            if (k == key) {
                v = value;
                return true;
            }
        }
        s.unknown.emplace_back(key, value);
        return true;
    }
    wanted = wantedBy(*row);
    switch (row->kind) {
        case SettingRow::Kind::Scheme:
            for (int i = 0; i < schemeCount(); ++i) {
                if (value == schemeKey(static_cast<ColourScheme>(i))) {
                    s.scheme = static_cast<ColourScheme>(i);
                    return true;
                }
            }
            return false;
        case SettingRow::Kind::FaceColours:
            return readHex(value, s.faceColours[face]);
        case SettingRow::Kind::Choice: {
            const auto choices = row->choices();
            for (size_t i = 0; i < choices.size(); ++i) {
                if (value == choices[i].key) {
                    s.*row->choice = static_cast<int>(i);
                    return true;
                }
            }
            return false;
        }
        case SettingRow::Kind::Switch:
            if (value == "on" || value == "off") {
                s.*row->flag = value == "on";
                return true;
            }
            return false;
    }
    return false;
}

// The value of the known `key` in `s`, as the file writes it.
std::string valueIn(const Settings& s, const std::string& key) {
    int face = -1;
    const SettingRow* row = rowOf(key, face);
    switch (row->kind) {
        case SettingRow::Kind::Scheme:
            return schemeKey(s.scheme);
        case SettingRow::Kind::FaceColours:
            return hexOf(s.faceColours[face]);
        case SettingRow::Kind::Choice:
            return choiceOf(*row, s).key;
        case SettingRow::Kind::Switch:
            break;
    }
    return s.*row->flag ? "on" : "off";
}

}  // namespace

std::string settingsText(const Settings& s) {
    std::string text;
    for (const SettingRow& row : settingRows()) {
        if (row.kind == SettingRow::Kind::FaceColours) {
            for (const char* letter = kFaceLetters; *letter; ++letter) {
                const std::string key = row.key + std::string(1, *letter);
                text += key + " = " + valueIn(s, key) + "\n";
            }
        } else {
            text += std::string(row.key) + " = " + valueIn(s, row.key) + "\n";
        }
    }
    for (const auto& [key, value] : s.unknown) {
        text += key + " = " + value + "\n";
    }
    return text;
}

Reading readSettings(std::FILE* in, Settings& settings, std::vector<std::string>& problems) {
    std::string text;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, in)) {
        text.append(buffer, n);
        if (long(text.size()) > kLargestSettingsFile) {
            return Reading::refused("it is larger than any settings");
        }
    }
    if (std::ferror(in)) {
        return Reading::refused(std::string("it could not be read: ") + std::strerror(errno),
                                false);
    }
    Settings read;
    std::vector<std::string> said;
    size_t at = 0;
    for (int number = 1; at < text.size(); ++number) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();  // a last line without its line feed, as editors leave it
        }
        const std::string raw = text.substr(at, end - at);
        at = end + 1;
        const std::string where = "line " + std::to_string(number);
        if (raw.size() > kLongestLine) {
            return Reading::refused(where + " is longer than any setting");
        }
        if (raw.find('\0') != std::string::npos) {
            return Reading::refused(where + " holds a zero byte");
        }
        const std::string line = trimmed(raw);
        if (line.empty() || line[0] == '#') {
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            return Reading::refused(where + " is not \"key = value\"");
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        if (key.empty() || !std::all_of(key.begin(), key.end(), keyCharacter)) {
            return Reading::refused(where + " has no key of letters, digits, _ - or .");
        }
        // As written back ("key = value"), no line and no file may grow past the limits.
        if (key.size() + 3 + value.size() > kLongestLine) {
            return Reading::refused(where + " is longer than any setting");
        }
        std::string wanted;
        if (!apply(read, key, value, wanted)) {
            const std::string fallback = valueIn(Settings{}, key);
            apply(read, key, fallback, wanted);
            said.push_back(where + ": " + key + " = " + value + " is not " + wanted + "; " +
                           fallback + " is used");
        }
        if (read.unknown.size() > kMostUnknown) {
            return Reading::refused(where +
                                    " is one more setting this version does not know than " +
                                    std::to_string(kMostUnknown));
        }
    }
    settings = std::move(read);
    problems = std::move(said);
    return {};
}

}  // namespace gyrelle::store
