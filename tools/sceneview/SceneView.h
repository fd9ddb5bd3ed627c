#pragma once
// The scene viewer: loads the game data the way the game does (the pack
// archive first, loose files as the fall-back), loads one scene, runs frames
// of updates at 1/65 s, draws it with the engine's renderer and writes the
// picture as PNG. Needs a display (Xvfb will do).

#include <string>
#include <vector>

struct SceneViewOptions {
    std::string data; ///< a folder or a pack archive; empty: the current folder
    int frames = 1;   ///< updates before the picture is taken
    int width = 1024; ///< the logical screen
    int height = 768;
    std::string scene;  ///< the scene file, as the game names it
    std::string output; ///< the PNG to write
};

/// Parses the command line; false with `error` set on bad usage.
bool ParseSceneViewArguments(const std::vector<std::string>& arguments, SceneViewOptions& options,
                             std::string& error);
/// Renders the scene; problems found on the way (unresolved links, missing
/// pictures) are appended to `warnings`. False with `error` on failure.
bool RunSceneView(const SceneViewOptions& options, std::vector<std::string>& warnings, std::string& error);

constexpr const char* kSceneViewUsage =
    "usage: sceneview [--data DIR|PACK] [--frames N] [--size WxH] SCENE OUT.png";
