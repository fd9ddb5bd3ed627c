#include "ToolRun.h"

#include <cstdio>
#include <sys/wait.h>

namespace testing_support {

ToolRun RunTool(const std::string& tool, const std::string& arguments, const std::string& errorFile) {
    ToolRun result;
    const std::string redirect = errorFile.empty() ? " 2>&1" : " 2>" + errorFile;
    const std::string command = std::string(TEST_BINARY_DIR) + "/bin/" + tool + " " + arguments + redirect;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        return result;
    }
    char chunk[256];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) {
        result.output.append(chunk, got);
    }
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

} // namespace testing_support
