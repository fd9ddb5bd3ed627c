// The single-instance lock in-process, and for real with the built game:
// a second copy leaves at once while the first keeps running, and close
// signals end a copy through its shut-down. The real runs also show that the
// program directory keeps its case.
#include "GameStartup.h"
#include "app/Application.h"
#include "platform/SingleInstanceLock.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testing_support::TestTempDir;

namespace {

constexpr const char* kStartLine = "Dunhaven starting in ";
constexpr const char* kShutdownLine = "Dunhaven shut down after ";

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A copy of the game started with its standard output on a pipe.
class GameProcess {
public:
    explicit GameProcess(const std::string& program) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
            return;
        }
        pid = fork();
        if (pid == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(pipeEnds[1]);
        output = pipeEnds[0];
    }

    ~GameProcess() {
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (output >= 0) {
            close(output);
        }
    }

    // Reads output until `fragment` appears, the pipe closes or time is up.
    bool WaitForOutput(const std::string& fragment, double seconds) {
        const auto start = std::chrono::steady_clock::now();
        while (text.find(fragment) == std::string::npos) {
            const double left = seconds - SecondsSince(start);
            if (left <= 0.0 || !ReadSome(static_cast<int>(left * 1000.0) + 1)) {
                return false;
            }
        }
        return true;
    }

    // The exit status after the process ended, or -1 when it is still running
    // after `seconds`.
    int WaitForExit(double seconds) {
        const auto start = std::chrono::steady_clock::now();
        while (!exited) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                break;
            }
            if (SecondsSince(start) > seconds) {
                return -1;
            }
            usleep(2000);
        }
        while (ReadSome(0)) {
        }
        return exitStatus;
    }

    bool StillRunning() {
        int status = 0;
        return !exited && waitpid(pid, &status, WNOHANG) == 0;
    }

    pid_t pid = -1;
    std::string text;

private:
    // False once the pipe is closed or nothing came within the timeout.
    bool ReadSome(int timeoutMilliseconds) {
        pollfd ready{output, POLLIN, 0};
        if (poll(&ready, 1, timeoutMilliseconds) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t count = read(output, buffer, sizeof buffer);
        if (count <= 0) {
            return false;
        }
        text.append(buffer, static_cast<size_t>(count));
        return true;
    }

    int output = -1;
    bool exited = false;
    int exitStatus = -1;
};

const std::string kGameBinary = TEST_BINARY_DIR "/bin/dunhaven";

} // namespace

TEST(SingleInstanceLock, SecondHolderIsRefusedUntilTheFirstLetsGo) {
    SingleInstanceLock first;
    ASSERT_TRUE(first.Acquire(kWindowClassName));
    EXPECT_TRUE(first.Held());
    EXPECT_EQ(SingleInstanceLock::LockPath(kWindowClassName),
              (TestTempDir() + "/runtime/KorrindelGameWindow.lock").c_str());

    SingleInstanceLock second;
    EXPECT_FALSE(second.Acquire(kWindowClassName));
    EXPECT_FALSE(second.Held());
    // Another name is another lock.
    SingleInstanceLock other;
    EXPECT_TRUE(other.Acquire("SomeOtherWindow"));

    first.Release();
    EXPECT_TRUE(second.Acquire(kWindowClassName));
}

TEST(SingleInstanceLock, WithoutRuntimeFolderUsesTheTempFolder) {
    const char* savedTemp = std::getenv("TMPDIR");
    const std::string savedTempValue = savedTemp ? savedTemp : "";
    const std::string tempFolder = TestTempDir() + "/temp";
    fs::create_directories(tempFolder);
    setenv("TMPDIR", tempFolder.c_str(), 1);

    for (const char* runtime : {static_cast<const char*>(nullptr), "", "relative/run"}) {
        if (runtime) {
            setenv("XDG_RUNTIME_DIR", runtime, 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
        EXPECT_EQ(SingleInstanceLock::LockPath(kWindowClassName),
                  (tempFolder + "/KorrindelGameWindow.lock").c_str());
    }
    SingleInstanceLock lock;
    EXPECT_TRUE(lock.Acquire(kWindowClassName));
    EXPECT_TRUE(fs::exists(tempFolder + "/KorrindelGameWindow.lock"));

    if (savedTemp) {
        setenv("TMPDIR", savedTempValue.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
}

TEST(SingleInstanceLock, PlantedSymbolicLinkIsNotFollowed) {
    const std::string target = TestTempDir() + "/victim";
    testing_support::WriteFile(target, "keep");
    fs::create_symlink(target, TestTempDir() + "/runtime/KorrindelGameWindow.lock");
    testing_support::LogCapture log;

    SingleInstanceLock lock;
    EXPECT_TRUE(lock.Acquire(kWindowClassName)); // runs anyway, unlocked
    EXPECT_FALSE(lock.Held());
    EXPECT_TRUE(log.Contains("single-instance lock"));
    EXPECT_EQ(testing_support::ReadFile(target), "keep");
}

TEST(SingleInstanceGame, SecondCopyExitsAtOnceAndTheFirstRunsOn) {
    GameProcess first(kGameBinary);
    ASSERT_GT(first.pid, 0);
    ASSERT_TRUE(first.WaitForOutput(kStartLine, 10.0)) << first.text;

    const auto secondStart = std::chrono::steady_clock::now();
    GameProcess second(kGameBinary);
    // What matters is that the second copy ends by itself, with 0, before it
    // opened anything (it prints nothing, not even the start line); a copy
    // that started the game would run until closed. The bound only has to
    // tell those apart, on a loaded machine too, process start included.
    EXPECT_EQ(second.WaitForExit(5.0), 0);
    EXPECT_LT(SecondsSince(secondStart), 3.0);
    EXPECT_EQ(second.text, ""); // silently
    usleep(100000);
    EXPECT_TRUE(first.StillRunning());

    ASSERT_EQ(kill(first.pid, SIGINT), 0);
    EXPECT_EQ(first.WaitForExit(5.0), 0);
    EXPECT_NE(first.text.find(kShutdownLine), std::string::npos) << first.text;

    // Once the first copy is gone, a new one starts normally.
    GameProcess third(kGameBinary);
    EXPECT_TRUE(third.WaitForOutput(kStartLine, 10.0)) << third.text;
    kill(third.pid, SIGTERM);
    EXPECT_EQ(third.WaitForExit(5.0), 0);
}

TEST(SingleInstanceGame, CopyInAMixedCaseFolderWorksThere) {
    const fs::path folder = fs::path(TestTempDir()) / "Games" / "Dunhaven Demo";
    fs::create_directories(folder);
    const fs::path copy = folder / "dunhaven";
    fs::copy_file(kGameBinary, copy);
    const std::string expected = fs::canonical(folder).string();

    GameProcess game(copy.string());
    ASSERT_TRUE(game.WaitForOutput("\n", 10.0)) << game.text;
    EXPECT_NE(game.text.find(kStartLine + expected + "/\n"), std::string::npos) << game.text;
    char workingDirectory[4096] = {};
    const std::string cwdLink = "/proc/" + std::to_string(game.pid) + "/cwd";
    ASSERT_GT(readlink(cwdLink.c_str(), workingDirectory, sizeof workingDirectory - 1), 0);
    EXPECT_EQ(std::string(workingDirectory), expected);

    kill(game.pid, SIGTERM);
    EXPECT_EQ(game.WaitForExit(5.0), 0);
    EXPECT_NE(game.text.find(kShutdownLine), std::string::npos) << game.text;
}
