#pragma once
// The scene viewer: loads the game data the way the game does (the pack
// archive first, loose files as the fall-back; the game's classes, its string
// tables, its global settings and the text styles with their fonts), loads
// one scene, runs frames of updates at 1/65 s, draws it with the engine's
// renderer and writes the picture as PNG. The random generator starts from the same seed every run,
// so a scene with particles gives the same picture for the same frames. Needs a display (Xvfb will do).

#include <string>
#include <vector>

struct SceneViewOptions {
    bool help = false; ///< --help or -h: print the usage, draw nothing
    std::string data;  ///< a folder or a pack archive; empty: the current folder
    int frames = 1;    ///< updates before the picture is taken
    int width = 1024;  ///< the logical screen
    int height = 768;
    std::string scene;  ///< the scene file, as the game names it
    std::string output; ///< the PNG to write
};

/// Parses the command line; false with `error` set on bad usage. `--help`
/// and `-h` succeed with `help` set.
bool ParseSceneViewArguments(const std::vector<std::string>& arguments, SceneViewOptions& options,
                             std::string& error);
/// Renders the scene; problems found on the way (unresolved links, missing
/// pictures) are appended to `warnings`. False with `error` on failure.
bool RunSceneView(const SceneViewOptions& options, std::vector<std::string>& warnings, std::string& error);

constexpr const char* kSceneViewUsage =
    "usage: sceneview [--data DIR|PACK] [--frames N] [--size WxH] SCENE OUT.png\n"
    "Draws the scene file SCENE with the game's renderer and writes the picture to OUT.png.\n"
    "  --data DIR|PACK  the data set: a folder (its data.pack first, then its loose files)\n"
    "                   or a pack archive; default: the current folder. SCENE is a data\n"
    "                   path inside it, such as gui/WelcomePanel.scene\n"
    "  --frames N       updates before the picture is taken (default 1)\n"
    "  --size WxH       the logical screen (default 1024x768)\n"
    "Needs a display (xvfb-run will do). Exit status: 0 written, 1 failed, 2 bad usage.";
