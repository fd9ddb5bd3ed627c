#include "platform/WindowEvents.h"

#include "core/Redraw.h"
#include "platform/InputCallback.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

namespace {

// Virtual-key codes that are not plain characters.
constexpr int kVkBack = 0x08;
constexpr int kVkTab = 0x09;
constexpr int kVkReturn = 0x0D;
constexpr int kVkEscape = 0x1B;
constexpr int kVkNumpad0 = 0x60;
constexpr int kVkF1 = 0x70;
constexpr int kVkOem3 = 0xC0; // the key left of 1

// Keys taken by their place on the keyboard, whatever the layout prints on them.
int PositionalKey(int32_t scancode) {
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return '1' + (scancode - SDL_SCANCODE_1);
    }
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
        return kVkNumpad0 + 1 + (scancode - SDL_SCANCODE_KP_1);
    }
    switch (scancode) {
    case SDL_SCANCODE_0:
        return '0';
    case SDL_SCANCODE_GRAVE:
        return kVkOem3;
    case SDL_SCANCODE_KP_0:
        return kVkNumpad0;
    case SDL_SCANCODE_KP_MULTIPLY:
        return 0x6A;
    case SDL_SCANCODE_KP_PLUS:
        return 0x6B;
    case SDL_SCANCODE_KP_MINUS:
        return 0x6D;
    case SDL_SCANCODE_KP_PERIOD:
        return 0x6E;
    case SDL_SCANCODE_KP_DIVIDE:
        return 0x6F;
    case SDL_SCANCODE_KP_ENTER:
        return kVkReturn;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return 0x90;
    default:
        return 0;
    }
}

int NamedKey(int32_t keycode) {
    if (keycode >= SDLK_F1 && keycode <= SDLK_F12) {
        return kVkF1 + (keycode - SDLK_F1);
    }
    switch (keycode) {
    case SDLK_BACKSPACE:
        return kVkBack;
    case SDLK_TAB:
        return kVkTab;
    case SDLK_RETURN:
        return kVkReturn;
    case SDLK_ESCAPE:
        return kVkEscape;
    case SDLK_SPACE:
        return 0x20;
    case SDLK_PAGEUP:
        return 0x21;
    case SDLK_PAGEDOWN:
        return 0x22;
    case SDLK_END:
        return 0x23;
    case SDLK_HOME:
        return 0x24;
    case SDLK_LEFT:
        return 0x25;
    case SDLK_UP:
        return 0x26;
    case SDLK_RIGHT:
        return 0x27;
    case SDLK_DOWN:
        return 0x28;
    case SDLK_PRINTSCREEN:
        return 0x2C;
    case SDLK_INSERT:
        return 0x2D;
    case SDLK_DELETE:
        return 0x2E;
    case SDLK_LSHIFT:
    case SDLK_RSHIFT:
        return 0x10;
    case SDLK_LCTRL:
    case SDLK_RCTRL:
        return 0x11;
    case SDLK_LALT:
    case SDLK_RALT:
        return 0x12;
    case SDLK_PAUSE:
        return 0x13;
    case SDLK_CAPSLOCK:
        return 0x14;
    case SDLK_LGUI:
        return 0x5B;
    case SDLK_RGUI:
        return 0x5C;
    case SDLK_APPLICATION:
        return 0x5D;
    case SDLK_SCROLLLOCK:
        return 0x91;
    case SDLK_SEMICOLON:
        return 0xBA;
    case SDLK_EQUALS:
        return 0xBB;
    case SDLK_COMMA:
        return 0xBC;
    case SDLK_MINUS:
        return 0xBD;
    case SDLK_PERIOD:
        return 0xBE;
    case SDLK_SLASH:
        return 0xBF;
    case SDLK_LEFTBRACKET:
        return 0xDB;
    case SDLK_BACKSLASH:
        return 0xDC;
    case SDLK_RIGHTBRACKET:
        return 0xDD;
    case SDLK_QUOTE:
        return 0xDE;
    default:
        return 0;
    }
}

