#include "platform/Scan.h"

#include <climits>
#include <cstdlib>
#include <string>

namespace gyrelle::platform {
namespace {

// No number a saved file holds comes near this many characters; a longer one is not
// read, so a hostile file costs neither memory nor time.
constexpr size_t kLongestNumber = 256;

// The C locale's classes, whatever locale the program runs in.
bool isSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(int c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(int c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
int lower(int c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
}

void skipSpace(std::FILE* in) {
    int c;
    while (isSpace(c = std::getc(in))) {
    }
    if (c != EOF) {
        std::ungetc(c, in);
    }
}

// Reads c if it is the next character; otherwise leaves the stream as it was. A token
// grows no longer than one character past the longest number read.
bool accept(std::FILE* in, std::string& token, int (*belongs)(int)) {
    int c = std::getc(in);
    if (c != EOF && belongs(c)) {
        if (token.size() <= kLongestNumber) {
            token.push_back(static_cast<char>(c));
        }
        return true;
    }
    if (c != EOF) {
        std::ungetc(c, in);
    }
    return false;
}

int signChar(int c) {
    return c == '+' || c == '-';
}
int digitChar(int c) {
    return isDigit(c);
}
int hexDigitChar(int c) {
    return isHexDigit(c);
}
int pointChar(int c) {
    return c == '.';
}
int xChar(int c) {
    return c == 'x' || c == 'X';
}
int eChar(int c) {
    return c == 'e' || c == 'E';
}
int pChar(int c) {
    return c == 'p' || c == 'P';
}

bool readInteger(std::FILE* in, ScannedInt& out) {
    skipSpace(in);
    int c = std::getc(in);
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = std::getc(in);
    }
    if (!isDigit(c)) {
        if (c != EOF) {
            std::ungetc(c, in);
        }
        return false;
    }
    unsigned low = 0;
    long long magnitude = 0;
    bool overflow = false;
    size_t digits = 0;
    for (; isDigit(c); c = std::getc(in), ++digits) {
        int d = c - '0';
        low = (low * 10 + static_cast<unsigned>(d)) & 0xFFu;
        if (!overflow) {
            magnitude = magnitude * 10 + d;
            overflow = magnitude > static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (c != EOF) {
        std::ungetc(c, in);
    }
    if (digits > kLongestNumber) {
        return false;
    }
    long long value = negative ? -magnitude : magnitude;
    out.low8 = static_cast<std::uint8_t>(negative ? (0x100u - low) & 0xFFu : low);
    out.fitsInt = !overflow && value >= INT_MIN && value <= INT_MAX;
    out.value = out.fitsInt ? static_cast<int>(value) : 0;
    return true;
}

// Matches `word` case-insensitively after its first letter, which the caller has read.
bool acceptWord(std::FILE* in, std::string& token, const char* rest) {
    for (const char* p = rest; *p; ++p) {
        int c = std::getc(in);
        if (c == EOF || lower(c) != *p) {
            if (c != EOF) {
                std::ungetc(c, in);
            }
            return false;
        }
        token.push_back(static_cast<char>(c));
    }
    return true;
}

// Collects the longest text that can start a floating-point number, then converts it.
bool readReal(std::FILE* in, float& out) {
    skipSpace(in);
    std::string token;
    accept(in, token, signChar);
    int c = std::getc(in);
    if (c == 'i' || c == 'I') {
        token.push_back(static_cast<char>(c));
        if (!acceptWord(in, token, "nf")) {
            return false;
        }
        int next = std::getc(in);
        if (next == 'i' || next == 'I') {
            token.push_back(static_cast<char>(next));
            if (!acceptWord(in, token, "nity")) {
                return false;
            }
        } else if (next != EOF) {
            std::ungetc(next, in);
        }
    } else if (c == 'n' || c == 'N') {
        token.push_back(static_cast<char>(c));
        if (!acceptWord(in, token, "an")) {
            return false;
        }
    } else {
        if (c != EOF) {
            std::ungetc(c, in);
        }
        bool hex = false;
        size_t mantissaStart = token.size();
        if (accept(in, token, digitChar) && token.back() == '0' && accept(in, token, xChar)) {
            hex = true;
            mantissaStart = token.size();
        }
        int (*digit)(int) = hex ? hexDigitChar : digitChar;
        while (accept(in, token, digit)) {
        }
        if (accept(in, token, pointChar)) {
            while (accept(in, token, digit)) {
            }
        }
        bool anyDigit = false;
        for (size_t i = mantissaStart; i < token.size(); ++i) {
            anyDigit = anyDigit || (hex ? isHexDigit(token[i]) : isDigit(token[i]));
        }
        if (!anyDigit) {
            return false;
        }
        size_t mantissaEnd = token.size();
        if (accept(in, token, hex ? pChar : eChar)) {
            accept(in, token, signChar);
            if (!accept(in, token, digitChar)) {
                // stdio has consumed the marker but converts the mantissa alone.
                token.resize(mantissaEnd);
            }
            while (accept(in, token, digitChar)) {
            }
        }
    }
    if (token.size() > kLongestNumber) {
        return false;
    }
    char* end = nullptr;
    float value = std::strtof(token.c_str(), &end);
    if (end != token.c_str() + token.size()) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

int scanText(std::FILE* in, const char* format, std::initializer_list<ScanTarget> targets) {
    int stored = 0;
    const ScanTarget* target = targets.begin();
    for (const char* f = format; *f; ++f) {
        if (isSpace(static_cast<unsigned char>(*f))) {
            skipSpace(in);
        } else if (f[0] == '%' && (f[1] == 'd' || f[1] == 'f')) {
            if (target == targets.end()) {
                return stored;
            }
            bool ok = f[1] == 'd' ? target->integer() && readInteger(in, *target->integer())
                                  : target->real() && readReal(in, *target->real());
            if (!ok) {
                return stored;
            }
            ++stored;
            ++target;
            ++f;
        } else {
            int c = std::getc(in);
            if (c != static_cast<unsigned char>(*f)) {
                if (c != EOF) {
                    std::ungetc(c, in);
                }
                return stored;
            }
        }
    }
    return stored;
}

}  // namespace gyrelle::platform
