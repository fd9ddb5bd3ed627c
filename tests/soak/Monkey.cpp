#include "Monkey.h"

#include "e2e/harness/GameSession.h"
#include "e2e/harness/Pictures.h"
#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>
#include <random>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;
// Share of pixels that must differ for a picture to count as another screen
// rather than the same one with its ambient effects moving.
constexpr double kNewScreenShare = 0.2;
constexpr double kCheckSeconds = 2.0;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void CopyPicture(const Image& from, Image& to) {
    to.Create(from.Width(), from.Height());
    std::memcpy(to.Pixels(), from.Pixels(), from.PixelBytes());
}

// Resident memory of one run of the game, sampled as it plays.
struct MemoryTrack {
    std::vector<std::pair<double, int64_t>> samples; ///< seconds since the start, KiB

    int64_t PeakBetween(double from, double to) const {
        int64_t peak = 0;
        for (const auto& [at, kib] : samples) {
            if (at >= from && at < to) {
                peak = std::max(peak, kib);
            }
        }
        return peak;
    }
};

class Monkey {
public:
    Monkey(const MonkeyOptions& options, const SceneTargets& targets, SoakReport& report)
        : options(options), targets(targets), report(report), random(options.seed),
          log(testing_support::TestTempDir() + "/game.log") {
        for (const std::string& level : targets.levels) {
            commands.push_back("loadLevel " + level);
        }
        for (const char* command :
             {"setUI MapScreen", "setUI TitleScreen", "completeLevel", "findAll", "saveGame", "toggleHud",
              "pushUI OptionsMenu", "pushUI HelpMenu", "playMovie intro", "showStory harbour_square_intro"}) {
            commands.push_back(command);
        }
    }

