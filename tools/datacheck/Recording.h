#pragma once
// What loading a data set leaves behind, recorded while the checker runs:
// the paths of the files it opened (so that files nothing opens can be
// named) and the log lines the engine wrote (so that a failed load can say
// why). One recording runs at a time; it is process-wide like the hooks it
// uses.

#include <set>
#include <string>
#include <vector>

class Recording {
public:
    /// Installs the file and log hooks and mutes standard output.
    Recording();
    /// Removes the hooks and unmutes standard output.
    ~Recording();
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    /// Counts the path as used (a file the game reads by a rule of its own).
    void MarkUsed(const std::string& path);
    /// True when the listed data path was opened or marked.
    bool IsUsed(const std::string& path) const;

    /// The log lines written since the last call, and forgets them.
    std::vector<std::string> TakeLog();
    /// The first recorded log line that mentions `fragment`, or "".
    std::string LogLineAbout(const std::string& fragment) const;

    /// While alive, files opened are not counted as used: the checker reads
    /// every scene file itself, and that is no use by the game.
    class Pause {
    public:
        explicit Pause(Recording& recording);
        ~Pause();
        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        Recording& recording;
        bool wasPaused;
    };

private:
    friend class Pause;
    static void OnFileOpened(const char* path);
    static void OnLogLine(const char* line);
    /// The form listings use: slashes, no "./", lower-case while an archive is open.
    static std::string Normalised(const std::string& path);

    std::set<std::string> used;
    std::vector<std::string> log;
    bool paused = false;
};
