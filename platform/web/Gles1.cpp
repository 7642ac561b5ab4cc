// The OpenGL ES 1.1 calls the game makes, over WebGL: matrix stacks, client-side arrays
// and the fixed-function colour (and texture) stage, drawn by one small shader.
// Calls that WebGL has under the same name (viewport, clear, depth, blend, textures,
// read-back) go straight to it; the framebuffer-object entry points are looked up by
// their OES names. Like GL's own, this state belongs to the one current context.
// In order: the state (matrices, arrays, the shader's sources), building the program,
// lookUp and forgetContext, then the GL calls themselves (matrices, arrays, capabilities,
// glDrawArrays, which uploads the arrays and draws).
#include "platform/web/Gles1.h"

#include <GLES/gl.h>
#include <GLES/glext.h>
#include <webgl/webgl1.h>

#include <array>
#include <cmath>
#include <cstring>

namespace gyrelle::platform::web {

namespace {

using Matrix = std::array<float, 16>;  // column-major

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr int kStackDepth = 32;

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix m{};
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a[k * 4 + r] * b[c * 4 + k];
            }
            m[c * 4 + r] = sum;
        }
    }
    return m;
}

struct Array {
    bool enabled = false;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLsizei stride = 0;
    const void* pointer = nullptr;
    GLuint buffer = 0;

    GLsizei elementBytes() const {
        return size * (type == GL_UNSIGNED_BYTE || type == GL_BYTE ? 1 : type == GL_SHORT ? 2 : 4);
    }
    GLsizei step() const { return stride ? stride : elementBytes(); }
};

enum Attribute : GLuint { kPosition, kColour, kTexCoord };

struct State {
    Matrix stacks[2][kStackDepth];
    int depth[2] = {0, 0};
    int mode = 0;  // 0 model-view, 1 projection
    Array arrays[3];
    bool texturing = false;
    GLenum textureMode = GL_MODULATE;
    GLuint program = 0;
    GLint mvp = -1, textured = -1, replace = -1, sampler = -1;

    Matrix& top() { return stacks[mode][depth[mode]]; }
};

State& state() {
    static State s = [] {
        State init;
        init.stacks[0][0] = kIdentity;
        init.stacks[1][0] = kIdentity;
        return init;
    }();
    return s;
}

Array* arrayFor(GLenum array) {
    switch (array) {
        case GL_VERTEX_ARRAY:
            return &state().arrays[kPosition];
        case GL_COLOR_ARRAY:
            return &state().arrays[kColour];
        case GL_TEXTURE_COORD_ARRAY:
            return &state().arrays[kTexCoord];
        default:
            return nullptr;  // normals: there is no lighting to use them
    }
}

constexpr char kVertexShader[] = R"(
attribute vec4 position;
attribute vec4 colour;
attribute vec2 texCoord;
uniform mat4 mvp;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    gl_Position = mvp * position;
    vColour = colour;
    vTexCoord = texCoord;
})";

constexpr char kFragmentShader[] = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D sampler;
uniform bool textured;
uniform bool replace;
varying vec4 vColour;
varying vec2 vTexCoord;
void main() {
    vec4 c = vColour;
    if (textured) {
        vec4 t = texture2D(sampler, vTexCoord);
        c = replace ? t : c * t;
    }
    gl_FragColor = c;
})";

GLuint compile(GLenum kind, const char* source) {
    GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

bool ready() {
    State& s = state();
    if (s.program != 0) {
        return true;
    }
    s.program = emscripten_glCreateProgram();
    emscripten_glAttachShader(s.program, compile(GL_VERTEX_SHADER, kVertexShader));
    emscripten_glAttachShader(s.program, compile(GL_FRAGMENT_SHADER, kFragmentShader));
    emscripten_glBindAttribLocation(s.program, kPosition, "position");
    emscripten_glBindAttribLocation(s.program, kColour, "colour");
    emscripten_glBindAttribLocation(s.program, kTexCoord, "texCoord");
    emscripten_glLinkProgram(s.program);
    GLint linked = 0;
    emscripten_glGetProgramiv(s.program, GL_LINK_STATUS, &linked);
    if (!linked) {
        s.program = 0;
        return false;
    }
    s.mvp = emscripten_glGetUniformLocation(s.program, "mvp");
    s.textured = emscripten_glGetUniformLocation(s.program, "textured");
    s.replace = emscripten_glGetUniformLocation(s.program, "replace");
    s.sampler = emscripten_glGetUniformLocation(s.program, "sampler");
    for (Array& a : s.arrays) {
        emscripten_glGenBuffers(1, &a.buffer);
    }
    return true;
}

void transform(const Matrix& m) {
    state().top() = multiply(state().top(), m);
}

}  // namespace

