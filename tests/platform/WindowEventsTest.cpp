// The pure translation of window events: the virtual-key table, UTF-8 text
// to Latin-1, where the picture sits in a larger client area, and SDL events
// turned into InputCallback calls (built by hand, no window needed).
#include "platform/WindowEvents.h"
#include "platform/InputCallback.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Recorder : InputCallback {
    std::vector<std::string> calls;
    void Add(const char* name, int a, int b = -1, int c = -1) {
        std::string line = name;
        for (int value : {a, b, c}) {
            if (value != -1) {
                line += " " + std::to_string(value);
            }
        }
        calls.push_back(line);
    }
    void OnMouseMove(int x, int y) override { Add("move", x, y); }
    void OnMouseButton(int button, int down) override { Add("button", button, down); }
    void OnMouseWheel(int delta) override { Add("wheel", delta); }
    void OnKey(int key, int down, int repeat) override { Add("key", key, down, repeat); }
    void OnChar(int code) override { Add("char", code); }
    void OnFocus(int gained) override { Add("focus", gained); }
    void OnSize(int width, int height, int kind) override { Add("size", width, height, kind); }
    void OnDisplayChange(int width, int height, int bits) override { Add("display", width, height, bits); }
    void OnClose() override { calls.push_back("close"); }
};

std::string Latin1(const char* utf8) {
    std::string out;
    AppendLatin1(utf8, out);
    return out;
}

SDL_Event KeyEvent(uint32_t type, SDL_Keycode key, SDL_Scancode scancode, int repeat = 0) {
    SDL_Event event{};
    event.type = type;
    event.key.windowID = 7;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.repeat = static_cast<uint8_t>(repeat);
    return event;
}

SDL_Event WindowEvent(uint8_t kind, uint32_t windowId = 7) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = windowId;
    event.window.event = kind;
    return event;
}

WindowEventContext ContextFor(uint32_t windowId = 7) {
    WindowEventContext context;
    context.windowId = windowId;
    context.mouseArea = ComputePictureArea(1024, 768, 1024, 768, false);
    return context;
}

} // namespace