    void Run() {
        const auto start = Clock::now();
        const double seconds = options.minutes * 60.0;
        if (!StartGame()) {
            return;
        }
        auto lastCheck = Clock::now();
        while (SecondsSince(start) < seconds) {
            if (!game->Running()) {
                GameEnded(game->WaitForExit(0.0), false);
                if (!StartGame()) {
                    return;
                }
                continue;
            }
            Act();
            if (SecondsSince(lastCheck) >= kCheckSeconds) {
                lastCheck = Clock::now();
                Check();
            }
            Pause(Uniform(0.05, 0.4));
        }
        if (game->Running()) {
            CloseGame();
        }
        FinishMemoryTrack();
        report.Note("monkey: " + std::to_string(actions) + " inputs, " + std::to_string(starts) +
                    " starts of the game in " + std::to_string(int(SecondsSince(start))) + " s");
    }

private:
    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    }
    size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random); }

    bool StartGame() {
        // Moving effects on: the soak plays what a player sees.
        game = std::make_unique<GameSession>(
            "", std::map<std::string, std::string>{{"DUNHAVEN_HOLD_EFFECTS", "0"}});
        ++starts;
        if (!game->Display().Ready() || !game->WaitForWindow(60.0)) {
            report.Add("the game did not start: " + game->Problem());
            log.Scan(report);
            return false;
        }
        gameStart = Clock::now();
        lastNewScreen = Clock::now();
        haveReference = false;
        memory.push_back(MemoryTrack{});
        nextRestart = Uniform(0.2, 1.8) * options.restartMinutes * 60.0;
        return true;
    }

    void GameEnded(int status, bool closed) {
        log.Scan(report);
        if (status == kStillRunning) {
            report.Add("the game did not end within 30 s of its window's close request");
        } else if (status != 0) {
            report.Add("the game ended with status " + std::to_string(status) +
                       (status > 128 ? " (signal)" : "") + "; its last lines:\n" + log.Tail());
        } else if (!closed) {
            report.Note("monkey: the game quit by itself (its quit button); starting it again");
        }
    }

    void CloseGame() {
        Sample();
        GameEnded(game->Close(30.0), true);
    }

    void Act() {
        ++actions;
        const double roll = Uniform(0.0, 100.0);
        if (SecondsSince(gameStart) > nextRestart) {
            CloseGame();
            StartGame();
        } else if (roll < 22) {
            game->Click(int(Uniform(0, kScreenWidth)), int(Uniform(0, kScreenHeight)));
        } else if (roll < 42 && !targets.buttons.empty()) {
            const ClickTarget& target = targets.buttons[Pick(targets.buttons.size())];
            game->Click(target.x, target.y);
        } else if (roll < 64 && !targets.objects.empty()) {
            const ClickTarget& target = targets.objects[Pick(targets.objects.size())];
            game->Click(target.x + int(Uniform(-6, 6)), target.y + int(Uniform(-6, 6)));
        } else if (roll < 70) {
            Drag();
        } else if (roll < 77) {
            game->Key("Escape");
        } else if (roll < 80) {
            game->Key("Return");
        } else if (roll < 85) {
            static const char* const keys[] = {"space", "Tab", "BackSpace", "Left", "Right", "Up",
                                               "Down",  "a",   "h",         "m",    "F1",    "1"};
            game->Key(keys[Pick(std::size(keys))]);
        } else if (roll < 92) {
            const std::string& command = commands[Pick(commands.size())];
            game->Key("grave") && game->Type(command) && game->Key("Return") && game->Key("grave");
        } else if (roll < 94) {
            // The console opened and left open for a while, or closed with Escape.
            game->Key("grave");
            Pause(Uniform(0.1, 1.5));
            game->Key(roll < 93 ? "grave" : "Escape");
        } else if (roll < 96) {
            game->Display().Unfocus();
            Pause(Uniform(0.2, 3.0));
            game->Display().Focus(game->Window());
        } else {
            game->MoveMouse(int(Uniform(0, kScreenWidth)), int(Uniform(0, kScreenHeight)));
            Pause(Uniform(0.5, 3.0)); // a player who stops to look
        }
    }

    void Drag() {
        int x = int(Uniform(0, kScreenWidth));
        int y = int(Uniform(0, kScreenHeight));
        game->MoveMouse(x, y);
        game->Display().Xdotool({"mousedown", "1"});
        for (int step = 0; step < 4; ++step) {
            x = std::clamp(x + int(Uniform(-120, 120)), 0, kScreenWidth - 1);
            y = std::clamp(y + int(Uniform(-90, 90)), 0, kScreenHeight - 1);
            game->MoveMouse(x, y);
        }
        game->Display().Xdotool({"mouseup", "1"});
    }

    void Check() {
        log.Scan(report);
        Sample();
        Image now;
        if (!game->Capture(now)) {
            return;
        }
        if (!haveReference || DifferingShare(reference, now) > kNewScreenShare) {
            CopyPicture(now, reference);
            haveReference = true;
            lastNewScreen = Clock::now();
            return;
        }
        if (SecondsSince(lastNewScreen) > options.stuckSeconds) {
            Stuck(now);
        }
    }

    // Escape and the console's way out are tried before the screen counts as
    // one no input leaves; the game then starts afresh so the run goes on.
    void Stuck(const Image& now) {
        game->Key("Escape");
        game->Key("grave") && game->Type("setUI TitleScreen") && game->Key("Return") && game->Key("grave");
        Pause(3.0 * GameSession::TimeScale());
        Image after;
        if (game->Capture(after) && DifferingShare(reference, after) > kNewScreenShare) {
            CopyPicture(after, reference);
            lastNewScreen = Clock::now();
            return;
        }
        const std::string picture =
            options.outputFolder + "/stuck-" + std::to_string(++stuckPictures) + ".png";
        SavePicture(now, picture);
        report.Add("a screen no input left for " + std::to_string(int(options.stuckSeconds)) +
                   " s, Escape and the console included (picture: " + picture + ")");
        CloseGame();
        StartGame();
    }

    void Sample() {
        const int64_t kib = ResidentKiB(game->Pid());
        if (kib <= 0 || memory.empty()) {
            return;
        }
        memory.back().samples.emplace_back(SecondsSince(gameStart), kib);
        const int minute = int(SecondsSince(runStart) / 60.0);
        if (minute != lastMinute) {
            lastMinute = minute;
            report.Note("monkey: minute " + std::to_string(minute) + ", resident " +
                        std::to_string(kib / 1024) + " MB (game run " + std::to_string(starts) + ", " +
                        std::to_string(int(SecondsSince(gameStart))) + " s in)");
        }
    }

    // Growth is judged within one run of the game: after the warm-up, the peak
    // of the last part against the peak of the part before it.
    void FinishMemoryTrack() {
        const double warmUp = options.warmUpMinutes * 60.0;
        for (const MemoryTrack& track : memory) {
            if (track.samples.empty() || track.samples.back().first < 3 * warmUp) {
                continue;
            }
            const double end = track.samples.back().first;
            const double middle = warmUp + (end - warmUp) / 2;
            const int64_t before = track.PeakBetween(warmUp, middle);
            const int64_t after = track.PeakBetween(middle, end + 1);
            report.Note("monkey: resident peak " + std::to_string(before / 1024) + " MB after the warm-up, " +
                        std::to_string(after / 1024) + " MB in the second half of a " +
                        std::to_string(int(end)) + " s run");
            if (after > before + before / 10 + 8 * 1024) {
                report.Add("resident memory grows after the warm-up: " + std::to_string(before / 1024) +
                           " MB to " + std::to_string(after / 1024) + " MB");
            }
        }
    }

    const MonkeyOptions& options;
    const SceneTargets& targets;
    SoakReport& report;
    std::mt19937 random;
    LogWatch log;
    std::vector<std::string> commands;
    std::unique_ptr<GameSession> game;
    Clock::time_point runStart = Clock::now();
    Clock::time_point gameStart;
    Clock::time_point lastNewScreen;
    double nextRestart = 0.0;
    Image reference;
    bool haveReference = false;
    std::vector<MemoryTrack> memory;
    int lastMinute = -1;
    int starts = 0;
    int actions = 0;
    int stuckPictures = 0;
};

} // namespace

void RunMonkey(const MonkeyOptions& options, const SceneTargets& targets, SoakReport& report) {
    Monkey(options, targets, report).Run();
}
