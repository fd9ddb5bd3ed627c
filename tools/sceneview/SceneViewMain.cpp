// sceneview [--data DIR|PACK] [--frames N] [--size WxH] SCENE OUT.png
// Exit codes: 0 written (and for --help), 1 failed, 2 bad usage.
#include "SceneView.h"

#include "core/Log.h"

#include <cstdio>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    SceneViewOptions options;
    std::string error;
    if (!ParseSceneViewArguments(arguments, options, error)) {
        std::fprintf(stderr, "sceneview: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s\n", kSceneViewUsage);
        return 0;
    }
    // Engine log lines go to standard error so that the output stays clean.
    SetLogToStandardOutput(false);
    AddLogListener([](const char* line) { std::fprintf(stderr, "%s\n", line); });
    std::vector<std::string> warnings;
    bool ok = RunSceneView(options, warnings, error);
    for (const std::string& warning : warnings) {
        std::fprintf(stderr, "sceneview: %s\n", warning.c_str());
    }
    if (!ok) {
        std::fprintf(stderr, "sceneview: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", options.output.c_str());
    return 0;
}
