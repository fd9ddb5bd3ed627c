#pragma once
// Runs one of the project's command-line tools from the build tree, as a
// user would from a shell, and gathers what it printed and how it ended.

#include <string>

namespace testing_support {

struct ToolRun {
    int status = -1;    ///< the exit status; -1 when it could not start or did not exit
    std::string output; ///< standard output, with standard error too unless asked apart
};

/// Runs build/bin/`tool` with `arguments` (passed through the shell, so
/// quote paths with blanks). With `errorFile` empty, standard error joins the
/// output; otherwise it goes to that file.
ToolRun RunTool(const std::string& tool, const std::string& arguments, const std::string& errorFile = "");

} // namespace testing_support
