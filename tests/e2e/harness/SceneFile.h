#pragma once
// SceneFile: a scene file of the demo's content read the way the tests read
// it, to know where things are as a player would see them, without asking
// the game: "element.key = value;" lines, each key's values in file order.
// Comments, "Widget = name;" lines and lines without a value are skipped.
//
// Positions of level scenes and screen scenes are pixels from the centre of
// the 1024 x 768 screen; ScreenX/ScreenY turn them into screen pixels.

#include <map>
#include <string>
#include <vector>

struct ScenePoint {
    float x = 0.0f;
    float y = 0.0f;
};

int ScreenX(float sceneX);
int ScreenY(float sceneY);

class SceneFile {
public:
    /// Reads content/`relative` of the source tree; empty when it cannot be read.
    explicit SceneFile(const std::string& relative);

    bool Loaded() const { return !elements.empty(); }
    /// The values of `element.key`; empty when there are none.
    const std::vector<std::string>& Values(const std::string& element, const std::string& key) const;
    /// Value `index` of `element.key` as a number, `fallback` when missing or not a number.
    float Number(const std::string& element, const std::string& key, size_t index,
                 float fallback = 0.0f) const;
    /// The first two values of the element's "Position".
    ScenePoint Position(const std::string& element) const;
    bool Has(const std::string& element, const std::string& key) const;
    /// Every element that has `key`, in the order of their first lines.
    std::vector<std::string> ElementsWith(const std::string& key) const;

private:
    std::map<std::string, std::vector<std::string>> values; ///< "element.key" → values
    std::vector<std::string> elements;                      ///< in order of their first lines
};
