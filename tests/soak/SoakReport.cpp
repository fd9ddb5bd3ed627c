#include "SoakReport.h"

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

namespace {

constexpr size_t kRecentLines = 200;

// A numbered error line, "(4): Function(): file, line 12", and the sanitizers' reports.
bool IsFaultLine(const std::string& line) {
    static const std::regex numberedError(R"(^\(\d+\): )");
    return std::regex_search(line, numberedError) ||
           line.find("ERROR: AddressSanitizer") != std::string::npos ||
           line.find("ERROR: LeakSanitizer") != std::string::npos ||
           line.find("LeakSanitizer has encountered a fatal error") != std::string::npos ||
           line.find("runtime error:") != std::string::npos ||
           line.find("SUMMARY: UndefinedBehaviorSanitizer") != std::string::npos;
}

// Error lines differ only by their running number; findings count them as one.
std::string WithoutNumber(const std::string& line) {
    if (line.starts_with("(")) {
        const size_t close = line.find("): ");
        if (close != std::string::npos) {
            return "log: " + line.substr(close + 3);
        }
    }
    return "log: " + line;
}

} // namespace

void SoakReport::Add(const std::string& finding) {
    if (counts[finding]++ == 0) {
        order.push_back(finding);
        Note("FINDING: " + finding);
    }
}

void SoakReport::Note(const std::string& line) const {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string SoakReport::Summary() const {
    std::ostringstream out;
    for (const std::string& finding : order) {
        out << "  " << counts.at(finding) << " x " << finding << "\n";
    }
    return out.str();
}

void LogWatch::Scan(SoakReport& report) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return;
    }
    in.seekg(0, std::ios::end);
    const uint64_t size = uint64_t(in.tellg());
    if (size < offset) {
        offset = 0; // the log was started afresh
    }
    in.seekg(std::streamoff(offset));
    std::string fresh(size - offset, '\0');
    in.read(fresh.data(), std::streamsize(fresh.size()));
    offset = size;
    partial += fresh;
    size_t start = 0;
    for (size_t end = partial.find('\n'); end != std::string::npos; end = partial.find('\n', start)) {
        const std::string line = partial.substr(start, end - start);
        start = end + 1;
        if (IsFaultLine(line)) {
            report.Add(WithoutNumber(line));
        }
        recent.push_back(line);
        if (recent.size() > kRecentLines) {
            recent.erase(recent.begin(), recent.begin() + kRecentLines / 2);
        }
    }
    partial.erase(0, start);
}

std::string LogWatch::Tail(size_t count) const {
    std::string out;
    for (size_t i = recent.size() > count ? recent.size() - count : 0; i < recent.size(); ++i) {
        out += "    | " + recent[i] + "\n";
    }
    return out;
}

int64_t ResidentKiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("VmRSS:")) {
            return std::atoll(line.c_str() + 6);
        }
    }
    return 0;
}