// For layouts whose keys print no Latin character: letters and punctuation by place.
int FallbackByPosition(int32_t scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + (scancode - SDL_SCANCODE_A);
    }
    switch (scancode) {
    case SDL_SCANCODE_SEMICOLON:
        return 0xBA;
    case SDL_SCANCODE_EQUALS:
        return 0xBB;
    case SDL_SCANCODE_COMMA:
        return 0xBC;
    case SDL_SCANCODE_MINUS:
        return 0xBD;
    case SDL_SCANCODE_PERIOD:
        return 0xBE;
    case SDL_SCANCODE_SLASH:
        return 0xBF;
    case SDL_SCANCODE_LEFTBRACKET:
        return 0xDB;
    case SDL_SCANCODE_BACKSLASH:
        return 0xDC;
    case SDL_SCANCODE_RIGHTBRACKET:
        return 0xDD;
    case SDL_SCANCODE_APOSTROPHE:
        return 0xDE;
    case SDL_SCANCODE_NONUSBACKSLASH:
        return 0xE2;
    default:
        return 0;
    }
}

// Length of the UTF-8 sequence starting with `lead` (0 for a byte that cannot start one).
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

void DispatchWindowChange(const SDL_WindowEvent& window, InputCallback& callback, WindowEventEffect& effect) {
    switch (window.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        callback.OnFocus(1);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        callback.OnFocus(0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        callback.OnSize(0, 0, 1);
        break;
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        int width = 0;
        int height = 0;
        if (SDL_Window* sdlWindow = SDL_GetWindowFromID(window.windowID)) {
            SDL_GetWindowSize(sdlWindow, &width, &height);
        } else {
            width = window.data1;
            height = window.data2;
        }
        callback.OnSize(width, height, window.event == SDL_WINDOWEVENT_RESTORED ? 2 : 0);
        effect = WindowEventEffect::SizeChanged;
        break;
    }
    case SDL_WINDOWEVENT_CLOSE:
        callback.OnClose();
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        // The system lost the window's picture: the next frame draws it again.
        RequestRedraw();
        break;
    default:
        break;
    }
}

void DispatchKey(const SDL_KeyboardEvent& key, InputCallback& callback) {
    const int virtualKey = VirtualKeyFromSdl(key.keysym.sym, key.keysym.scancode);
    if (virtualKey == 0) {
        return;
    }
    if (key.type == SDL_KEYUP) {
        callback.OnKey(virtualKey, 0, 0);
        return;
    }
    callback.OnKey(virtualKey, 1, key.repeat ? 1 : 0);
    if (const int control = ControlCharacterForKey(virtualKey)) {
        callback.OnChar(control);
    }
}

bool ForThisWindow(uint32_t eventWindow, const WindowEventContext& context) {
    return context.windowId == 0 || eventWindow == context.windowId;
}

} // namespace

int VirtualKeyFromSdl(int32_t keycode, int32_t scancode) {
    if (const int positional = PositionalKey(scancode)) {
        return positional;
    }
    if (keycode >= 'a' && keycode <= 'z') {
        return keycode - 'a' + 'A';
    }
    if (const int named = NamedKey(keycode)) {
        return named;
    }
    // A key code that is not an ASCII character: a letter of another script,
    // or a key SDL only knows by its place.
    if (keycode >= 0x80 || (keycode & SDLK_SCANCODE_MASK) != 0) {
        return FallbackByPosition(scancode);
    }
    return 0;
}

int ControlCharacterForKey(int virtualKey) {
    switch (virtualKey) {
    case kVkBack:
    case kVkTab:
    case kVkReturn:
    case kVkEscape:
        return virtualKey;
    default:
        return 0;
    }
}