void* lookUp(const char* name) {
    struct Entry {
        const char* name;
        void* function;
    };
    static const Entry entries[] = {
        {"glGenFramebuffersOES", reinterpret_cast<void*>(emscripten_glGenFramebuffers)},
        {"glDeleteFramebuffersOES", reinterpret_cast<void*>(emscripten_glDeleteFramebuffers)},
        {"glBindFramebufferOES", reinterpret_cast<void*>(emscripten_glBindFramebuffer)},
        {"glFramebufferRenderbufferOES",
         reinterpret_cast<void*>(emscripten_glFramebufferRenderbuffer)},
        {"glFramebufferTexture2DOES", reinterpret_cast<void*>(emscripten_glFramebufferTexture2D)},
        {"glCheckFramebufferStatusOES",
         reinterpret_cast<void*>(emscripten_glCheckFramebufferStatus)},
        {"glGenRenderbuffersOES", reinterpret_cast<void*>(emscripten_glGenRenderbuffers)},
        {"glDeleteRenderbuffersOES", reinterpret_cast<void*>(emscripten_glDeleteRenderbuffers)},
        {"glBindRenderbufferOES", reinterpret_cast<void*>(emscripten_glBindRenderbuffer)},
        {"glRenderbufferStorageOES", reinterpret_cast<void*>(emscripten_glRenderbufferStorage)},
        {"glGetRenderbufferParameterivOES",
         reinterpret_cast<void*>(emscripten_glGetRenderbufferParameteriv)},
    };
    for (const Entry& e : entries) {
        if (std::strcmp(e.name, name) == 0) {
            return e.function;
        }
    }
    return nullptr;
}

void forgetContext() {
    State& s = state();
    s = State{};
    s.stacks[0][0] = kIdentity;
    s.stacks[1][0] = kIdentity;
}

}  // namespace gyrelle::platform::web

using gyrelle::platform::web::Matrix;

extern "C" {

void glMatrixMode(GLenum mode) {
    gyrelle::platform::web::state().mode = mode == GL_PROJECTION ? 1 : 0;
}

void glLoadIdentity() {
    gyrelle::platform::web::state().top() = gyrelle::platform::web::kIdentity;
}

void glPushMatrix() {
    auto& s = gyrelle::platform::web::state();
    if (s.depth[s.mode] + 1 < gyrelle::platform::web::kStackDepth) {
        s.stacks[s.mode][s.depth[s.mode] + 1] = s.top();
        ++s.depth[s.mode];
    }
}

void glPopMatrix() {
    auto& s = gyrelle::platform::web::state();
    if (s.depth[s.mode] > 0) {
        --s.depth[s.mode];
    }
}

void glOrthof(GLfloat l, GLfloat r, GLfloat b, GLfloat t, GLfloat n, GLfloat f) {
    const Matrix m = {2 / (r - l),
                      0,
                      0,
                      0,
                      0,
                      2 / (t - b),
                      0,
                      0,
                      0,
                      0,
                      -2 / (f - n),
                      0,
                      -(r + l) / (r - l),
                      -(t + b) / (t - b),
                      -(f + n) / (f - n),
                      1};
    gyrelle::platform::web::transform(m);
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z) {
    const Matrix m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1};
    gyrelle::platform::web::transform(m);
}