TEST(VirtualKeys, EveryMappedKeyHasItsWindowsCode) {
    for (int i = 0; i < 26; ++i) {
        const auto scancode = static_cast<int32_t>(SDL_SCANCODE_A + i);
        EXPECT_EQ(VirtualKeyFromSdl('a' + i, scancode), 'A' + i) << char('a' + i);
    }
    const SDL_Scancode digitRow[] = {SDL_SCANCODE_0, SDL_SCANCODE_1, SDL_SCANCODE_2, SDL_SCANCODE_3,
                                     SDL_SCANCODE_4, SDL_SCANCODE_5, SDL_SCANCODE_6, SDL_SCANCODE_7,
                                     SDL_SCANCODE_8, SDL_SCANCODE_9};
    for (int digit = 0; digit < 10; ++digit) {
        EXPECT_EQ(VirtualKeyFromSdl('0' + digit, digitRow[digit]), '0' + digit);
    }
    const SDL_Keycode functionKeys[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                        SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(VirtualKeyFromSdl(functionKeys[i], SDL_GetScancodeFromKey(functionKeys[i])), 0x70 + i)
            << "F" << i + 1;
    }
    struct Named {
        SDL_Keycode key;
        SDL_Scancode scancode;
        int expected;
    };
    const Named named[] = {
        {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0x1B},
        {SDLK_RETURN, SDL_SCANCODE_RETURN, 0x0D},
        {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 0x08},
        {SDLK_TAB, SDL_SCANCODE_TAB, 0x09},
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 0x20},
        {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0x21},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0x22},
        {SDLK_END, SDL_SCANCODE_END, 0x23},
        {SDLK_HOME, SDL_SCANCODE_HOME, 0x24},
        {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
        {SDLK_UP, SDL_SCANCODE_UP, 0x26},
        {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0x27},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
        {SDLK_PRINTSCREEN, SDL_SCANCODE_PRINTSCREEN, 0x2C},
        {SDLK_INSERT, SDL_SCANCODE_INSERT, 0x2D},
        {SDLK_DELETE, SDL_SCANCODE_DELETE, 0x2E},
        {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 0x10},
        {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0x10},
        {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 0x11},
        {SDLK_RCTRL, SDL_SCANCODE_RCTRL, 0x11},
        {SDLK_LALT, SDL_SCANCODE_LALT, 0x12},
        {SDLK_RALT, SDL_SCANCODE_RALT, 0x12},
        {SDLK_PAUSE, SDL_SCANCODE_PAUSE, 0x13},
        {SDLK_CAPSLOCK, SDL_SCANCODE_CAPSLOCK, 0x14},
        {SDLK_LGUI, SDL_SCANCODE_LGUI, 0x5B},
        {SDLK_RGUI, SDL_SCANCODE_RGUI, 0x5C},
        {SDLK_APPLICATION, SDL_SCANCODE_APPLICATION, 0x5D},
        {SDLK_SCROLLLOCK, SDL_SCANCODE_SCROLLLOCK, 0x91},
        {SDLK_BACKQUOTE, SDL_SCANCODE_GRAVE, 0xC0},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 0xBA},
        {SDLK_EQUALS, SDL_SCANCODE_EQUALS, 0xBB},
        {SDLK_COMMA, SDL_SCANCODE_COMMA, 0xBC},
        {SDLK_MINUS, SDL_SCANCODE_MINUS, 0xBD},
        {SDLK_PERIOD, SDL_SCANCODE_PERIOD, 0xBE},
        {SDLK_SLASH, SDL_SCANCODE_SLASH, 0xBF},
        {SDLK_LEFTBRACKET, SDL_SCANCODE_LEFTBRACKET, 0xDB},
        {SDLK_BACKSLASH, SDL_SCANCODE_BACKSLASH, 0xDC},
        {SDLK_RIGHTBRACKET, SDL_SCANCODE_RIGHTBRACKET, 0xDD},
        {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 0xDE},
        // The keypad: digits 0x60..0x69, operators, Enter as Return.
        {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
        {SDLK_KP_1, SDL_SCANCODE_KP_1, 0x61},
        {SDLK_KP_5, SDL_SCANCODE_KP_5, 0x65},
        {SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69},
        {SDLK_KP_MULTIPLY, SDL_SCANCODE_KP_MULTIPLY, 0x6A},
        {SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS, 0x6B},
        {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 0x6D},
        {SDLK_KP_PERIOD, SDL_SCANCODE_KP_PERIOD, 0x6E},
        {SDLK_KP_DIVIDE, SDL_SCANCODE_KP_DIVIDE, 0x6F},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D},
        {SDLK_NUMLOCKCLEAR, SDL_SCANCODE_NUMLOCKCLEAR, 0x90},
    };
    for (const Named& entry : named) {
        EXPECT_EQ(VirtualKeyFromSdl(entry.key, entry.scancode), entry.expected) << SDL_GetKeyName(entry.key);
    }
}

TEST(VirtualKeys, NumberRowAndKeyLeftOfOneGoByPlaceOnOtherLayouts) {
    // A French layout prints '&' on the 1 key and '²' left of it.
    EXPECT_EQ(VirtualKeyFromSdl('&', SDL_SCANCODE_1), '1');
    EXPECT_EQ(VirtualKeyFromSdl(0xB2, SDL_SCANCODE_GRAVE), 0xC0);
    // Its A is where a US keyboard has Q: the letter follows the layout.
    EXPECT_EQ(VirtualKeyFromSdl('a', SDL_SCANCODE_Q), 'A');
    // A Cyrillic layout's letters have no Latin key code: the place decides.
    EXPECT_EQ(VirtualKeyFromSdl(0x444, SDL_SCANCODE_A), 'A');
    // Keys the game has no code for.
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY), 0);
    EXPECT_EQ(VirtualKeyFromSdl(SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN), 0);
}

TEST(TextInput, LatinOneCharactersBecomeSingleBytesOthersAreDropped) {
    EXPECT_EQ(Latin1("\xC3\xA9"), "\xE9"); // é
    EXPECT_EQ(Latin1("Gr\xC3\xBC\xC3\x9F"
                     "e"),
              "Gr\xFC\xDF"
              "e");
    EXPECT_EQ(Latin1("\xC2\xA0\xC3\xBF"), "\xA0\xFF"); // both ends of the upper half
    EXPECT_EQ(Latin1("a\xE2\x82\xAC"
                     "b"),
              "ab");                             // € is not Latin-1
    EXPECT_EQ(Latin1("\xF0\x9F\x98\x80!"), "!"); // nor are emoji
    EXPECT_EQ(Latin1(""), "");
    EXPECT_EQ(Latin1(nullptr), "");
}

