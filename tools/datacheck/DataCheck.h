#pragma once
// The data checker: loads a data set the way the game does and reports, one
// line each, what the game would get wrong (errors) or only waste (warnings).
//
// A data set is a folder of loose files or a pack archive. A folder is read
// as loose files only; an archive is opened as the game opens data.pack, with
// the loose files beside it as the fall-back. Checked, in order: the string
// tables, the global settings (see SettingChecks.h), every scene and widget
// file (see SceneChecks.h); last, every file that nothing opened while
// loading, and that no rule of the game reads, is named as unused.
//
// The run uses the engine's process-wide state (current folder, archive,
// class registry, resource cache, string tables, global objects) and leaves
// each as it found it, empty.

#include <string>
#include <vector>

class CheckReport;

struct DataCheckOptions {
    std::string data; ///< a folder or a pack archive; empty: the current folder
    /// Registers classes beyond the engine's and the game's (a tool's own).
    void (*registerMoreClasses)() = nullptr;
};

/// Parses the command line; false with `error` set on bad usage.
bool ParseDataCheckArguments(const std::vector<std::string>& arguments, DataCheckOptions& options,
                             std::string& error);

/// Runs every check into `report`. False, with `error` set, when the data
/// set cannot be opened at all.
bool RunDataCheck(const DataCheckOptions& options, CheckReport& report, std::string& error);

constexpr const char* kDataCheckUsage = "usage: datacheck [DIR|PACK]";
