#include "cube/Position.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cube/Tables.h"

namespace gyrelle {

namespace {

constexpr char kLetters[] = "URFDLB";
// The face slot each letter stands for at home: +y, +x, +z, -y, -x, -z.
constexpr int kFaceOfLetter[6] = {1, 5, 0, 3, 4, 2};

using Vec = std::array<int, 3>;

// The characters of UTF-8 `text`: each a lead byte and the continuation bytes after it;
// a byte that leads nothing is one character by itself.
std::vector<std::string> characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0xC2   ? 1
                              : lead < 0xE0 ? 2
                              : lead < 0xF0 ? 3
                              : lead < 0xF5 ? 4
                                            : 1;
        size_t n = 1;
        while (n < length && i + n < text.size() && (text[i + n] & 0xC0) == 0x80) {
            ++n;
        }
        out.push_back(text.substr(i, n == length ? n : 1));
        i += n == length ? n : 1;
    }
    return out;
}

// A character as a player can find it in what they typed: itself in quotes when it
// shows, else its code.
std::string named(const std::string& c) {
    const auto first = static_cast<unsigned char>(c[0]);
    char text[32];
    if (c.size() == 1 && (first < 0x20 || first == 0x7F)) {
        std::snprintf(text, sizeof text, "U+%04X", first);
    } else if (c.size() == 1 && first >= 0x80) {
        std::snprintf(text, sizeof text, "the byte 0x%02X", first);
    } else {
        return "\"" + c + "\"";
    }
    return text;
}

const MagicCube& solved() {
    return MagicCube::solved();
}

const Voxlet* pieceAt(Vec at) {
    for (const Voxlet& v : solved().voxlets()) {
        if (v.xyz[0] == at[0] && v.xyz[1] == at[1] && v.xyz[2] == at[2]) {
            return &v;
        }
    }
    return nullptr;
}

// Where facelet `n` (0..53) of the code lies: the piece at row r, column c of its face,
// as that face is seen in the code's convention.
Vec faceletPiece(int n) {
    const int r = n % 9 / 3, c = n % 3;
    switch (n / 9) {
        case 0:
            return {c - 1, 1, r - 1};  // U, B above
        case 1:
            return {1, 1 - r, 1 - c};  // R
        case 2:
            return {c - 1, 1 - r, 1};  // F
        case 3:
            return {c - 1, -1, 1 - r};  // D, F above
        case 4:
            return {-1, 1 - r, c - 1};  // L
        default:
            return {1 - c, 1 - r, -1};  // B
    }
}

// The sticker slot under each facelet of the code.
const std::array<int, 54>& slotOfFacelet() {
    static const std::array<int, 54> slots = [] {
        std::array<int, 54> s{};
        for (int n = 0; n < 54; ++n) {
            s[n] = pieceAt(faceletPiece(n))->faces[kFaceOfLetter[n / 9]];
        }
        return s;
    }();
    return slots;
}

bool opposite(int a, int b) {
    constexpr int kOpposite[6] = {2, 3, 0, 1, 5, 4};
    return kOpposite[a] == b;
}

// The parity of a permutation given as the image of each index.
int parity(const std::vector<int>& image) {
    std::vector<bool> seen(image.size());
    int swaps = 0;
    for (size_t i = 0; i < image.size(); ++i) {
        for (size_t j = i; !seen[j]; j = static_cast<size_t>(image[j])) {
            seen[j] = true;
            swaps += j != i;
        }
    }
    return swaps % 2;
}

float determinant(const float* a, const float* b, const float* c) {
    return a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
           a[2] * (b[0] * c[1] - b[1] * c[0]);
}

}  // namespace

std::string positionCode(const MagicCube::Stickers& stickers) {
    // A letter names the face whose centre has the colour: after a middle slice moved
    // the centres, the code is that of the cube turned to bring them home.
    char letterOfHome[6] = {'U', 'R', 'F', 'D', 'L', 'B'};
    bool moved[6] = {};
    for (int letter = 0; letter < 6; ++letter) {
        const int home = stickers[9 * kFaceOfLetter[letter] + 4].faceNumber;
        if (home >= 0 && home < 6 && !moved[home]) {
            moved[home] = true;
            letterOfHome[home] = kLetters[letter];
        }
    }
    std::string code(54, '?');
    for (int n = 0; n < 54; ++n) {
        const int home = stickers[slotOfFacelet()[n]].faceNumber;
        if (home >= 0 && home < 6) {
            code[n] = letterOfHome[home];
        }
    }
    return code;
}

