#pragma once
// A GL context for drawing tests: a small SDL window with a compatibility
// OpenGL 2.1 context (double buffer, 24-bit depth) at a given size, made
// current and set up as the game sets up its own (InitRenderContext: render
// stack, viewport, nearest filtering, GL_MODULATE, scratch buffer). The
// destructor drops every sprite texture and closes the window.
//
// Without a display (no DISPLAY, no Xvfb) the context is not available and
// the test should skip: GL_TEST_CONTEXT_OR_SKIP does both.
//
// ReadPixel takes screen coordinates (origin top left, y downwards) and reads
// the back buffer, where the test has just drawn.

#include <cstdint>
#include <memory>
#include <string>

namespace testing_support {

struct Rgba {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    uint8_t a = 0;
};

class GlTestContext {
public:
    GlTestContext(int width, int height);
    ~GlTestContext();
    GlTestContext(const GlTestContext&) = delete;
    GlTestContext& operator=(const GlTestContext&) = delete;

    bool Available() const { return context != nullptr; }
    /// Why the context is not available.
    const std::string& Error() const { return error; }
    int Width() const { return width; }
    int Height() const { return height; }

    /// The pixel at screen (x, y) of the back buffer.
    Rgba ReadPixel(int x, int y) const;
    /// Presents the back buffer.
    void Swap();

private:
    int width = 0;
    int height = 0;
    void* window = nullptr;
    void* context = nullptr;
    std::string error;
};

} // namespace testing_support

/// Declares `name` as a GlTestContext of width × height, or skips the test.
#define GL_TEST_CONTEXT_OR_SKIP(name, width, height)                                                         \
    ::testing_support::GlTestContext name(width, height);                                                    \
    if (!name.Available()) {                                                                                 \
        GTEST_SKIP() << "no display for an OpenGL context (" << name.Error()                                 \
                     << "); run under xvfb-run -a -s \"-screen 0 1024x768x24\"";                             \
    }
