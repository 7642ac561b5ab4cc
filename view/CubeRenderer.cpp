#include "view/CubeRenderer.h"

#include <GLES/gl.h>

#include <cmath>
#include <cstring>

#include "cube/Tables.h"

namespace gyrelle {

// clang-format off
const float squareVertices[8][3] = {
    {-0.475f, -0.475f, 0.501f}, {0.475f, -0.475f, 0.501f},  // sticker quad
    {-0.475f, 0.475f, 0.501f},  {0.475f, 0.475f, 0.501f},
    {-0.5f, -0.5f, 0.5f}, {0.5f, -0.5f, 0.5f},              // face quad
    {-0.5f, 0.5f, 0.5f},  {0.5f, 0.5f, 0.5f},
};
const float squareNormals[8][3] = {
    {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1},
};
// clang-format on

namespace {
const unsigned char kBody[4] = {50, 50, 50, 255};

// The face letters on a grid of 5 x 7 cells, top row first.
struct Glyph {
    char letter;
    const char* rows[7];
};
constexpr Glyph kGlyphs[6] = {
    {'F', {"#####", "#....", "#....", "####.", "#....", "#....", "#...."}},
    {'U', {"#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'B', {"####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."}},
    {'D', {"####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'R', {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"}},
};
// A letter half a unit high on the 0.95 unit sticker, just in front of it.
constexpr float kCell = 0.5f / 7;
constexpr float kLetterZ = 0.502f;
constexpr int kMostLetterVertices = CubeRenderer::kMostLetterVertices;

// Each letter's cells as triangles, runs of a row merged, centred on the sticker.
struct Letters {
    float vertices[6][kMostLetterVertices][3];
    int counts[6] = {};
    float normals[kMostLetterVertices][3];
    Letters() {
        for (auto& n : normals) {
            n[0] = 0, n[1] = 0, n[2] = 1;
        }
        for (int g = 0; g < 6; ++g) {
            int& n = counts[g];
            for (int row = 0; row < 7; ++row) {
                const char* cells = kGlyphs[g].rows[row];
                for (int col = 0; col < 5;) {
                    if (cells[col] != '#') {
                        ++col;
                        continue;
                    }
                    int end = col;
                    while (end < 5 && cells[end] == '#') {
                        ++end;
                    }
                    const float x0 = (col - 2.5f) * kCell, x1 = (end - 2.5f) * kCell;
                    const float y1 = (3.5f - row) * kCell, y0 = y1 - kCell;
                    const float quad[6][2] = {{x0, y0}, {x1, y0}, {x0, y1},
                                              {x1, y0}, {x1, y1}, {x0, y1}};
                    for (const auto& v : quad) {
                        vertices[g][n][0] = v[0], vertices[g][n][1] = v[1];
                        vertices[g][n][2] = kLetterZ;
                        ++n;
                    }
                    col = end;
                }
            }
        }
    }
};
const Letters kLetters;

// The glyph of home face `face`'s letter.
int glyphOf(int face) {
    for (int g = 0; g < 6; ++g) {
        if (kGlyphs[g].letter == faceLetter(face)) {
            return g;
        }
    }
    return 0;
}

// Black on a light colour, white on a dark one (relative luminance, as WCAG has it).
bool darkLetterOn(Rgb c) {
    auto linear = [](unsigned char v) {
        const float f = v / 255.0f;
        return f <= 0.04045f ? f / 12.92f : std::pow((f + 0.055f) / 1.055f, 2.4f);
    };
    return 0.2126f * linear(c.r) + 0.7152f * linear(c.g) + 0.0722f * linear(c.b) > 0.18f;
}

// The quad's up (+y) and right (+x) in the piece's frame, for each face direction 0..5
// as render turns the quad to it.
constexpr float kUp[6][3] = {{0, 1, 0}, {0, 0, -1}, {0, -1, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 0}};
constexpr float kRight[6][3] = {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 0, -1}};

}  // namespace

Look lookOf(const Settings& settings) {
    Look look;
    look.exact = settings.scheme == ColourScheme::Classic;
    look.faces = schemeColours(settings.scheme, settings.faceColours);
    look.letters = settings.stickerLetters;
    return look;
}

CubeRenderer::CubeRenderer() {
    for (auto& vertex : quadColors_) {
        std::memcpy(vertex, kBody, 4);
    }
}

void CubeRenderer::drawFace(const Sticker& s, const Look& look, int direction) {
    // Colours go through the colour array rather than glColor4ub: on Mesa's software
    // rasteriser a change of the current colour re-validates state and costs far more
    // per quad. The four vertices share the colour, so the pixels are the same.
    const int face = s.faceNumber >= 0 && s.faceNumber < 6 ? s.faceNumber : 0;
    const Rgb shown = look.faces[face];
    for (int v = 0; v < 4; ++v) {
        if (look.exact) {
            std::memcpy(quadColors_[v], s.rgb, 3);
        } else {
            quadColors_[v][0] = shown.r, quadColors_[v][1] = shown.g, quadColors_[v][2] = shown.b;
        }
        quadColors_[v][3] = 255;
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);  // sticker
    glDrawArrays(GL_TRIANGLE_STRIP, 4, 4);  // dark face around it
    if (!look.letters) {
        return;
    }
    const int g = glyphOf(face);
    const unsigned char ink =
        darkLetterOn(look.exact ? Rgb{s.rgb[0], s.rgb[1], s.rgb[2]} : shown) ? 0 : 255;
    for (int v = 0; v < kLetters.counts[g]; ++v) {
        letterColors_[v][0] = letterColors_[v][1] = letterColors_[v][2] = ink;
        letterColors_[v][3] = 255;
    }
    glPushMatrix();
    glRotatef(90.0f * static_cast<float>(letterTurns_[direction]), 0, 0, 1);
    glVertexPointer(3, GL_FLOAT, 0, kLetters.vertices[g]);
    glNormalPointer(GL_FLOAT, 0, kLetters.normals);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, letterColors_);
    glDrawArrays(GL_TRIANGLES, 0, kLetters.counts[g]);
    glVertexPointer(3, GL_FLOAT, 0, squareVertices);
    glNormalPointer(GL_FLOAT, 0, squareNormals);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, quadColors_);
    glPopMatrix();
}

