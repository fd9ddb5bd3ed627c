#include "CheckReport.h"

namespace {

std::string Counted(int count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

} // namespace

void CheckReport::Error(const std::string& file, const std::string& text) {
    findings.push_back({Severity::Error, file, text});
    ++errors;
}

void CheckReport::Warning(const std::string& file, const std::string& text) {
    findings.push_back({Severity::Warning, file, text});
    ++warnings;
}

std::string CheckReport::FormatLine(const Finding& finding) {
    const char* kind = finding.severity == Severity::Error ? "error: " : "warning: ";
    return kind + finding.file + ": " + finding.text;
}

std::string CheckReport::Summary() const {
    return "datacheck: " + Counted(filesListed, "file", "files") + ", " +
           Counted(scenesChecked, "scene file", "scene files") +
           " checked: " + Counted(errors, "error", "errors") + ", " +
           Counted(warnings, "warning", "warnings");
}

std::string ElementLabel(const char* className, const char* name) {
    return std::string(className) + " " + Quoted(name);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}
