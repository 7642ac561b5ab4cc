#include "view/CubeRenderer.h"

#include <GLES/gl.h>

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
}

CubeRenderer::CubeRenderer() {
    for (auto& vertex : quadColors_) {
        std::memcpy(vertex, kBody, 4);
    }
}

void CubeRenderer::drawFace(const Sticker& s) {
    // Colours go through the colour array rather than glColor4ub: on Mesa's software
    // rasteriser a change of the current colour re-validates state and costs far more
    // per quad. The four vertices share the colour, so the pixels are the same.
    for (int v = 0; v < 4; ++v) {
        std::memcpy(quadColors_[v], s.rgb, 3);
        quadColors_[v][3] = 255;
    }
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);  // sticker
    glDrawArrays(GL_TRIANGLE_STRIP, 4, 4);  // dark face around it
}

void CubeRenderer::render(const MagicCube& cube) {
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
                drawFace(stickers[v.faces[d]]);
            }
            glRotatef(-90.0f, 1.0f, 0.0f, 0.0f);
        }
        glRotatef(-90.0f, 0.0f, 1.0f, 0.0f);
        if (v.faces[4] >= 0) {
            drawFace(stickers[v.faces[4]]);
        }
        glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
        if (v.faces[5] >= 0) {
            drawFace(stickers[v.faces[5]]);
        }
        glPopMatrix();
    }
}

}  // namespace gyrelle
