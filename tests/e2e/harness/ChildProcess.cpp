#include "ChildProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

int WaitForChild(pid_t pid, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (true) {
        int raw = 0;
        const pid_t done = waitpid(pid, &raw, WNOHANG);
        if (done == pid) {
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
        }
        if (done < 0) {
            return 128; // not our child any more: nothing left to wait for
        }
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >= seconds) {
            return kStillRunning;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ChildProcess::ChildProcess(const std::vector<std::string>& command,
                           const std::map<std::string, std::string>& environment,
                           const std::string& outputPath, const std::string& folder) {
    if (command.empty()) {
        return;
    }
    pid = fork();
    if (pid != 0) {
        return;
    }
    // The child: only async-signal-safe work until exec, apart from setenv,
    // which is safe here because the parent's other threads do not exist in it.
    // It goes when the test process goes, even when that one crashes.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int output = open(outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (output >= 0) {
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
    }
    for (const auto& [key, value] : environment) {
        setenv(key.c_str(), value.c_str(), 1);
    }
    if (!folder.empty() && chdir(folder.c_str()) != 0) {
        _exit(126);
    }
    std::vector<char*> arguments;
    for (const std::string& part : command) {
        arguments.push_back(const_cast<char*>(part.c_str()));
    }
    arguments.push_back(nullptr);
    execvp(arguments[0], arguments.data());
    _exit(127);
}

ChildProcess::~ChildProcess() {
    if (Running()) {
        Kill();
    }
}

int ChildProcess::WaitForExit(double seconds) {
    if (pid <= 0) {
        return 127;
    }
    if (!ended) {
        status = WaitForChild(pid, seconds);
        ended = status != kStillRunning;
    }
    return status;
}

bool ChildProcess::Running() {
    return pid > 0 && WaitForExit(0.0) == kStillRunning;
}

bool ChildProcess::Signal(int signal) {
    return Running() && kill(pid, signal) == 0;
}

void ChildProcess::Kill() {
    if (Running()) {
        kill(pid, SIGKILL);
        WaitForExit(10.0);
    }
}