TEST(TextInput, ControlCharactersAndMalformedSequencesAreDropped) {
    EXPECT_EQ(Latin1("\x01\x1F\x7F"
                     "a"),
              "a");
    EXPECT_EQ(Latin1("\xC2\x85"), ""); // a C1 control character
    EXPECT_EQ(Latin1("\xC3"), "");     // cut short at the end
    EXPECT_EQ(Latin1("\xC3"
                     "a"),
              "a");                    // cut short by a plain character
    EXPECT_EQ(Latin1("\xC1\xA9"), ""); // overlong form of 'i'
    EXPECT_EQ(Latin1("\xE0\x80\xA0"
                     "x"),
              "x"); // overlong form of a space
    EXPECT_EQ(Latin1("\xA9"
                     "b"),
              "b"); // a stray continuation byte
}

TEST(PictureArea, LargerClientCentresTheUnscaledPicture) {
    const PictureArea area = ComputePictureArea(1280, 1024, 1024, 768, false);
    EXPECT_EQ(area.x, 128);
    EXPECT_EQ(area.y, 128);
    EXPECT_EQ(area.width, 1024);
    EXPECT_EQ(area.height, 768);
    const PictureArea viewport = ToBottomLeftOrigin(area, 1024);
    EXPECT_EQ(viewport.x, 128);
    EXPECT_EQ(viewport.y, 128);

    // Truncating divisions on odd sizes; a smaller client gets a negative offset.
    const PictureArea odd = ComputePictureArea(1025, 769, 1024, 768, false);
    EXPECT_EQ(odd.x, 512 - 512);
    EXPECT_EQ(odd.y, 384 - 384);
    EXPECT_EQ(ToBottomLeftOrigin(odd, 769).y, 1);
    const PictureArea smaller = ComputePictureArea(800, 600, 1024, 768, false);
    EXPECT_EQ(smaller.x, -112);
    EXPECT_EQ(smaller.y, -84);
}

TEST(PictureArea, ScaledPictureKeepsItsAspectWithCentredBorders) {
    const PictureArea wide = ComputePictureArea(1920, 1080, 1024, 768, true);
    EXPECT_EQ(wide.width, 1440);
    EXPECT_EQ(wide.height, 1080);
    EXPECT_EQ(wide.x, 240);
    EXPECT_EQ(wide.y, 0);
    const PictureArea tall = ComputePictureArea(1024, 1024, 1024, 768, true);
    EXPECT_EQ(tall.width, 1024);
    EXPECT_EQ(tall.height, 768);
    EXPECT_EQ(tall.y, 128);
    const PictureArea same = ComputePictureArea(1024, 768, 1024, 768, true);
    EXPECT_EQ(same.x, 0);
    EXPECT_EQ(same.width, 1024);
}

TEST(PictureArea, MousePositionsMapBackIntoPicturePixels) {
    int x = 128 + 10;
    int y = 128 + 20;
    MapToPicture(ComputePictureArea(1280, 1024, 1024, 768, false), 1024, 768, x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);

    const PictureArea wide = ComputePictureArea(1920, 1080, 1024, 768, true);
    x = 240 + 720; // the centre of the scaled picture
    y = 540;
    MapToPicture(wide, 1024, 768, x, y);
    EXPECT_EQ(x, 512);
    EXPECT_EQ(y, 384);
    x = 240 + 1439; // the picture's last window pixel is its last column
    y = 1079;
    MapToPicture(wide, 1024, 768, x, y);
    EXPECT_EQ(x, 1023);
    EXPECT_EQ(y, 767);
    x = 239; // in the left border: outside the picture, not column 0
    y = 0;
    MapToPicture(wide, 1024, 768, x, y);
    EXPECT_LT(x, 0);
}

