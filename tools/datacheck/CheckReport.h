#pragma once
// CheckReport: the findings of one data check, in the order they were made.
//
// Each finding is one output line, "error: FILE: TEXT" or "warning: FILE:
// TEXT", where FILE is the data path the finding belongs to (as the game
// names it) and TEXT names the element and what is wrong with it. Errors are
// what the game would get wrong; warnings are what it would only waste.

#include <string>
#include <vector>

enum class Severity { Error, Warning };

struct Finding {
    Severity severity = Severity::Error;
    std::string file;
    std::string text;
};

class CheckReport {
public:
    void Error(const std::string& file, const std::string& text);
    void Warning(const std::string& file, const std::string& text);

    const std::vector<Finding>& Findings() const { return findings; }
    int ErrorCount() const { return errors; }
    int WarningCount() const { return warnings; }

    /// "error: FILE: TEXT" (or "warning: ...").
    static std::string FormatLine(const Finding& finding);
    /// "datacheck: N files, S scene files checked: E errors, W warnings".
    std::string Summary() const;

    /// Files the data set holds, and scene and widget files among them checked.
    int filesListed = 0;
    int scenesChecked = 0;
    /// The archive a checked folder holds and the game reads first; empty
    /// when the folder's loose files alone were checked.
    std::string archiveInFolder;

private:
    std::vector<Finding> findings;
    int errors = 0;
    int warnings = 0;
};

/// "Bitmap "logo"": an element's class and name, as findings name elements.
std::string ElementLabel(const char* className, const char* name);
/// The text in double quotes.
std::string Quoted(const std::string& text);
