#include "support/GlTestContext.h"

#include "platform/GameWindow.h"

#include "render/RenderContext.h"

#include <GL/gl.h>
#include <SDL.h>

namespace testing_support {

GlTestContext::GlTestContext(int requestedWidth, int requestedHeight)
    : width(requestedWidth), height(requestedHeight) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        error = SDL_GetError();
        return;
    }
    SetGameContextAttributes();
    SDL_Window* sdlWindow = SDL_CreateWindow("render test", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                             width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (!sdlWindow) {
        error = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return;
    }
    SDL_GLContext sdlContext = SDL_GL_CreateContext(sdlWindow);
    // Sanitizer builds keep the driver loaded so its exit-time leaks can be
    // told apart from ours (the game window does the same).
    KeepGraphicsDriverLoaded();
    if (!sdlContext || SDL_GL_MakeCurrent(sdlWindow, sdlContext) != 0) {
        error = SDL_GetError();
        if (sdlContext) {
            SDL_GL_DeleteContext(sdlContext);
        }
        SDL_DestroyWindow(sdlWindow);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return;
    }
    window = sdlWindow;
    context = sdlContext;
    SDL_GL_SetSwapInterval(0); // refused under Xvfb; the tests do not care
    InitRenderContext(width, height);
}

GlTestContext::~GlTestContext() {
    if (!context) {
        return;
    }
    ShutdownRenderContext();
    KeepGraphicsDriverLoaded();
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context));
    SDL_DestroyWindow(static_cast<SDL_Window*>(window));
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

Rgba GlTestContext::ReadPixel(int x, int y) const {
    uint8_t bgra[4] = {0, 0, 0, 0};
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(x, height - 1 - y, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
    return Rgba{bgra[2], bgra[1], bgra[0], bgra[3]};
}

void GlTestContext::Swap() {
    SDL_GL_SwapWindow(static_cast<SDL_Window*>(window));
}

} // namespace testing_support