TEST(WindowEventDispatch, MouseEventsArriveInPictureCoordinates) {
    WindowEventContext context = ContextFor();
    context.mouseArea = ComputePictureArea(1280, 1024, 1024, 768, false);
    Recorder recorder;
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = 7;
    event.motion.x = 130;
    event.motion.y = 900;
    DispatchWindowEvent(event, context, recorder);

    const uint8_t buttons[] = {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE, SDL_BUTTON_X1};
    for (uint8_t button : buttons) {
        SDL_Event press{};
        press.type = SDL_MOUSEBUTTONDOWN;
        press.button.windowID = 7;
        press.button.button = button;
        DispatchWindowEvent(press, context, recorder);
        press.type = SDL_MOUSEBUTTONUP;
        DispatchWindowEvent(press, context, recorder);
    }
    SDL_Event wheel{};
    wheel.type = SDL_MOUSEWHEEL;
    wheel.wheel.windowID = 7;
    wheel.wheel.y = 1;
    DispatchWindowEvent(wheel, context, recorder);
    wheel.wheel.y = -2;
    DispatchWindowEvent(wheel, context, recorder);
    wheel.wheel.direction = SDL_MOUSEWHEEL_FLIPPED;
    DispatchWindowEvent(wheel, context, recorder);

    const std::vector<std::string> expected = {"move 2 772", "button 0 1", "button 0 0", "button 1 1",
                                               "button 1 0", "button 2 1", "button 2 0", "wheel 120",
                                               "wheel -240", "wheel 240"};
    EXPECT_EQ(recorder.calls, expected);
}

TEST(WindowEventDispatch, KeysCarryRepeatAndTheControlCharactersWindowsSends) {
    const WindowEventContext context = ContextFor();
    Recorder recorder;
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_RETURN, SDL_SCANCODE_RETURN, 1), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYUP, SDLK_RETURN, SDL_SCANCODE_RETURN), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_TAB, SDL_SCANCODE_TAB), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER), context, recorder);
    // A letter's character comes from text input, not from the key.
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, 'e', SDL_SCANCODE_E), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY), context, recorder);

    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    text.text.windowID = 7;
    std::strcpy(text.text.text, "\xC3\xA9\xE2\x82\xAC"
                                "a");
    DispatchWindowEvent(text, context, recorder);

    const std::vector<std::string> expected = {"key 13 1 0", "char 13",    "key 13 1 1", "char 13",
                                               "key 13 0 0", "key 8 1 0",  "char 8",     "key 9 1 0",
                                               "char 9",     "key 27 1 0", "char 27",    "key 13 1 0",
                                               "char 13",    "key 69 1 0", "char 233",   "char 97"};
    EXPECT_EQ(recorder.calls, expected);
}

TEST(WindowEventDispatch, WindowChangesAndOtherWindowsEvents) {
    const WindowEventContext context = ContextFor();
    Recorder recorder;
    DispatchWindowEvent(WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), context, recorder);
    DispatchWindowEvent(WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST), context, recorder);
    DispatchWindowEvent(WindowEvent(SDL_WINDOWEVENT_MINIMIZED), context, recorder);
    SDL_Event restored = WindowEvent(SDL_WINDOWEVENT_RESTORED);
    restored.window.data1 = 0;
    EXPECT_EQ(DispatchWindowEvent(restored, context, recorder), WindowEventEffect::SizeChanged);
    SDL_Event resized = WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED);
    resized.window.data1 = 1280;
    resized.window.data2 = 1024;
    EXPECT_EQ(DispatchWindowEvent(resized, context, recorder), WindowEventEffect::SizeChanged);
    EXPECT_EQ(DispatchWindowEvent(WindowEvent(SDL_WINDOWEVENT_CLOSE), context, recorder),
              WindowEventEffect::None);
    // Another window's events do not reach the game.
    DispatchWindowEvent(WindowEvent(SDL_WINDOWEVENT_CLOSE, 8), context, recorder);
    DispatchWindowEvent(KeyEvent(SDL_KEYDOWN, SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), ContextFor(8), recorder);

    const std::vector<std::string> expected = {"focus 1",    "focus 0",          "size 0 0 1",
                                               "size 0 0 2", "size 1280 1024 0", "close"};
    EXPECT_EQ(recorder.calls, expected);
}
