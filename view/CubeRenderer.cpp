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

// A letter just in front of its sticker.
constexpr float kLetterZ = 0.502f;
// Where the letter's texture is read, corner by corner as the quad is drawn: its rows
// run from the top.
constexpr GLfloat kLetterCorners[4][2] = {{0, 1}, {1, 1}, {0, 0}, {1, 0}};

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
    const LetterTexture& letter = letters_[face];
    if (!look.letters || letter.id == 0) {
        return;
    }
    // The letter's texture in the ink, its coverage blended over the sticker.
    const unsigned char ink =
        darkLetterOn(look.exact ? Rgb{s.rgb[0], s.rgb[1], s.rgb[2]} : shown) ? 0 : 255;
    for (auto& colour : letterColors_) {
        colour[0] = colour[1] = colour[2] = ink;
        colour[3] = 255;
    }
    const float w = letter.width / 2, h = letter.height / 2;
    const GLfloat quad[4][3] = {
        {-w, -h, kLetterZ}, {w, -h, kLetterZ}, {-w, h, kLetterZ}, {w, h, kLetterZ}};
    glPushMatrix();
    glRotatef(90.0f * static_cast<float>(letterTurns_[direction]), 0, 0, 1);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, letter.id);
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, 0, kLetterCorners);
    glVertexPointer(3, GL_FLOAT, 0, quad);
    glColorPointer(4, GL_UNSIGNED_BYTE, 0, letterColors_);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glVertexPointer(3, GL_FLOAT, 0, squareVertices);
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
