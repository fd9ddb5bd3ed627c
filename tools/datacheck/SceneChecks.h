#pragma once
// The checks of one scene (".scene") or widget (".widget") file.
//
// The file is read and its elements built as the game builds them (the same
// ConfigTable reader and BuildScene), then every element resolves its links
// as on the scene's first update. Reported: a file that does not load, an
// element whose class is missing or unregistered, a key that names no
// declared, saved property of its element (or no listed element at all), a
// value that does not convert to its property's type, a parent that is no
// widget of the file, and every link or picture path that does not resolve.
// A widget file is read for its first element only, as the game reads it.
// Level objects: see LevelChecks.h. A level screen's HUD children that do
// not resolve are warnings: the screen goes without them.
// Effects: a region whose polygon does not parse, a frame group whose format
// names none of its children, an emitter whose sprite or spawn picture is
// missing.
// Texts and windows: see TextChecks.h.
//
// Links of the global settings element are left to the settings checks,
// which know which settings the game reads.

#include <string>

class CheckReport;
class Recording;

struct SceneFileFacts {
    bool loaded = false;
    /// Some element is a Screen: the screen stack loads such files by class name.
    bool holdsScreen = false;
};

SceneFileFacts CheckSceneFile(const std::string& path, CheckReport& report, Recording& recording);

/// The problem with resource or scene link item `path` of class `className`
/// ("Sprite", "Scene", ...) that did not resolve: "sprite "x.png" not found",
/// "... cannot be loaded (reason)" when the file exists.
std::string UnresolvedResourceText(const char* className, const std::string& path,
                                   const Recording& recording);
