// The floor for this stack: a window that only draws two triangles with OpenGL ES 1.1
// on SDL2, once ("rest", then it sleeps in the event wait) or at 60 frames a second
// ("spin"). The whole-program figures of the game are measured against it.
#include <GLES/gl.h>
#include <SDL.h>

#include <cstring>

int main(int argc, char** argv) {
    const bool spin = argc > 1 && std::strcmp(argv[1], "spin") == 0;
    SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 1);
    SDL_Window* window = SDL_CreateWindow("Floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          320, 480, SDL_WINDOW_OPENGL);
    if (!window || !SDL_GL_CreateContext(window)) {
        return 1;
    }
    SDL_GL_SetSwapInterval(0);
    float angle = 0;
    auto draw = [&] {
        static const GLfloat triangles[12] = {-0.8f, -0.8f, 0.8f, -0.8f, 0.8f,  0.8f,
                                              -0.8f, -0.8f, 0.8f, 0.8f,  -0.8f, 0.8f};
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glLoadIdentity();
        glRotatef(angle, 0, 0, 1);
        glColor4f(1, 0, 0, 1);
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(2, GL_FLOAT, 0, triangles);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        SDL_GL_SwapWindow(window);
    };
    draw();
    Uint32 next = SDL_GetTicks();
    for (int frame = 0;;) {
        SDL_Event event;
        const Sint32 wait = static_cast<Sint32>(next - SDL_GetTicks());
        const int got =
            spin ? SDL_WaitEventTimeout(&event, wait > 0 ? wait : 0) : SDL_WaitEvent(&event);
        if (got && event.type == SDL_QUIT) {
            break;
        }
        if (got && event.type == SDL_WINDOWEVENT &&
            (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
             event.window.event == SDL_WINDOWEVENT_SHOWN)) {
            draw();
        }
        if (spin && static_cast<Sint32>(SDL_GetTicks() - next) >= 0) {
            ++frame;
            next += frame % 3 == 0 ? 16 : 17;  // 60 a second
            angle += 1;
            draw();
        }
    }
    SDL_Quit();
    return 0;
}
