#include "KillRun.h"

#include "e2e/harness/GameSession.h"
#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <regex>
#include <thread>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kPlayerName = "Tess";
// Log lines of a start that found a save it could not use.
constexpr const char* kLoadComplaints[] = {"could not be read", "were moved to", "saves are wiped",
                                           "holds no Options element", "could not be written"};
// What each kind of save file ends with when its writer finished it.
constexpr const char* kLevelSaveLastKey = "object_parameters.disableDisc = ";
constexpr size_t kTgaHeader = 18;
constexpr size_t kTgaFooter = 26;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void Pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Every line of a key/value file the game wrote is "key = value;".
std::string CheckKeyValueText(const std::string& text) {
    if (text.empty()) {
        return "is empty";
    }
    if (text.back() != '\n') {
        return "ends inside a line";
    }
    static const std::regex line(R"([^\n=]+ = [^\n]*;)");
    size_t start = 0;
    for (int number = 1; start < text.size(); ++number) {
        const size_t end = text.find('\n', start);
        if (!std::regex_match(text.begin() + std::ptrdiff_t(start), text.begin() + std::ptrdiff_t(end),
                              line)) {
            return "line " + std::to_string(number) + " is no \"key = value;\" line";
        }
        start = end + 1;
    }
    return "";
}

// The state file declares its elements ("Widget = name;") before their
// properties; a complete one gives each declared element its Type.
std::string CheckStateText(const std::string& text, const std::string& playerName) {
    std::vector<std::string> declared;
    static const std::regex declaration(R"((^|\n)Widget = ([^\n;]*);)");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), declaration); it != std::sregex_iterator();
         ++it) {
        declared.push_back((*it)[2]);
    }
    if (declared.empty()) {
        return "declares no element";
    }
    for (const std::string& name : declared) {
        if (text.find("\n" + name + ".Type = ") == std::string::npos) {
            return "declares " + name + " but gives it no Type";
        }
    }
    if (!playerName.empty() && text.find(" = " + playerName + ";") == std::string::npos) {
        return "no longer holds the player " + playerName;
    }
    return "";
}

std::string CheckTga(const std::string& bytes) {
    if (bytes.size() < kTgaHeader) {
        return "is shorter than a picture's header";
    }
    const auto byte = [&](size_t i) { return size_t(uint8_t(bytes[i])); };
    const size_t width = byte(12) | byte(13) << 8;
    const size_t height = byte(14) | byte(15) << 8;
    const size_t expected = kTgaHeader + byte(0) + width * height * (byte(16) / 8) + kTgaFooter;
    if (bytes.size() != expected) {
        return "holds " + std::to_string(bytes.size()) + " bytes where its header promises " +
               std::to_string(expected);
    }
    return "";
}

} // namespace

std::vector<std::string> CheckSaveFolder(const std::string& folder, const std::string& playerName) {
    std::vector<std::string> complaints;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_directory(error)) {
            if (name.starts_with("backup-")) {
                complaints.push_back("a backup folder " + name + " was made: the state could not be read");
            }
            continue;
        }
        if (name.starts_with(".")) {
            continue; // a temporary file of a write cut short; the next start removes it
        }
        const std::string bytes = testing_support::ReadFile(entry.path().string());
        std::string problem;
        if (name.ends_with(".tga")) {
            problem = CheckTga(bytes);
        } else if (name.ends_with(".scene") || name.ends_with(".save") || name.ends_with(".widget")) {
            problem = CheckKeyValueText(bytes);
            if (problem.empty() && name.ends_with(".save") &&
                bytes.rfind(kLevelSaveLastKey) < bytes.rfind('\n', bytes.size() - 2)) {
                problem = "lacks its last entries";
            }
            if (problem.empty() && name == "state.scene") {
                problem = CheckStateText(bytes, playerName);
            }
        }
        if (!problem.empty()) {
            complaints.push_back(name + " " + problem);
        }
    }
    return complaints;
}

namespace {

class KillRun {
public:
    KillRun(const KillOptions& options, const SceneTargets& targets, SoakReport& report)
        : options(options), targets(targets), report(report), random(options.seed),
          log(testing_support::TestTempDir() + "/game.log") {}

    void Run() {
        const auto start = Clock::now();
        for (round = 0; round < options.kills; ++round) {
            if (!PlayAndKill()) {
                return;
            }
            CheckAfterKill();
        }
        // The last kill's files are read by one more start.
        GameSession game;
        if (game.WaitForWindow(60.0)) {
            Pause(2.0);
            CheckStartLog();
            game.Close(30.0);
        }
        report.Note("kills: " + std::to_string(options.kills) + " kills, " + std::to_string(targetedKills) +
                    " of them just after a saving input, in " + std::to_string(int(SecondsSince(start))) +
                    " s");
    }

private:
    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    }
    size_t Pick(size_t count) { return std::uniform_int_distribution<size_t>(0, count - 1)(random); }

