#pragma once
// The console's command table: named handlers run by a typed command line.
//
// Entries keep their registration order; several may share a name, and a
// line runs every entry of its name in that order. A handler receives the
// argument texts and answers true for success; handlers never raise.
//
// ExecuteCommandLine splits the line at blanks and commas, runs the entries
// named by the first token and reports the line followed by ": OK" or
// ": ERROR" to the report receiver (the console display), "ERROR" also when
// no entry matched. A line that starts with a blank or a comma holds no
// command: it is reported as an error too.

#include "core/String.h"

#include <functional>
#include <vector>

using CommandArguments = std::vector<String>;
using CommandHandler = std::function<bool(const CommandArguments& arguments)>;
/// Receives each report line; null drops the reports.
using CommandReportReceiver = void (*)(const char* report);

constexpr const char* kCommandSucceeded = ": OK";
constexpr const char* kCommandFailed = ": ERROR";

/// Appends an entry; a null handler or an empty name is ignored.
void RegisterCommand(const char* name, CommandHandler handler);
/// Runs the line; the last handler's result, false when none ran.
bool ExecuteCommandLine(const char* line);
/// Every entry's name, in table order.
std::vector<String> CommandNames();
/// Empties the table (shut-down).
void ClearCommands();
void SetCommandReportReceiver(CommandReportReceiver receiver);
