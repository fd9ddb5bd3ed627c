#pragma once
// ChildProcess: a program the end-to-end tests start, with its standard
// output and error in a file, killed when the object goes if it still runs.

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

/// WaitForChild's answer while the process still runs.
constexpr int kStillRunning = -1;

/// Waits up to `seconds` for the child to end: its exit status, 128 + the
/// signal that ended it, or kStillRunning.
int WaitForChild(pid_t pid, double seconds);

class ChildProcess {
public:
    /// Starts `command` (searched in PATH) with the environment of this
    /// process plus `environment`, in `folder` when given, its output
    /// appended to `outputPath`.
    ChildProcess(const std::vector<std::string>& command,
                 const std::map<std::string, std::string>& environment, const std::string& outputPath,
                 const std::string& folder = "");
    /// Kills the process when it still runs.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid > 0; }
    pid_t Pid() const { return pid; }
    /// The exit status (see WaitForChild), or kStillRunning after `seconds`.
    int WaitForExit(double seconds);
    bool Running();
    /// Sends the signal; true when it was delivered.
    bool Signal(int signal);
    /// Kills the process and collects it.
    void Kill();

private:
    pid_t pid = -1;
    bool ended = false;
    int status = kStillRunning;
};