    bool PlayAndKill() {
        GameSession game;
        if (!game.Display().Ready() || !game.WaitForWindow(60.0)) {
            report.Add("the game did not start: " + game.Problem());
            return false;
        }
        level.clear(); // a start shows the title, not the level played before
        // Most rounds play from a settled first screen; the others are killed
        // while the game still starts (reading the saves the last kill left).
        const bool duringStart = Uniform(0, 1) < 0.2;
        double deadline = Uniform(0.0, 3.0);
        if (!duringStart) {
            Image first;
            game.WaitForStillPicture(first, 30.0);
            deadline = Uniform(2.0, 15.0);
        }
        CheckStartLog();
        deadline *= GameSession::TimeScale();
        const auto shown = Clock::now();
        bool killed = duringStart;
        if (duringStart) {
            Pause(deadline);
        }
        while (!killed && game.Running()) {
            const bool saves = Play(game);
            if (saves && Uniform(0, 1) < 0.25) {
                // Aimed at the write itself: the save runs within a frame or two of the input.
                Pause(Uniform(0.0, 0.3) * GameSession::TimeScale());
                ++targetedKills;
                killed = true;
            } else if (SecondsSince(shown) > deadline) {
                killed = true;
            }
        }
        if (!game.Running()) {
            log.Scan(report);
            const int status = game.WaitForExit(0.0);
            if (status != 0) {
                report.Add("the game ended with status " + std::to_string(status) +
                           " before its kill; its last lines:\n" + log.Tail());
            }
            return true;
        }
        kill(game.Pid(), SIGKILL);
        game.WaitForExit(10.0);
        return true;
    }

    void Console(GameSession& game, const std::string& command) {
        if (std::getenv("SOAK_VERBOSE")) {
            report.Note("kills: round " + std::to_string(round) + ": " + command);
        }
        game.Key("grave") && game.Type(command) && game.Key("Return") && game.Key("grave");
    }

    // One step of play; true when it is an input after which the game writes a save.
    bool Play(GameSession& game) {
        if (!named) {
            Console(game, std::string("setPlayerName ") + kPlayerName);
            Console(game, "saveGame");
            named = true;
            return true;
        }
        const double roll = Uniform(0, 100);
        if (level.empty() || roll < 12) {
            OpenLevel(game);
            return false;
        }
        if (roll < 45) {
            ClickSome(game, level + ":", 1 + int(Pick(4)), 8);
            return true; // a found object saves the level's progress
        }
        if (roll < 55) {
            Console(game, "saveGame");
            return true;
        }
        if (roll < 62) {
            Console(game, "completeLevel");
            return true;
        }
        if (roll < 77) {
            Console(game, "pushUI OptionsMenu");
            Pause(0.5);
            ClickSome(game, "OptionsMenu.scene:", 1 + int(Pick(3)), 0);
            return true; // the options menu's own buttons include the one that keeps them
        }
        if (roll < 90) {
            game.Key("Escape"); // the in-game menu, whose buttons save and leave
            Pause(0.4);
            ClickSome(game, "GameMenu.scene:", 1, 0);
            return true;
        }
        Console(game, "setUI MapScreen");
        Pause(0.5);
        ClickSome(game, "MapMenu.scene:", 1, 0);
        return true;
    }

    // A level as a player enters it: loaded, its intro story (told the first
    // time) closed.
    void OpenLevel(GameSession& game) {
        if (targets.levels.empty()) {
            return;
        }
        level = targets.levels[Pick(targets.levels.size())];
        const size_t told = CountInLog("is told");
        Console(game, "loadLevel " + level);
        for (int wait = 0; wait < 60 && CountInLog("is told") == told; ++wait) {
            Pause(0.1 * GameSession::TimeScale());
        }
        if (CountInLog("is told") != told) {
            Console(game, "popUI");
        }
    }

    size_t CountInLog(const std::string& fragment) const {
        const std::string text = testing_support::ReadFile(testing_support::TestTempDir() + "/game.log");
        size_t count = 0;
        for (size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) {
            ++count;
        }
        return count;
    }

    void ClickSome(GameSession& game, const std::string& prefix, int count, int jitter) {
        std::vector<const ClickTarget*> matching;
        for (const std::vector<ClickTarget>* list : {&targets.objects, &targets.buttons}) {
            for (const ClickTarget& target : *list) {
                if (target.name.starts_with(prefix)) {
                    matching.push_back(&target);
                }
            }
        }
        for (int i = 0; i < count && !matching.empty(); ++i) {
            const ClickTarget& target = *matching[Pick(matching.size())];
            game.Click(target.x + int(Uniform(-jitter, jitter + 1)),
                       target.y + int(Uniform(-jitter, jitter + 1)));
            Pause(Uniform(0.05, 0.3));
        }
    }

    void CheckAfterKill() {
        log.Scan(report);
        const std::string state = GameSession::FindSaveFile("state.scene");
        if (state.empty()) {
            return; // nothing saved yet
        }
        const std::string folder = fs::path(state).parent_path().string();
        if (testing_support::ReadFile(state).find(" = " + std::string(kPlayerName) + ";") !=
            std::string::npos) {
            playerSaved = true;
        }
        for (const std::string& complaint : CheckSaveFolder(folder, playerSaved ? kPlayerName : "")) {
            report.Add("after a kill: " + complaint);
        }
    }

    // The start's log: every save it read was usable.
    void CheckStartLog() {
        const std::string text = testing_support::ReadFile(testing_support::TestTempDir() + "/game.log");
        for (const char* complaint : kLoadComplaints) {
            for (size_t at = text.find(complaint, startLogOffset); at != std::string::npos;
                 at = text.find(complaint, at + 1)) {
                const size_t begin = text.rfind('\n', at);
                const size_t end = text.find('\n', at);
                report.Add("a start after a kill: " +
                           text.substr(begin == std::string::npos ? 0 : begin + 1,
                                       end == std::string::npos ? std::string::npos : end - begin - 1));
            }
        }
        startLogOffset = text.size();
    }

    const KillOptions& options;
    const SceneTargets& targets;
    SoakReport& report;
    std::mt19937 random;
    LogWatch log;
    std::string level;
    bool named = false;
    bool playerSaved = false;
    int round = 0;
    int targetedKills = 0;
    size_t startLogOffset = 0;
};

} // namespace

void RunKills(const KillOptions& options, const SceneTargets& targets, SoakReport& report) {
    KillRun(options, targets, report).Run();
}