void AppendLatin1(const char* text, std::string& out) {
    if (!text) {
        return;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    while (*bytes) {
        const int length = SequenceLength(*bytes);
        if (length == 0) {
            ++bytes; // a stray continuation byte or an invalid lead byte
            continue;
        }
        uint32_t codePoint = length == 1 ? *bytes : (*bytes & (0xFF >> (length + 1)));
        int taken = 1;
        while (taken < length && (bytes[taken] & 0xC0) == 0x80) {
            codePoint = (codePoint << 6) | (bytes[taken] & 0x3F);
            ++taken;
        }
        bytes += taken;
        if (taken < length) {
            continue; // cut short: the bytes read so far are dropped
        }
        // Only the shortest form counts: a longer (overlong) encoding of a
        // Latin-1 character is malformed and dropped.
        const bool printableAscii = length == 1 && codePoint >= 0x20 && codePoint <= 0x7E;
        const bool printableLatin1 = length == 2 && codePoint >= 0xA0 && codePoint <= 0xFF;
        if (printableAscii || printableLatin1) {
            out.push_back(static_cast<char>(codePoint));
        }
    }
}

PictureArea ComputePictureArea(int clientWidth, int clientHeight, int logicalWidth, int logicalHeight,
                               bool scaleToFit) {
    PictureArea area;
    if (!scaleToFit || logicalWidth <= 0 || logicalHeight <= 0 || clientWidth <= 0 || clientHeight <= 0) {
        area.width = logicalWidth;
        area.height = logicalHeight;
        area.x = clientWidth / 2 - logicalWidth / 2;
        area.y = clientHeight / 2 - logicalHeight / 2;
        return area;
    }
    const double scale = std::min(static_cast<double>(clientWidth) / logicalWidth,
                                  static_cast<double>(clientHeight) / logicalHeight);
    area.width = std::min(clientWidth, static_cast<int>(logicalWidth * scale));
    area.height = std::min(clientHeight, static_cast<int>(logicalHeight * scale));
    area.x = (clientWidth - area.width) / 2;
    area.y = (clientHeight - area.height) / 2;
    return area;
}

void MapToPicture(const PictureArea& area, int logicalWidth, int logicalHeight, int& x, int& y) {
    x -= area.x;
    y -= area.y;
    if (area.width == logicalWidth && area.height == logicalHeight) {
        return;
    }
    if (area.width > 0) {
        x = static_cast<int>(std::floor(static_cast<double>(x) * logicalWidth / area.width));
    }
    if (area.height > 0) {
        y = static_cast<int>(std::floor(static_cast<double>(y) * logicalHeight / area.height));
    }
}

WindowEventEffect DispatchWindowEvent(const SDL_Event& event, const WindowEventContext& context,
                                      InputCallback& callback) {
    WindowEventEffect effect = WindowEventEffect::None;
    switch (event.type) {
    case SDL_MOUSEMOTION:
        if (ForThisWindow(event.motion.windowID, context)) {
            int x = event.motion.x;
            int y = event.motion.y;
            MapToPicture(context.mouseArea, context.logicalWidth, context.logicalHeight, x, y);
            callback.OnMouseMove(x, y);
        }
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        if (!ForThisWindow(event.button.windowID, context)) {
            break;
        }
        const int down = event.type == SDL_MOUSEBUTTONDOWN ? 1 : 0;
        switch (event.button.button) {
        case SDL_BUTTON_LEFT:
            callback.OnMouseButton(0, down);
            break;
        case SDL_BUTTON_RIGHT:
            callback.OnMouseButton(1, down);
            break;
        case SDL_BUTTON_MIDDLE:
            callback.OnMouseButton(2, down);
            break;
        default:
            break;
        }
        break;
    }
    case SDL_MOUSEWHEEL:
        if (ForThisWindow(event.wheel.windowID, context) && event.wheel.y != 0) {
            const int notches =
                event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
            callback.OnMouseWheel(notches * 120);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        if (ForThisWindow(event.key.windowID, context)) {
            DispatchKey(event.key, callback);
        }
        break;
    case SDL_TEXTINPUT:
        if (ForThisWindow(event.text.windowID, context)) {
            std::string characters;
            AppendLatin1(event.text.text, characters);
            for (const char character : characters) {
                callback.OnChar(static_cast<unsigned char>(character));
            }
        }
        break;
    case SDL_WINDOWEVENT:
        if (ForThisWindow(event.window.windowID, context)) {
            DispatchWindowChange(event.window, callback, effect);
        }
        break;
    case SDL_QUIT:
        callback.OnClose();
        break;
    default:
        break;
    }
    return effect;
}

PictureArea ToBottomLeftOrigin(const PictureArea& area, int clientHeight) {
    PictureArea flipped = area;
    flipped.y = clientHeight - area.y - area.height;
    return flipped;
}
