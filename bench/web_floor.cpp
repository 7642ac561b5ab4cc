// The floor a page's first frame is measured against (bench/web_bench.mjs): the least an
// Emscripten page does to draw, a WebGL context on its canvas cleared to a colour.
#include <GLES2/gl2.h>
#include <emscripten/html5.h>

int main() {
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context("#canvas", &attributes);
    emscripten_webgl_make_context_current(context);
    glClearColor(0.2f, 0.4f, 0.8f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0;
}
