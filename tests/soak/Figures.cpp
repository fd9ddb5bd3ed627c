#include "Figures.h"

#include "SoakReport.h"
#include "e2e/harness/GameSession.h"
#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kIdleSeconds = 15.0;
constexpr int kStarts = 4;

const std::string kGameFolder = std::string(TEST_BINARY_DIR) + "/bin";

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Drops the game's files from the page cache (clean pages only, which is all
// a reader leaves), as after a reboot.
void DropFromCache() {
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(kGameFolder, error)) {
        const int fd = entry.is_regular_file(error) ? open(entry.path().c_str(), O_RDONLY) : -1;
        if (fd >= 0) {
            fdatasync(fd);
            posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
            close(fd);
        }
    }
}

double ReadPackSeconds() {
    const auto start = Clock::now();
    std::ifstream in(kGameFolder + "/data.pack", std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0) {
    }
    return SecondsSince(start);
}

bool IsBlank(const Image& picture) {
    for (size_t i = 4; i < picture.PixelBytes(); ++i) {
        if (picture.Pixels()[i] != picture.Pixels()[i % 4]) {
            return false;
        }
    }
    return true;
}

// Seconds from the start of the game to its first picture that is not all
// one colour; a negative value when none came.
double SecondsToFirstFrame() {
    const auto start = Clock::now();
    GameSession game;
    if (!game.WaitForWindow(60.0)) {
        return -1.0;
    }
    Image picture;
    while (SecondsSince(start) < 60.0) {
        if (game.Capture(picture) && !IsBlank(picture)) {
            const double seconds = SecondsSince(start);
            game.Close(30.0);
            return seconds;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return -1.0;
}

long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::vector<std::string> fields;
    std::string field;
    for (size_t i = close + 2; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += text[i];
        }
    }
    // Fields 14 and 15 of the line (utime, stime) are the 12th and 13th after the name.
    return fields.size() > 12 ? std::stol(fields[11]) + std::stol(fields[12]) : 0;
}

// Resident memory by where it comes from, from /proc/PID/smaps: the shared
// libraries' code and data that are file-backed (LLVM and the GL driver,
// which a machine with a GPU maps differently, apart), other mapped files,
// and the anonymous memory that is the game's own: its heap (the pictures'
// pixels), the driver's copies of the textures, stacks.
struct ResidentSplit {
    int64_t llvm = 0, driver = 0, libraries = 0, files = 0, anonymous = 0;
};

ResidentSplit ReadResidentSplit(pid_t pid) {
    ResidentSplit split;
    std::ifstream in("/proc/" + std::to_string(pid) + "/smaps");
    std::string line;
    int64_t* current = &split.anonymous;
    while (std::getline(in, line)) {
        if (!line.empty() && std::isxdigit(static_cast<unsigned char>(line[0])) &&
            line.find('-') < line.find(' ')) {
            // A mapping's header: address range, perms, offset, device, inode, path.
            std::istringstream fields(line);
            std::string range, perms, offset, device, inode, path;
            fields >> range >> perms >> offset >> device >> inode;
            std::getline(fields >> std::ws, path);
            if (path.empty() || path[0] == '[') {
                current = &split.anonymous;
            } else if (path.find("libLLVM") != std::string::npos) {
                current = &split.llvm;
            } else if (path.find("/dri/") != std::string::npos ||
                       path.find("libgallium") != std::string::npos) {
                current = &split.driver;
            } else if (path.find(".so") != std::string::npos) {
                current = &split.libraries;
            } else {
                current = &split.files;
            }
        } else if (line.starts_with("Rss:")) {
            *current += std::atoll(line.c_str() + 4);
        }
    }
    return split;
}

void Console(GameSession& game, const std::string& command) {
    game.Key("grave") && game.Type(command) && game.Key("Return") && game.Key("grave");
}

void Idle(GameSession& game, const char* place) {
    game.MoveMouse(1000, 760);
    // Fades, transitions and the map's walk end first; with the ambient
    // effects moving the picture never settles and the wait ends at its limit.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    Image settled;
    game.WaitForStillPicture(settled, 20.0);
    const long before = CpuTicks(game.Pid());
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(kIdleSeconds));
    const double cpu = double(CpuTicks(game.Pid()) - before) / double(sysconf(_SC_CLK_TCK));
    const ResidentSplit split = ReadResidentSplit(game.Pid());
    std::printf("  %-28s %6.1f%% of a core   resident %4lld MB: anonymous %lld, file-backed: LLVM %lld, "
                "GL driver %lld, other libraries %lld, other files %lld\n",
                place, 100.0 * cpu / SecondsSince(start),
                static_cast<long long>(ResidentKiB(game.Pid()) / 1024),
                static_cast<long long>(split.anonymous / 1024), static_cast<long long>(split.llvm / 1024),
                static_cast<long long>(split.driver / 1024), static_cast<long long>(split.libraries / 1024),
                static_cast<long long>(split.files / 1024));
    std::fflush(stdout);
}

void IdlePlaces(bool held, const char* level) {
    std::printf("idle, effects %s:\n", held ? "held still" : "moving");
    GameSession game("", {{"DUNHAVEN_HOLD_EFFECTS", held ? "1" : "0"}});
    if (!game.WaitForWindow(60.0)) {
        std::printf("  the game did not start\n");
        return;
    }
    Idle(game, "title");
    Console(game, "setUI MapScreen");
    Idle(game, "map");
    Console(game, std::string("loadLevel ") + level);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    Console(game, "popUI"); // the intro story
    Idle(game, (std::string("level ") + level).c_str());
    game.Close(30.0);
}

} // namespace

void RunFigures(const char* biggestLevel) {
    // A returning player: the first start makes the save folder and the player.
    {
        GameSession first;
        if (first.WaitForWindow(60.0)) {
            Image settled;
            first.WaitForStillPicture(settled, 30.0);
            Console(first, "setPlayerName Tess");
            Console(first, "saveGame");
            first.Close(30.0);
        }
    }
    std::printf("start to the first drawn frame of the title (seconds):\n");
    for (const bool cold : {false, true}) {
        double best = 1e9, pack = 1e9;
        for (int i = 0; i < kStarts; ++i) {
            if (cold) {
                DropFromCache();
            }
            pack = std::min(pack, ReadPackSeconds());
            if (cold) {
                DropFromCache();
            }
            const double seconds = SecondsToFirstFrame();
            if (seconds > 0) {
                best = std::min(best, seconds);
            }
        }
        std::printf("  %-5s cache: %.3f s, reading data.pack once %.4f s, ratio %.0f\n",
                    cold ? "cold" : "warm", best, pack, best / pack);
    }
    IdlePlaces(true, biggestLevel);
    IdlePlaces(false, biggestLevel);
}
