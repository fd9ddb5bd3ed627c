// The game executable's entry.
//
//   dunhaven                   the data of the executable's own folder: its
//                              data.pack first, then its loose files
//   dunhaven --data DIR|PACK   a data folder (its data.pack first, then its
//                              loose files), or a pack archive with the loose
//                              files of its folder as the fall-back
//
// Saves and options stay in the per-user folder whatever the data.
#include "GameStartup.h"
#include "app/Application.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kUsage =
    "usage: dunhaven [--data DIR|PACK]\n"
    "  --data DIR   run on the data folder DIR (its data.pack first, then its loose files)\n"
    "  --data PACK  run on the pack archive PACK, with the loose files of its folder as the fall-back\n"
    "Without --data the game reads data.pack and the loose files beside the program.\n";

// A data location the game can start on: a folder or a regular file.
bool CheckDataPath(const char* path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error) {
        std::fprintf(stderr, "dunhaven: cannot use --data %s: %s\n", path, error.message().c_str());
        return false;
    }
    if (!std::filesystem::is_directory(status) && !std::filesystem::is_regular_file(status)) {
        std::fprintf(stderr, "dunhaven: cannot use --data %s: it is neither a folder nor a pack archive\n",
                     path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const char* dataPath = nullptr;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (std::strcmp(argument, "--help") == 0 || std::strcmp(argument, "-h") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argument, "--data") == 0 && i + 1 < argc) {
            dataPath = argv[++i];
        } else if (std::strncmp(argument, "--data=", 7) == 0) {
            dataPath = argument + 7;
        } else {
            std::fprintf(stderr, "dunhaven: unknown or incomplete argument %s\n%s", argument, kUsage);
            return 2;
        }
    }
    if (dataPath && !CheckDataPath(dataPath)) {
        return 2;
    }
    GameStartup game;
    return RunApplication(game, dataPath);
}
