#include "cube/MagicCube.h"

#include "cube/Tables.h"

namespace gyrelle {

const unsigned char MagicCube::colors[6][3] = {
    {245, 0, 0},      // +z red
    {0, 200, 0},      // +y green
    {255, 140, 0},    // -z orange
    {0, 0, 255},      // -y blue
    {255, 255, 255},  // -x white
    {235, 245, 0},    // +x yellow
};

void Voxlet::setFaces(int& fidx, int pz, int py, int nz, int ny, int nx, int px) {
    const int flags[6] = {pz, py, nz, ny, nx, px};
    for (int i = 0; i < 6; ++i) {
        faces[i] = flags[i] ? faceIdx[fidx++] : -1;
    }
}

MagicCube::MagicCube() {
    resetCube();
}

const MagicCube& MagicCube::solved() {
    static const MagicCube cube;
    return cube;
}

MagicCube& MagicCube::operator=(const MagicCube& other) {
    s_ = other.s_;
    ++revision_;
    return *this;
}

void MagicCube::resetCube() {
    int fidx = 0;
    s_.animating = false;

    // The nine stickers of a face differ from its base colour by at most 2 per
    // channel, so each one is told apart by its colour alone.
    static const unsigned char offsets[9][3] = {
        {0, 0, 0}, {0, 0, 1}, {0, 1, 0}, {0, 1, 1}, {1, 0, 0},
        {1, 0, 1}, {1, 1, 0}, {1, 1, 1}, {2, 0, 0},
    };
    for (int k = 0; k < 9; ++k) {
        for (int f = 0; f < 6; ++f) {
            Sticker& s = s_.stickers[9 * f + k];
            for (int c = 0; c < 3; ++c) {
                unsigned char base = colors[f][c];
                s.rgb[c] = static_cast<unsigned char>(base ? base - offsets[k][c] : offsets[k][c]);
            }
            s.faceNumber = static_cast<signed char>(f);
        }
    }

    for (int a = -1; a <= 1; ++a) {
        for (int y = -1; y <= 1; ++y) {
            for (int x = -1; x <= 1; ++x) {
                Voxlet& v = s_.voxlets[9 * (a + 1) + 3 * (y + 1) + (x + 1)];
                int z = -a;
                v.xyz[0] = x;
                v.xyz[1] = y;
                v.xyz[2] = z;
                v.setFaces(fidx, z == 1, y == 1, z == -1, y == -1, x == -1, x == 1);
            }
        }
    }
    ++revision_;
}

bool MagicCube::isSolved() const {
    for (int f = 0; f < 6; ++f) {
        for (int k = 1; k < 9; ++k) {
            if (s_.stickers[9 * f + k].faceNumber != s_.stickers[9 * f].faceNumber) {
                return false;
            }
        }
    }
    return true;
}

int MagicCube::getStickerLocationWithColor(const unsigned char* rgb) const {
    for (int s = 0; s < kStickers; ++s) {
        const unsigned char* c = s_.stickers[s].rgb;
        if (c[0] == rgb[0] && c[1] == rgb[1] && c[2] == rgb[2]) {
            return s;
        }
    }
    return -1;
}

int MagicCube::getFaceWithColor(const unsigned char* rgb) const {
    int s = getStickerLocationWithColor(rgb);
    return s < 0 ? -1 : s / 9;
}

void MagicCube::setStickers(const Stickers& records) {
    s_.stickers = records;
    ++revision_;
}

void MagicCube::stopTurn() {
    if (s_.animating) {
        s_.animating = false;
        s_.animatedAngle = 0;
        ++revision_;
    }
}

}  // namespace gyrelle
