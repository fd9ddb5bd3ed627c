// fontbake: bakes a TrueType or OpenType font into the engine's bitmap font
// format (see FontBaker.h for the output).
//   fontbake [--root DIR] [--color RRGGBB] [--outline PX[:RRGGBB]]
//            [--shadow DX,DY[:RRGGBBAA]] FONT.ttf|otf SIZE OUT
// Writes OUT.config and OUT.png; prints the characters the font lacks.
//   --root DIR         ImagePath is written relative to DIR (default: .)
//   --color RRGGBB     glyph colour (default FFFFFF)
//   --outline PX[:RRGGBB]      outline of PX pixels (default colour 000000)
//   --shadow DX,DY[:RRGGBBAA]  drop shadow offset (default colour 00000080)
// Exit status 0 on success, 1 on failure (reason on stderr), 2 on bad usage.
#include "FontBaker.h"

#include <cstdio>

namespace {

constexpr const char* kUsage =
    "usage: fontbake [--root DIR] [--color RRGGBB] [--outline PX[:RRGGBB]] [--shadow DX,DY[:RRGGBBAA]]\n"
    "                FONT.ttf|otf SIZE OUT\n"
    "Bakes the Latin-1 characters of FONT at SIZE pixels into OUT.config and OUT.png.\n"
    "  --root DIR                 OUT.png is named relative to the data folder DIR (default .)\n"
    "  --color RRGGBB             the glyphs' colour (default FFFFFF)\n"
    "  --outline PX[:RRGGBB]      an outline of PX pixels (default colour 000000)\n"
    "  --shadow DX,DY[:RRGGBBAA]  a drop shadow (default colour 00000080)\n"
    "Exit status: 0 written, 1 failed, 2 bad usage.\n";

int Usage(const std::string& reason) {
    std::fprintf(stderr, "fontbake: %s\n%s", reason.c_str(), kUsage);
    return 2;
}

void ReportMissing(const std::vector<int32_t>& missing) {
    std::printf("missing %zu character%s%s", missing.size(), missing.size() == 1 ? "" : "s",
                missing.empty() ? "" : ":");
    for (int32_t code : missing) {
        std::printf(" U+%04X", unsigned(code));
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    BakeSettings settings;
    std::string error;
    if (!ParseBakeArguments(arguments, settings, error)) {
        return Usage(error);
    }
    std::string imagePath;
    if (!DataRelativePath(settings.outBase + ".png", settings.root, imagePath)) {
        return Usage(settings.outBase + ".png does not lie below the data root " + settings.root +
                     " (use --root)");
    }
    BakeResult result;
    if (!BakeFont(settings, result, error)) {
        std::fprintf(stderr, "fontbake: %s\n", error.c_str());
        return 1;
    }
    ReportMissing(result.missing);
    std::printf("wrote %s.config and %s.png: %d glyphs in cells of %d pixels, ImagePath %s\n",
                settings.outBase.c_str(), settings.outBase.c_str(), result.glyphs, result.cellSize,
                result.imagePath.c_str());
    return 0;
}
