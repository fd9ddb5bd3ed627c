// assetgen [--content DIR] [--fonts DIR]... RECIPE OUT
// Exit codes: 0 written (and for --help), 1 the recipe or the output failed,
// 2 bad usage.
#include "AssetGen.h"

#include <cstdio>

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    AssetGenOptions options;
    std::string error;
    if (!ParseAssetGenArguments(arguments, options, error)) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s\n", kAssetGenUsage);
        return 0;
    }
    if (!GenerateAsset(options, error)) {
        std::fprintf(stderr, "assetgen: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
