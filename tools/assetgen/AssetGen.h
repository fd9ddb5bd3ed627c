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
    Sources sources;
    std::string recipe;
    std::string output;
};

/// False with a usage message in `error` for bad arguments.
bool ParseAssetGenArguments(const std::vector<std::string>& arguments, AssetGenOptions& options, std::string& error);

/// Reads the recipe and writes the output; false with a one-line `error`.
bool GenerateAsset(const AssetGenOptions& options, std::string& error);
