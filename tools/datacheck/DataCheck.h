#pragma once
// The data checker: loads a data set the way the game does and reports, one
// line each, what the game would get wrong (errors) or only waste (warnings).
//
// A data set is a folder or a pack archive, read as the game reads it: a
// folder holding the game's archive (data.pack) is read from that archive
// first with the folder's loose files as the fall-back, a folder without one
// as loose files only; an archive given by name is opened with the loose
// files beside it as the fall-back. Loose paths that differ from a file's
// name only in case find it, as they do in the game. Checked, in order: the string
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
    std::string data;  ///< a folder or a pack archive; empty: the current folder
    bool help = false; ///< --help or -h: print the usage, check nothing
    /// Registers classes beyond the engine's and the game's (a tool's own).
    void (*registerMoreClasses)() = nullptr;
};

/// Parses the command line; false with `error` set on bad usage. `--help`
/// and `-h` succeed with `help` set.
bool ParseDataCheckArguments(const std::vector<std::string>& arguments, DataCheckOptions& options,
                             std::string& error);

/// Runs every check into `report`. False, with `error` set, when the data
/// set cannot be opened at all.
bool RunDataCheck(const DataCheckOptions& options, CheckReport& report, std::string& error);

constexpr const char* kDataCheckUsage =
    "usage: datacheck [DIR|PACK]\n"
    "Loads a data set as the game does and prints one line per problem: errors\n"
    "(what the game would get wrong) and warnings (files nothing uses).\n"
    "  DIR   a data folder; its data.pack is read first when it holds one\n"
    "  PACK  a pack archive, with the loose files beside it as the fall-back\n"
    "Without an argument the current folder is checked, as the game would read it.\n"
    "Exit status: 0 no errors, 1 errors found, 2 bad usage or no data set.";
