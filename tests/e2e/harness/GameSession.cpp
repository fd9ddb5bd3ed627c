#include "GameSession.h"

#include "render/Image.h"
#include "support/AudioCapture.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr int kLogicalWidth = 1024;
constexpr int kLogicalHeight = 768;
// A picture is still when this many captures in a row, an interval apart,
// are equal: long enough to see through a slow frame in the middle of a fade.
constexpr auto kStillInterval = std::chrono::milliseconds(200);
constexpr int kStillCaptures = 3;

const std::string kBuiltGame = std::string(TEST_BINARY_DIR) + "/bin/dunhaven";

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool SamePixels(const Image& a, const Image& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() && a.PixelBytes() == b.PixelBytes() &&
           std::memcmp(a.Pixels(), b.Pixels(), a.PixelBytes()) == 0;
}

// Every pixel the same: the game has not drawn its first screen yet.
bool IsBlank(const Image& picture) {
    const size_t bytes = picture.PixelBytes();
    for (size_t i = 4; i < bytes; ++i) {
        if (picture.Pixels()[i] != picture.Pixels()[i % 4]) {
            return false;
        }
    }
    return true;
}

// A copy of the built game in a folder of its own with the data beside it:
// the game reads its data from the folder its binary lies in.
std::string GameWithData(const std::string& dataFolder) {
    const fs::path folder = fs::path(testing_support::TestTempDir()) / "game";
    fs::create_directories(folder);
    fs::copy(dataFolder, folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy_file(kBuiltGame, folder / "dunhaven", fs::copy_options::overwrite_existing);
    return (folder / "dunhaven").string();
}

} // namespace

double GameSession::TimeScale() {
#if defined(__SANITIZE_ADDRESS__)
    return 4.0;
#else
    return 1.0;
#endif
}

GameSession::GameSession(const std::string& dataFolder) : GameSession(dataFolder, {}) {}

GameSession::GameSession(const std::string& dataFolder,
                         const std::map<std::string, std::string>& environment) {
    Launch(dataFolder, environment);
}

GameSession::GameSession(WithWindowManager) {
    if (display.Ready() && !display.StartWindowManager()) {
        problem = display.Problem();
        return;
    }
    Launch("", {});
}

void GameSession::Launch(const std::string& dataFolder, const std::map<std::string, std::string>& environment) {
    if (!display.Ready()) {
        problem = display.Problem();
        return;
    }
    const std::string program = dataFolder.empty() ? kBuiltGame : GameWithData(dataFolder);
    logPath = testing_support::TestTempDir() + "/game.log";
    // Sound goes nowhere: a test machine has no sound card to rely on.
    std::map<std::string, std::string> variables = {{"DISPLAY", display.Name()},
                                                    {"ALSOFT_DRIVERS", "null"},
                                                    {"DUNHAVEN_HOLD_EFFECTS", "1"},
                                                    {"SDL_AUDIODRIVER", "dummy"}};
    for (const auto& [key, value] : environment) {
        variables[key] = value;
    }
    game = std::make_unique<ChildProcess>(std::vector<std::string>{program}, variables, logPath);
    if (!game->Started()) {
        problem = "the game " + program + " could not be started";
    }
}

GameSession::~GameSession() = default;

bool GameSession::WaitForWindow(double seconds) {
    if (!game || !game->Started()) {
        return false;
    }
    window = display.WaitForWindow(game->Pid(), seconds * TimeScale());
    if (!window) {
        problem = "no game window appeared; the game's log:\n" + Log();
        return false;
    }
    // Without a window manager nobody gives a new window the focus; a
    // player's desktop does, so the session does too.
    display.Focus(window);
    return true;
}

std::string GameSession::Log() const {
    return testing_support::ReadFile(logPath);
}