void glRotatef(GLfloat degrees, GLfloat x, GLfloat y, GLfloat z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0) {
        return;
    }
    x /= length, y /= length, z /= length;
    const float a = degrees * static_cast<float>(M_PI) / 180.0f;
    const float c = std::cos(a), s = std::sin(a), t = 1 - c;
    const Matrix m = {t * x * x + c,
                      t * x * y + s * z,
                      t * x * z - s * y,
                      0,
                      t * x * y - s * z,
                      t * y * y + c,
                      t * y * z + s * x,
                      0,
                      t * x * z + s * y,
                      t * y * z - s * x,
                      t * z * z + c,
                      0,
                      0,
                      0,
                      0,
                      1};
    gyrelle::platform::web::transform(m);
}

void glEnableClientState(GLenum array) {
    if (auto* a = gyrelle::platform::web::arrayFor(array)) {
        a->enabled = true;
    }
}

void glDisableClientState(GLenum array) {
    if (auto* a = gyrelle::platform::web::arrayFor(array)) {
        a->enabled = false;
    }
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    auto& a = gyrelle::platform::web::state().arrays[gyrelle::platform::web::kPosition];
    a.size = size, a.type = type, a.stride = stride, a.pointer = pointer;
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    auto& a = gyrelle::platform::web::state().arrays[gyrelle::platform::web::kColour];
    a.size = size, a.type = type, a.stride = stride, a.pointer = pointer;
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    auto& a = gyrelle::platform::web::state().arrays[gyrelle::platform::web::kTexCoord];
    a.size = size, a.type = type, a.stride = stride, a.pointer = pointer;
}

void glNormalPointer(GLenum, GLsizei, const void*) {}

// Every quad the game draws has one colour at all its corners: flat and smooth agree.
void glShadeModel(GLenum) {}

void glTexEnvf(GLenum, GLenum name, GLfloat value) {
    if (name == GL_TEXTURE_ENV_MODE) {
        gyrelle::platform::web::state().textureMode = static_cast<GLenum>(value);
    }
}

void glEnable(GLenum cap) {
    if (cap == GL_TEXTURE_2D) {
        gyrelle::platform::web::state().texturing = true;
    } else {
        emscripten_glEnable(cap);
    }
}

void glDisable(GLenum cap) {
    if (cap == GL_TEXTURE_2D) {
        gyrelle::platform::web::state().texturing = false;
    } else {
        emscripten_glDisable(cap);
    }
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    using namespace gyrelle::platform::web;
    State& s = state();
    if (count <= 0 || first < 0 || !ready()) {
        return;
    }
    emscripten_glUseProgram(s.program);
    const Matrix mvp = multiply(s.stacks[1][s.depth[1]], s.stacks[0][s.depth[0]]);
    emscripten_glUniformMatrix4fv(s.mvp, 1, GL_FALSE, mvp.data());
    const bool textured = s.texturing && s.arrays[kTexCoord].enabled;
    emscripten_glUniform1i(s.textured, textured);
    emscripten_glUniform1i(s.replace, s.textureMode == GL_REPLACE);
    emscripten_glUniform1i(s.sampler, 0);
    for (GLuint i = kPosition; i <= kTexCoord; ++i) {
        const Array& a = s.arrays[i];
        if (!a.enabled || a.pointer == nullptr || (i == kTexCoord && !textured)) {
            emscripten_glDisableVertexAttribArray(i);
            if (i == kColour) {
                emscripten_glVertexAttrib4f(i, 1, 1, 1, 1);
            }
            continue;
        }
        // Only the vertices drawn, from the first: the pointer moves, the offset is 0.
        const GLsizei step = a.step();
        const auto* from = static_cast<const char*>(a.pointer) + first * step;
        emscripten_glBindBuffer(GL_ARRAY_BUFFER, a.buffer);
        emscripten_glBufferData(GL_ARRAY_BUFFER, (count - 1) * step + a.elementBytes(), from,
                                GL_STREAM_DRAW);
        emscripten_glEnableVertexAttribArray(i);
        emscripten_glVertexAttribPointer(i, a.size, a.type, a.type == GL_UNSIGNED_BYTE, a.stride,
                                         nullptr);
    }
    emscripten_glDrawArrays(mode, 0, count);
}

}  // extern "C"
