#pragma once
// Places worth clicking, read from the demo's scene files as a player would
// see them: the buttons, sliders and boxes of the menus and the objects of
// each level.
//
// A scene file line is `element.Key = value;`; positions are pixels from the
// screen's centre, a widget's to its top-left corner and relative to its
// Parent, a level object's to its centre. Targets are in pixels of the
// 1024 x 768 logical screen, x to the right, y downwards. Lines that do not
// parse are skipped: the files are the game's data, not this tool's.

#include <string>
#include <vector>

struct ClickTarget {
    std::string name; ///< "file:element", for the report
    int x = 0;
    int y = 0;
};

struct SceneTargets {
    std::vector<ClickTarget> buttons; ///< menu widgets a player clicks: buttons, sliders, check boxes
    std::vector<ClickTarget> objects; ///< every placed object of every level
    std::vector<std::string> levels;  ///< level names, one per folder of content/levels
};

/// Reads the scene files below `contentFolder` (gui/, map/, levels/).
SceneTargets ReadSceneTargets(const std::string& contentFolder);
