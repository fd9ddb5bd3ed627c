#include "Recording.h"

#include "core/Log.h"
#include "core/String.h"
#include "io/File.h"
#include "io/LooseFile.h"
#include "io/PackArchive.h"

namespace {
Recording* active = nullptr;
FilePathHook previousHook = nullptr;
} // namespace

Recording::Recording() {
    active = this;
    previousHook = GetFilePathHook();
    SetFilePathHook(OnFileOpened);
    AddLogListener(OnLogLine);
    SetLogToStandardOutput(false);
}

Recording::~Recording() {
    SetLogToStandardOutput(true);
    RemoveLogListener(OnLogLine);
    SetFilePathHook(previousHook);
    active = nullptr;
}

void Recording::MarkUsed(const std::string& path) {
    used.insert(Normalised(path));
}

bool Recording::IsUsed(const std::string& path) const {
    return used.count(Normalised(path)) != 0;
}

std::vector<std::string> Recording::TakeLog() {
    std::vector<std::string> lines;
    lines.swap(log);
    return lines;
}

std::string Recording::LogLineAbout(const std::string& fragment) const {
    for (const std::string& line : log) {
        if (line.find(fragment) != std::string::npos) {
            return line;
        }
    }
    return "";
}

Recording::Pause::Pause(Recording& owner) : recording(owner), wasPaused(owner.paused) {
    recording.paused = true;
}

Recording::Pause::~Pause() {
    recording.paused = wasPaused;
}

void Recording::OnFileOpened(const char* path) {
    if (active && !active->paused && path) {
        active->used.insert(Normalised(path));
    }
}

void Recording::OnLogLine(const char* line) {
    if (active && line) {
        active->log.emplace_back(line);
    }
}

std::string Recording::Normalised(const std::string& path) {
    String text(path.c_str());
    String found;
    if (IsArchiveOpen()) {
        NormalisePackName(text);
    } else if (FindLoosePathIgnoringCase(ToSystemPath(path.c_str()), found)) {
        text = found; // the file a path of another case reads
    }
    std::string result(text.CStr());
    for (char& c : result) {
        if (c == '\\') {
            c = '/';
        }
    }
    while (result.rfind("./", 0) == 0) {
        result.erase(0, 2);
    }
    return result;
}
