// soak: plays the real game for a long time and reports what went wrong.
//
//   soak [--minutes M] [--seed N] [--stuck-seconds S] [--restart-minutes R]
//        [--kills N] [--figures LEVEL] [--keep]
//
// With --figures it measures start-up, idle CPU and memory (see Figures.h)
// with LEVEL as the level to idle in.
// Without --kills it runs the monkey (see Monkey.h) for M minutes; with
// --kills it runs the kill test (see KillRun.h) for N kills. The seed is
// printed so that a run that found something can be replayed. Everything
// runs in a fresh temporary folder that is HOME, XDG_DATA_HOME and
// XDG_RUNTIME_DIR; it is removed after a clean run and kept (with the
// game's log and the pictures of findings) otherwise or with --keep.
// The exit status is 0 when nothing was found, 1 otherwise, 2 on bad arguments.
#include "Figures.h"
#include "KillRun.h"
#include "Monkey.h"
#include "SceneTargets.h"
#include "SoakReport.h"

#include "support/TestEnvironment.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string runFolder;

bool MakeRunFolder() {
    char pattern[] = "/tmp/dunhaven-soak-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        return false;
    }
    runFolder = made;
    for (const char* sub : {"home", "data", "runtime", "work"}) {
        fs::create_directories(runFolder + "/" + sub);
    }
    setenv("HOME", (runFolder + "/home").c_str(), 1);
    setenv("XDG_DATA_HOME", (runFolder + "/data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (runFolder + "/runtime").c_str(), 1);
    fs::current_path(runFolder + "/work");
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: soak [--minutes M] [--seed N] [--stuck-seconds S] [--restart-minutes R] "
                         "[--kills N] [--figures LEVEL] [--keep]\n");
    return 2;
}

} // namespace

namespace testing_support {

const std::string& TestTempDir() {
    return runFolder;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

} // namespace testing_support

int main(int argc, char** argv) {
    MonkeyOptions monkey;
    monkey.seed = uint32_t(std::chrono::system_clock::now().time_since_epoch().count());
    int kills = 0;
    bool keep = false;
    std::string figuresLevel;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--keep") {
            keep = true;
        } else if (!hasValue) {
            return Usage();
        } else if (argument == "--minutes") {
            monkey.minutes = std::atof(argv[++i]);
        } else if (argument == "--seed") {
            monkey.seed = uint32_t(std::strtoul(argv[++i], nullptr, 10));
        } else if (argument == "--stuck-seconds") {
            monkey.stuckSeconds = std::atof(argv[++i]);
        } else if (argument == "--restart-minutes") {
            monkey.restartMinutes = std::atof(argv[++i]);
        } else if (argument == "--figures") {
            figuresLevel = argv[++i];
        } else if (argument == "--kills") {
            kills = std::atoi(argv[++i]);
        } else {
            return Usage();
        }
    }
    if (monkey.minutes <= 0.0 || monkey.stuckSeconds <= 0.0 || monkey.restartMinutes <= 0.0 || kills < 0) {
        return Usage();
    }
    if (!MakeRunFolder()) {
        std::fprintf(stderr, "soak: cannot make a temporary folder\n");
        return 1;
    }
    monkey.outputFolder = runFolder;
    std::printf("soak: seed %u (replay with --seed %u), folder %s\n", monkey.seed, monkey.seed,
                runFolder.c_str());
    std::fflush(stdout);

    const SceneTargets targets = ReadSceneTargets(std::string(TEST_SOURCE_DIR) + "/../content");
    std::printf("soak: %zu controls, %zu level objects, %zu levels from the scene files\n",
                targets.buttons.size(), targets.objects.size(), targets.levels.size());
    SoakReport report;
    if (!figuresLevel.empty()) {
        RunFigures(figuresLevel.c_str());
    } else if (kills > 0) {
        RunKills(KillOptions{.kills = kills, .seed = monkey.seed}, targets, report);
    } else {
        RunMonkey(monkey, targets, report);
    }

    const bool passed = report.Passed();
    if (passed) {
        std::printf("soak: nothing found\n");
    } else {
        std::printf("soak: FINDINGS (seed %u, the game's log and pictures in %s):\n%s", monkey.seed,
                    runFolder.c_str(), report.Summary().c_str());
    }
    std::error_code ignored;
    fs::current_path("/", ignored);
    if (passed && !keep) {
        fs::remove_all(runFolder, ignored);
    }
    return passed ? 0 : 1;
}
