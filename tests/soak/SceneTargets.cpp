#include "SceneTargets.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

namespace fs = std::filesystem;

namespace {

constexpr int kCentreX = 512;
constexpr int kCentreY = 384;

struct SceneElement {
    std::string type;
    std::string parent;
    std::vector<float> position;
    float width = 0.0f;
};

using SceneElements = std::map<std::string, SceneElement>;

float ToFloat(const std::string& text) {
    try {
        return std::stof(text);
    } catch (...) {
        return 0.0f;
    }
}

SceneElements ReadElements(const fs::path& path) {
    std::ifstream in(path);
    SceneElements elements;
    std::string line;
    while (std::getline(in, line)) {
        const size_t dot = line.find('.');
        const size_t equals = line.find(" = ");
        const size_t end = line.rfind(';');
        if (line.empty() || line[0] == '#' || dot == std::string::npos || equals == std::string::npos ||
            end == std::string::npos || dot > equals || end < equals) {
            continue;
        }
        SceneElement& element = elements[line.substr(0, dot)];
        const std::string key = line.substr(dot + 1, equals - dot - 1);
        const std::string value = line.substr(equals + 3, end - equals - 3);
        if (key == "Type") {
            element.type = value;
        } else if (key == "Parent") {
            element.parent = value;
        } else if (key == "Position") {
            element.position.push_back(ToFloat(value));
        } else if (key == "MinWidth" || key == "Width") {
            element.width = ToFloat(value);
        }
    }
    return elements;
}

// The element's top-left corner from the screen's centre, adding its parents'
// positions (a chain longer than the file cannot be a real one).
bool OffsetOf(const SceneElements& elements, const std::string& name, float& x, float& y) {
    x = 0.0f;
    y = 0.0f;
    std::string current = name;
    for (size_t depth = 0; !current.empty() && depth <= elements.size(); ++depth) {
        const auto found = elements.find(current);
        if (found == elements.end()) {
            return false;
        }
        if (found->second.position.size() >= 2) {
            x += found->second.position[0];
            y += found->second.position[1];
        }
        current = found->second.parent;
    }
    return current.empty();
}

bool IsControl(const std::string& type) {
    return type.ends_with("Button") || type == "Slider" || type == "CheckBox" || type == "Scrollbar" ||
           type == "LevelMarker";
}

bool OnScreen(int x, int y) {
    return x >= 0 && y >= 0 && x < 2 * kCentreX && y < 2 * kCentreY;
}

void AddControls(const fs::path& file, std::vector<ClickTarget>& out) {
    const SceneElements elements = ReadElements(file);
    for (const auto& [name, element] : elements) {
        float x = 0.0f;
        float y = 0.0f;
        if (!IsControl(element.type) || element.position.size() < 2 || !OffsetOf(elements, name, x, y)) {
            continue;
        }
        // Aim inside the control: half its width when known, a little way in otherwise.
        const float inX = element.width > 0.0f ? element.width / 2 : 12.0f;
        const ClickTarget target{file.filename().string() + ":" + name, int(x + inX) + kCentreX,
                                 int(y + 16.0f) + kCentreY};
        if (OnScreen(target.x, target.y)) {
            out.push_back(target);
        }
    }
}

void AddObjects(const fs::path& file, std::vector<ClickTarget>& out) {
    for (const auto& [name, element] : ReadElements(file)) {
        if (element.type == "Bitmap" || element.position.size() < 2) {
            continue; // the level's backdrop and framing pictures
        }
        const ClickTarget target{file.stem().string() + ":" + name, int(element.position[0]) + kCentreX,
                                 int(element.position[1]) + kCentreY};
        if (OnScreen(target.x, target.y)) {
            out.push_back(target);
        }
    }
}

} // namespace

SceneTargets ReadSceneTargets(const std::string& contentFolder) {
    SceneTargets targets;
    std::error_code error;
    for (const char* folder : {"gui", "map"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(contentFolder) / folder, error)) {
            if (entry.path().extension() == ".scene") {
                AddControls(entry.path(), targets.buttons);
            }
        }
    }
    for (const auto& entry : fs::directory_iterator(fs::path(contentFolder) / "levels", error)) {
        const fs::path scene = entry.path() / (entry.path().filename().string() + ".scene");
        if (fs::is_regular_file(scene, error)) {
            targets.levels.push_back(entry.path().filename().string());
            AddObjects(scene, targets.objects);
        }
    }
    // Folder listings come in no fixed order; a seeded run must replay the same.
    const auto byName = [](const ClickTarget& a, const ClickTarget& b) { return a.name < b.name; };
    std::sort(targets.buttons.begin(), targets.buttons.end(), byName);
    std::sort(targets.objects.begin(), targets.objects.end(), byName);
    std::sort(targets.levels.begin(), targets.levels.end());
    return targets;
}
