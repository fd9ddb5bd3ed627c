#pragma once
// Console: the developer console, a text overlay over the top half of the
// screen that takes command lines (script/CommandTable.h) and keeps a
// scrollable history of their reports and of every log line.
//
// The key left of 1 (virtual key 0xC0) opens and closes it, when the option
// AllowConsole allows a console at all. While it is open it takes every key
// and character (the screen stack asks IsTakingKeys and holds them back).
// While it is closed the newest line still shows for 5 s as a status line
// at the top, fading out during its last second.
//
// Drawing is in screen pixels, origin top left, y downwards: the history
// runs upwards from the prompt line just above the middle of the screen, the
// newest line nearest the prompt. The configuration file (key/value) names
// the font ("Font", a font path for the resource cache) and the left margin
// of every line in pixels ("Inset").
//
// The history and the command history keep their newest kMaxLines entries,
// so a long session cannot grow without bound. Draw allocates nothing.
// One process-wide instance (GetConsole). Main thread only.

#include "core/String.h"
#include "ui/InputHandler.h"

#include <cstdint>
#include <deque>

class Font;

class Console : public InputHandler {
public:
    static constexpr size_t kMaxLines = 1000;
    static constexpr size_t kMaxInput = 255;
    static constexpr float kStatusSeconds = 5.0f;

    static constexpr int kToggleKey = 0xC0;
    static constexpr int kBackspaceKey = 8;
    static constexpr int kEnterKey = 13;
    static constexpr int kOlderCommandKey = 104; // keypad 8
    static constexpr int kNewerCommandKey = 98;  // keypad 2
    static constexpr int kScrollUpKey = 105;     // keypad 9
    static constexpr int kScrollDownKey = 99;    // keypad 3
    static constexpr char kToggleCharacter = '`';

    /// Reads the configuration at `path` and finds its font; then becomes an
    /// input handler and a log listener. False, with a log line, when the
    /// file cannot be read or the font cannot be found: there is then no
    /// console. `allowConsole` is the option AllowConsole.
    bool Load(const char* path, bool allowConsole);
    /// Stops listening and handling input and forgets everything.
    void Shutdown();

    /// A command report or a log line: into the history when allowed, and
    /// the status line too while closed.
    void AddReport(const char* text);
    /// While open: into the history and the status line ("print").
    void ShowWhileOpen(const char* text);
    /// Into the history and the status line whether open or not (script
    /// messages meant for the developer).
    void Show(const char* text);

    /// Once per frame after the screens: status line, frame-rate read-out
    /// and, while open, the overlay.
    void Draw();

    bool IsTakingKeys() const { return allowed && open; }
    bool IsLoaded() const { return font != nullptr; }

    // ---- InputHandler ----
    void OnKey(int key, int down, int repeat) override;
    void OnChar(int code) override;

    bool allowed = false;
    bool open = false;
    bool showFps = false;
    Font* font = nullptr;
    int32_t inset = 0;
    /// History, oldest first.
    std::deque<String> lines;
    int32_t scroll = 0;
    /// Command lines run, oldest first.
    std::deque<String> commands;
    int32_t browse = 0;
    String input;
    String typed;
    String status;
    float statusTime = 0.0f;
    /// The console's own clock: the last counter reading and the frame it measured.
    uint64_t lastCounter = 0;
    float frameSeconds = 0.0f;
    /// The digit character the last keypad key will type next; 0 for none.
    int pendingKeypadDigit = 0;

private:
    void AppendLine(const char* text);
    void SetStatus(const char* text);
    void RunInput();
    void RecallOlder();
    void RecallNewer();
    void AdvanceClock();
    void DrawText(const char* text, float x, float y);
    void DrawFrameRate();
    void DrawOverlay();
};

/// The one console.
Console& GetConsole();
