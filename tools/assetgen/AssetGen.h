#pragma once
// The asset generator: one recipe in, one picture (.png) or sound (.ogg) out.
//
//   assetgen [--content DIR] [--fonts DIR]... RECIPE OUT
//
// The recipe's "Kind" chooses what is made; the output's extension must suit
// it. The output is written to a temporary file first and renamed, so an
// interrupted run never leaves a half-written asset for the build to pack.

#include "Pictures.h"

#include <string>
#include <vector>

struct AssetGenOptions {
    bool help = false; ///< --help or -h: print the usage, make nothing
    Sources sources;
    std::string recipe;
    std::string output;
};

constexpr const char* kAssetGenUsage =
    "usage: assetgen [--content DIR] [--fonts DIR]... RECIPE OUT\n"
    "Makes one picture (.png) or sound (.ogg) of the game's data from its recipe.\n"
    "  --content DIR  the data sources, for text taken from string tables (default: content)\n"
    "  --fonts DIR    a folder searched for fonts (repeatable; default: the system's font folders)\n"
    "Recipes and every key they take: content/recipes/README.txt. The data build runs\n"
    "this on every recipe below content/recipes; to remake one picture by hand:\n"
    "  build/bin/assetgen --content content content/recipes/gui/IntroScreen/title.png.config \\\n"
    "      build/data/gui/IntroScreen/title.png\n"
    "Exit status: 0 written, 1 the recipe or the output failed, 2 bad usage.";

/// False with a usage message in `error` for bad arguments; `--help` and
/// `-h` succeed with `help` set.
bool ParseAssetGenArguments(const std::vector<std::string>& arguments, AssetGenOptions& options,
                            std::string& error);

/// Reads the recipe and writes the output; false with a one-line `error`.
bool GenerateAsset(const AssetGenOptions& options, std::string& error);