bool GameSession::WaitForLog(const std::string& fragment, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (Log().find(fragment) == std::string::npos) {
        if (SecondsSince(start) > seconds * TimeScale()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

bool GameSession::Capture(Image& out) {
    return window && display.Capture(window, out);
}

bool GameSession::WaitForStillPicture(Image& out, double seconds, bool allowBlank) {
    const auto start = std::chrono::steady_clock::now();
    Image previous;
    bool havePrevious = false;
    int sameInARow = 0;
    while (SecondsSince(start) <= seconds * TimeScale()) {
        // A window that a window manager is still moving or resizing cannot
        // be read for a moment; only one that stays unreadable fails.
        if (!Capture(out)) {
            if (!window) {
                return false;
            }
            havePrevious = false;
            sameInARow = 0;
            std::this_thread::sleep_for(kStillInterval);
            continue;
        }
        const bool same = havePrevious && SamePixels(previous, out) && (allowBlank || !IsBlank(out));
        sameInARow = same ? sameInARow + 1 : 0;
        if (sameInARow + 1 >= kStillCaptures) {
            return true;
        }
        previous.Create(out.Width(), out.Height());
        std::memcpy(previous.Pixels(), out.Pixels(), out.PixelBytes());
        havePrevious = true;
        std::this_thread::sleep_for(kStillInterval);
    }
    return false;
}

bool GameSession::WaitForChangedStillPicture(const Image& before, Image& out, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (SecondsSince(start) <= seconds * TimeScale()) {
        if (!Capture(out)) {
            if (!window) {
                return false;
            }
            std::this_thread::sleep_for(kStillInterval);
            continue;
        }
        if (!SamePixels(before, out)) {
            return WaitForStillPicture(out, seconds);
        }
        std::this_thread::sleep_for(kStillInterval);
    }
    return false;
}

void GameSession::ToWindow(int& x, int& y) {
    // The window shows the logical screen scaled to fit, centred.
    const WindowSize size = display.SizeOf(window);
    const double scale = std::min(double(size.width) / kLogicalWidth, double(size.height) / kLogicalHeight);
    if (scale <= 0.0) {
        return;
    }
    x = static_cast<int>((size.width - kLogicalWidth * scale) / 2 + x * scale);
    y = static_cast<int>((size.height - kLogicalHeight * scale) / 2 + y * scale);
}

bool GameSession::MoveMouse(int x, int y) {
    ToWindow(x, y);
    return display.Xdotool(
        {"mousemove", "--sync", "--window", std::to_string(window), std::to_string(x), std::to_string(y)});
}

bool GameSession::Click(int x, int y, int button) {
    return MoveMouse(x, y) && display.Xdotool({"click", std::to_string(button)});
}

bool GameSession::Key(const std::string& keys) {
    return display.Xdotool({"key", "--delay", "30", keys});
}

bool GameSession::Type(const std::string& text) {
    return display.Xdotool({"type", "--delay", "30", text});
}

bool GameSession::Console(const std::string& command) {
    return Key("grave") && Type(command) && Key("Return") && Key("grave");
}

int GameSession::Close(double seconds) {
    if (!game || !game->Started()) {
        return 127;
    }
    if (window) {
        display.RequestClose(window);
    }
    const int status = game->WaitForExit(seconds * TimeScale());
    if (status == kStillRunning) {
        game->Kill();
    }
    return status;
}

int GameSession::WaitForExit(double seconds) {
    return game && game->Started() ? game->WaitForExit(seconds * TimeScale()) : 127;
}

std::map<std::string, std::string> GameSession::HeardInto(const std::string& file) {
    const std::string config = file + ".conf";
    std::ofstream(config) << "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\n"
                          << "frequency = " << testing_support::kCaptureRate << "\n[wave]\nfile = " << file << "\n";
    return {{"ALSOFT_DRIVERS", "wave"}, {"ALSOFT_CONF", config}};
}

double GameSession::SecondsHeard(const std::string& file) {
    // Stereo 16-bit frames; the header's few dozen bytes are well below a
    // millisecond and are not worth parsing a file still being written.
    constexpr double kBytesPerSecond = 4.0 * testing_support::kCaptureRate;
    std::error_code error;
    const auto bytes = fs::file_size(file, error);
    return error ? 0.0 : double(bytes) / kBytesPerSecond;
}

std::string GameSession::FindSaveFile(const std::string& name) {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    std::error_code error;
    if (!dataHome || !fs::is_directory(dataHome, error)) {
        return "";
    }
    for (const auto& entry : fs::recursive_directory_iterator(dataHome, error)) {
        if (entry.is_regular_file(error) && entry.path().filename() == name) {
            return entry.path().string();
        }
    }
    return "";
}
