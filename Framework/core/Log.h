#pragma once
// Diagnostics: the one place every subsystem reports through.
//
// LogLine writes a line to standard output and to every registered listener
// (at most 8, such as the console). ReportError builds the numbered error line
//   "(" errorCount "): " function "(): " file ", line " line
// logs it and increments errorCount, so the fifth report of a run begins "(4): ".

#include <cstdint>

using LogListener = void (*)(const char* line);

constexpr int kMaxLogListeners = 8;

/// Sends one line to standard output and to every listener.
void LogLine(const char* text);
/// printf-style LogLine; lines longer than 4095 bytes are cut.
void LogFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));
/// Logs the numbered error line and counts it.
void ReportError(const char* function, const char* file, int line);

/// Stores `listener` in the first free of the 8 slots; false when all are taken.
bool AddLogListener(LogListener listener);
/// Frees the slot holding `listener`; false when it is not registered.
bool RemoveLogListener(LogListener listener);

/// Standard output can be muted (tests capture lines through listeners instead).
void SetLogToStandardOutput(bool enabled);

/// The sequence number of the next error report.
int32_t ErrorCount();
/// Back to 0; for tests and a fresh start of the program.
void ResetErrorCount();