bool stickersOfCode(const std::string& text, MagicCube::Stickers& stickers, std::string& problem) {
    const size_t first = text.find_first_not_of(" \t\r\n");
    const std::string code = first == std::string::npos
                                 ? ""
                                 : text.substr(first, text.find_last_not_of(" \t\r\n") + 1 - first);
    auto refuse = [&](const char* why) {
        problem = std::string("Not a cube position: ") + why;
        return false;
    };
    // Counted as a player counts them: a look-alike letter typed or pasted (a
    // full-width U, a Cyrillic Е) is one character of several bytes.
    const std::vector<std::string> typed = characters(code);
    if (typed.size() != 54) {
        return refuse("it must be 54 letters");
    }
    int homeOf[54];  // the home face of the sticker in each slot
    int count[6] = {};
    for (int n = 0; n < 54; ++n) {
        const char* letter = std::strchr(kLetters, typed[n][0]);
        if (typed[n].size() != 1 || typed[n][0] == '\0' || letter == nullptr) {
            problem = "Not a cube position: only U, R, F, D, L and B may be used, and character " +
                      std::to_string(n + 1) + " is " + named(typed[n]);
            return false;
        }
        ++count[letter - kLetters];
        homeOf[slotOfFacelet()[n]] = kFaceOfLetter[letter - kLetters];
    }
    if (std::any_of(count, count + 6, [](int c) { return c != 9; })) {
        return refuse("each letter must be there nine times");
    }
    for (int f = 0; f < 6; ++f) {
        if (homeOf[9 * f + 4] != f) {
            return refuse("a centre is out of place");
        }
    }
    // Which piece each piece is, by its colours, and so which sticker lies in each slot.
    int homeSlot[54];
    std::vector<int> corners, edges;  // home piece of each position, in piece order
    std::vector<const Voxlet*> cornerPieces, edgePieces;
    bool used[27] = {};
    for (const Voxlet& v : solved().voxlets()) {
        std::vector<int> faces;
        for (int d = 0; d < 6; ++d) {
            if (v.faces[d] >= 0) {
                faces.push_back(d);
            }
        }
        if (faces.size() < 2) {
            for (int d : faces) {
                homeSlot[v.faces[d]] = v.faces[d];  // a centre stays
            }
            continue;
        }
        Vec home{0, 0, 0};
        for (size_t i = 0; i < faces.size(); ++i) {
            const int h = homeOf[v.faces[faces[i]]];
            for (size_t j = 0; j < i; ++j) {
                const int other = homeOf[v.faces[faces[j]]];
                if (h == other || opposite(h, other)) {
                    return refuse(faces.size() == 3 ? "a corner no cube has"
                                                    : "an edge no cube has");
                }
            }
            for (int k = 0; k < 3; ++k) {
                home[k] += static_cast<int>(faceNormals[h][k]);
            }
        }
        const Voxlet* homePiece = pieceAt(home);
        const int index = static_cast<int>(homePiece - solved().voxlets().data());
        if (used[index]) {
            return refuse(faces.size() == 3 ? "a corner is there twice" : "an edge is there twice");
        }
        used[index] = true;
        for (int d : faces) {
            homeSlot[v.faces[d]] = homePiece->faces[homeOf[v.faces[d]]];
        }
        (faces.size() == 3 ? corners : edges).push_back(index);
        (faces.size() == 3 ? cornerPieces : edgePieces).push_back(&v);
    }
    // What every position reached by turning keeps: the corners' twists add up to a
    // whole turn, the edges' flips to an even number, and both kinds of piece are
    // permuted with the same parity.
    int twist = 0;
    for (const Voxlet* v : cornerPieces) {
        const int y = v->faces[1] >= 0 ? 1 : 3;
        int others[2], k = 0;
        for (int d : {0, 2, 4, 5}) {
            if (v->faces[d] >= 0) {
                others[k++] = d;
            }
        }
        if (determinant(faceNormals[y], faceNormals[others[0]], faceNormals[others[1]]) < 0) {
            std::swap(others[0], others[1]);
        }
        const int cycle[3] = {y, others[0], others[1]};
        for (int i = 0; i < 3; ++i) {
            const int h = homeOf[v->faces[cycle[i]]];
            twist += (h == 1 || h == 3) ? i : 0;
        }
    }
    if (twist % 3 != 0) {
        return refuse("one corner is twisted");
    }
    int flips = 0;
    for (const Voxlet* v : edgePieces) {
        // The position's primary facelet faces up or down if one does, else front or back.
        const int primary = v->faces[1] >= 0 ? 1 : v->faces[3] >= 0 ? 3 : v->faces[0] >= 0 ? 0 : 2;
        const int h = homeOf[v->faces[primary]];
        // The piece's own primary colour: its U or D colour if it has one, else F or B.
        int piecePrimary = -1;
        for (int d = 0; d < 6; ++d) {
            if (v->faces[d] >= 0) {
                const int colour = homeOf[v->faces[d]];
                if (colour == 1 || colour == 3) {
                    piecePrimary = colour;
                } else if ((colour == 0 || colour == 2) && piecePrimary < 0) {
                    piecePrimary = colour;
                }
            }
        }
        flips += h != piecePrimary;
    }
    if (flips % 2 != 0) {
        return refuse("one edge is flipped");
    }
    auto image = [](const std::vector<int>& homes) {
        std::vector<int> sorted = homes, result;
        std::sort(sorted.begin(), sorted.end());
        for (int h : homes) {
            result.push_back(
                static_cast<int>(std::find(sorted.begin(), sorted.end(), h) - sorted.begin()));
        }
        return result;
    };
    if (parity(image(corners)) != parity(image(edges))) {
        return refuse("two pieces are swapped");
    }
    for (int s = 0; s < 54; ++s) {
        stickers[s] = solved().stickers()[homeSlot[s]];
    }
    return true;
}

std::string codeOfAddress(const std::string& text) {
    const std::string mark = "#position=";
    const size_t at = text.find(mark);
    if (at == std::string::npos) {
        return text;
    }
    const std::string rest = text.substr(at + mark.size(), text.find('&', at) - at - mark.size());
    std::string code;
    for (size_t i = 0; i < rest.size(); ++i) {
        auto hex = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                          : -1;
        };
        if (rest[i] == '%' && i + 2 < rest.size() && hex(rest[i + 1]) >= 0 &&
            hex(rest[i + 2]) >= 0) {
            code += static_cast<char>(16 * hex(rest[i + 1]) + hex(rest[i + 2]));
            i += 2;
        } else {
            code += rest[i];
        }
    }
    return code;
}

}  // namespace gyrelle
