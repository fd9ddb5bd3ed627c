#pragma once
// What a soak or kill run found, and the game's log read as it grows.
//
// A finding is one line a person must look at: a crash, a sanitizer report,
// an error line of the game's log, a screen nothing leaves, memory that keeps
// growing. Equal findings are counted, not repeated.

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class SoakReport {
public:
    void Add(const std::string& finding);
    /// Also prints the line at once, so a long run shows its trouble as it happens.
    void Note(const std::string& line) const;
    bool Passed() const { return counts.empty(); }
    /// One line per finding with its count.
    std::string Summary() const;

private:
    std::vector<std::string> order;
    std::map<std::string, int> counts;
};

/// Reads the lines the game appended to its log since the last call and
/// reports the ones that name a fault: the numbered error lines and the
/// sanitizers' reports.
class LogWatch {
public:
    explicit LogWatch(std::string path) : path(std::move(path)) {}
    /// Scans what is new; `report` receives each fault line.
    void Scan(SoakReport& report);
    /// The last `count` lines seen, for a crash's report.
    std::string Tail(size_t count = 20) const;

private:
    std::string path;
    uint64_t offset = 0;
    std::string partial;
    std::vector<std::string> recent;
};

/// The resident memory of the process in KiB, 0 when it cannot be read.
int64_t ResidentKiB(pid_t pid);
