#pragma once
// GameSession: the real game binary, started on a private virtual display
// with the test's own save folder, driven with real input.
//
// The game runs from its build folder and finds the data beside it (the demo
// data), or from a copy of the binary in a folder of crafted data. Its
// standard output (the log) goes to a file the session reads. HOME,
// XDG_DATA_HOME and XDG_RUNTIME_DIR are the test's own (the shared test
// main sets them), so saves and the single-instance lock are isolated.
// Coordinates of input are pixels of the game's logical screen.
//
// Under the sanitizers everything runs several times slower; every timeout
// is multiplied by TimeScale().

#include "ChildProcess.h"
#include "VirtualDisplay.h"

#include <map>
#include <memory>
#include <string>

class Image;

class GameSession {
public:
    /// Starts the game on `dataFolder` (copied beside a copy of the binary),
    /// or on the data beside the built game when it is empty.
    explicit GameSession(const std::string& dataFolder = "");
    /// The same with these variables added to the game's environment (they
    /// replace the defaults, e.g. DUNHAVEN_HOLD_EFFECTS=0 for moving effects).
    GameSession(const std::string& dataFolder, const std::map<std::string, std::string>& environment);
    /// The built game on a display with a window manager, as on a player's
    /// desktop (the display of the other sessions has none).
    struct WithWindowManager {};
    explicit GameSession(WithWindowManager);
    /// Kills the game if it still runs.
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;

    /// 1, or larger in the slower sanitizer builds.
    static double TimeScale();

    /// Waits until the game's window is mapped and gives it the keyboard
    /// focus; false, with Problem() set, when it does not appear.
    bool WaitForWindow(double seconds = 20.0);
    const std::string& Problem() const { return problem; }
    VirtualDisplay& Display() { return display; }
    unsigned long Window() const { return window; }

    /// Everything the game wrote so far.
    std::string Log() const;
    /// Waits until the log holds `fragment`.
    bool WaitForLog(const std::string& fragment, double seconds);

    bool Capture(Image& out);
    /// Captures until three pictures in a row, 200 ms apart, are equal, and
    /// gives that picture. A picture of one colour only counts with
    /// `allowBlank` (before its first screen the game shows black). False
    /// (with the last picture) when it keeps changing for `seconds`.
    bool WaitForStillPicture(Image& out, double seconds = 10.0, bool allowBlank = false);
    /// Waits for a picture that differs from `before` (the game has taken
    /// the input that changes it, however busy the machine), then for the
    /// picture to stand still. False when nothing changes in time.
    bool WaitForChangedStillPicture(const Image& before, Image& out, double seconds = 10.0);

    bool MoveMouse(int x, int y);
    bool Click(int x, int y, int button = 1);
    /// xdotool key names, e.g. "Escape", "ctrl+s".
    bool Key(const std::string& keys);
    bool Type(const std::string& text);
    /// Opens the developer console, runs `command` there and closes it.
    bool Console(const std::string& command);

    /// Sends the window's close request and waits for the game to end: its
    /// exit status, or kStillRunning after `seconds` (the game is then killed).
    int Close(double seconds = 20.0);
    bool Running() { return game && game->Running(); }
    /// The game's process id, -1 when it could not be started.
    pid_t Pid() const { return game ? game->Pid() : -1; }
    /// Ends the game at once (SIGKILL) and collects it.
    void Kill() {
        if (game) {
            game->Kill();
        }
    }
    /// Waits for the game to end by itself: its exit status, or
    /// kStillRunning after `seconds` (the game then still runs).
    int WaitForExit(double seconds);

    /// Variables for the environment constructor that make the game's sound
    /// library mix in real time into the WAV file `file` (its wave back-end,
    /// stereo 16-bit at the capture rate) instead of into nothing.
    static std::map<std::string, std::string> HeardInto(const std::string& file);
    /// The seconds of sound written so far into `file` by a game started
    /// with HeardInto: where in the recording "now" is. 0 before it exists.
    static double SecondsHeard(const std::string& file);

    /// The path of the save folder file of that name (found below
    /// XDG_DATA_HOME, whatever the company and title settings say), or "".
    static std::string FindSaveFile(const std::string& name);

private:
    void Launch(const std::string& dataFolder, const std::map<std::string, std::string>& environment);
    /// Window pixels of the logical screen's point.
    void ToWindow(int& x, int& y);

    VirtualDisplay display;
    std::unique_ptr<ChildProcess> game;
    unsigned long window = 0;
    std::string logPath;
    std::string problem;
};