// A letter turned k quarter turns (counter-clockwise) has as its up the quad's up, left,
// down or right: the one that points most nearly up on the screen.
void CubeRenderer::standLetters(const float* orientation) {
    float m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    if (orientation) {  // axis x, y, z (unit) and angle in radians, as glRotatef turns
        const float x = orientation[0], y = orientation[1], z = orientation[2];
        const float c = std::cos(orientation[3]), s = std::sin(orientation[3]), t = 1 - c;
        const float r[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                               {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                               {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
        std::memcpy(m, r, sizeof m);
    }
    for (int d = 0; d < 6; ++d) {
        auto screenY = [&](const float* v) {
            return m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2];
        };
        const float up = screenY(kUp[d]), right = screenY(kRight[d]);
        const float ups[4] = {up, -right, -up, right};
        int best = 0;
        for (int k = 1; k < 4; ++k) {
            if (ups[k] > ups[best] + 1e-4f) {
                best = k;
            }
        }
        letterTurns_[d] = best;
    }
}

void CubeRenderer::render(const MagicCube& cube, const Look& look, const float* orientation) {
    if (look.letters) {
        standLetters(orientation);
    }
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, quadColors_);
    const MagicCube::Stickers& stickers = cube.stickers();
    const int* slice = animatedVoxlets[cube.animatedSlice()];
    const int* axis = animatedAxisAngle[cube.animatedSlice() / 3];
    for (const Voxlet& v : cube.voxlets()) {
        glPushMatrix();
        if (cube.animating() &&
            (v.xyz[0] == slice[0] || v.xyz[1] == slice[1] || v.xyz[2] == slice[2])) {
            glRotatef(static_cast<float>(cube.animatedDirection()) * cube.animatedAngle(),
                      static_cast<float>(axis[0]), static_cast<float>(axis[1]),
                      static_cast<float>(axis[2]));
        }
        glTranslatef(static_cast<float>(v.xyz[0]), static_cast<float>(v.xyz[1]),
                     static_cast<float>(v.xyz[2]));
        // -90 degrees about x carries the quad's +z to +y, -z and -y in turn.
        for (int d = 0; d < 4; ++d) {
            if (v.faces[d] >= 0) {
                drawFace(stickers[v.faces[d]], look, d);
            }
            glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
        }
        glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
        if (v.faces[4] >= 0) {
            drawFace(stickers[v.faces[4]], look, 4);
        }
        glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
        if (v.faces[5] >= 0) {
            drawFace(stickers[v.faces[5]], look, 5);
        }
        glPopMatrix();
    }
}

}  // namespace gyrelle
