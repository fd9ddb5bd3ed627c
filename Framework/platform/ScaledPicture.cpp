#include "platform/ScaledPicture.h"

#include "core/Log.h"
#include "platform/WindowEvents.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <SDL.h>

namespace {

// Framebuffer objects are not part of OpenGL 1.x: their entry points are
// looked up once from the driver.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;

    bool Load() {
        auto load = [](auto& call, const char* name) {
            call = reinterpret_cast<std::remove_reference_t<decltype(call)>>(SDL_GL_GetProcAddress(name));
            return call != nullptr;
        };
        return load(genFramebuffers, "glGenFramebuffers") && load(deleteFramebuffers, "glDeleteFramebuffers") &&
               load(bindFramebuffer, "glBindFramebuffer") &&
               load(framebufferTexture2D, "glFramebufferTexture2D") &&
               load(genRenderbuffers, "glGenRenderbuffers") &&
               load(deleteRenderbuffers, "glDeleteRenderbuffers") && load(bindRenderbuffer, "glBindRenderbuffer") &&
               load(renderbufferStorage, "glRenderbufferStorage") &&
               load(framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
               load(checkFramebufferStatus, "glCheckFramebufferStatus");
    }
};

struct Picture {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    int width = 0;
    int height = 0;
};

FramebufferCalls gl;
Picture picture;

void DeletePicture() {
    if (picture.framebuffer) {
        gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        gl.deleteFramebuffers(1, &picture.framebuffer);
    }
    if (picture.depth) {
        gl.deleteRenderbuffers(1, &picture.depth);
    }
    if (picture.colour) {
        glDeleteTextures(1, &picture.colour);
    }
    picture = Picture{};
}

} // namespace

bool BeginScaledPicture(int width, int height) {
    EndScaledPicture();
    if (width <= 0 || height <= 0) {
        return false;
    }
    if (!gl.genFramebuffers && !gl.Load()) {
        LogLine("Scaled full screen: the driver has no framebuffer objects; the picture is drawn scaled and "
                "captures read the window");
        return false;
    }
    GLint previousTexture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previousTexture);
    glGenTextures(1, &picture.colour);
    glBindTexture(GL_TEXTURE_2D, picture.colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, GLuint(previousTexture));
    gl.genRenderbuffers(1, &picture.depth);
    gl.bindRenderbuffer(GL_RENDERBUFFER, picture.depth);
    gl.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    gl.bindRenderbuffer(GL_RENDERBUFFER, 0);
    gl.genFramebuffers(1, &picture.framebuffer);
    gl.bindFramebuffer(GL_FRAMEBUFFER, picture.framebuffer);
    gl.framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, picture.colour, 0);
    gl.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, picture.depth);
    if (gl.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        LogLine("Scaled full screen: the off-screen picture could not be made; the picture is drawn scaled");
        DeletePicture();
        return false;
    }
    picture.width = width;
    picture.height = height;
    BindScaledPicture();
    return true;
}

void EndScaledPicture() {
    if (picture.framebuffer) {
        DeletePicture();
    }
}

bool ScaledPictureActive() {
    return picture.framebuffer != 0;
}

void BindScaledPicture() {
    if (!picture.framebuffer) {
        return;
    }
    gl.bindFramebuffer(GL_FRAMEBUFFER, picture.framebuffer);
    glViewport(0, 0, picture.width, picture.height);
}

void DrawScaledPictureIntoWindow(const PictureArea& viewport, int drawableWidth, int drawableHeight) {
    if (!picture.framebuffer) {
        return;
    }
    gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();

    glDisable(GL_SCISSOR_TEST);
    glViewport(0, 0, drawableWidth, drawableHeight);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glViewport(viewport.x, viewport.y, viewport.width, viewport.height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, picture.colour);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // The texture's rows are as GL drew them, bottom first: they land the
    // right way up on a quad with the same orientation.
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(-1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(1.0f, 1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
}
