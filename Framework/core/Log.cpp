#include "core/Log.h"

#include <cstdarg>
#include <cstdio>

namespace {
LogListener listeners[kMaxLogListeners] = {};
int32_t errorCount = 0;
bool logToStandardOutput = true;
} // namespace

void LogLine(const char* text) {
    if (!text) {
        text = "";
    }
    if (logToStandardOutput) {
        std::printf("%s\n", text);
        std::fflush(stdout);
    }
    for (LogListener listener : listeners) {
        if (listener) {
            listener(text);
        }
    }
}

void LogFormat(const char* format, ...) {
    char line[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    LogLine(line);
}

void ReportError(const char* function, const char* file, int line) {
    LogFormat("(%d): %s(): %s, line %d", errorCount, function ? function : "", file ? file : "", line);
    ++errorCount;
}

bool AddLogListener(LogListener listener) {
    for (LogListener& slot : listeners) {
        if (!slot) {
            slot = listener;
            return true;
        }
    }
    return false;
}

bool RemoveLogListener(LogListener listener) {
    for (LogListener& slot : listeners) {
        if (slot == listener) {
            slot = nullptr;
            return true;
        }
    }
    return false;
}

void SetLogToStandardOutput(bool enabled) {
    logToStandardOutput = enabled;
}

int32_t ErrorCount() {
    return errorCount;
}

void ResetErrorCount() {
    errorCount = 0;
}
