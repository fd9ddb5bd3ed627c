#include "SceneFile.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

namespace {

constexpr int kHalfWidth = 512;
constexpr int kHalfHeight = 384;

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    const size_t last = text.find_last_not_of(" \t\r;");
    return last < first ? "" : text.substr(first, last - first + 1);
}

} // namespace

int ScreenX(float sceneX) {
    return int(sceneX) + kHalfWidth;
}

int ScreenY(float sceneY) {
    return int(sceneY) + kHalfHeight;
}

SceneFile::SceneFile(const std::string& relative) {
    std::ifstream in(std::string(TEST_SOURCE_DIR) + "/../content/" + relative);
    std::string line;
    while (std::getline(in, line)) {
        const size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos) {
            continue;
        }
        const std::string name = Trim(line.substr(0, equals));
        const size_t dot = name.find('.');
        if (dot == std::string::npos || dot == 0) {
            continue;
        }
        const std::string element = name.substr(0, dot);
        if (std::find(elements.begin(), elements.end(), element) == elements.end()) {
            elements.push_back(element);
        }
        values[name].push_back(Trim(line.substr(equals + 1)));
    }
}

const std::vector<std::string>& SceneFile::Values(const std::string& element, const std::string& key) const {
    static const std::vector<std::string> kNone;
    const auto found = values.find(element + "." + key);
    return found == values.end() ? kNone : found->second;
}

float SceneFile::Number(const std::string& element, const std::string& key, size_t index,
                        float fallback) const {
    const auto& list = Values(element, key);
    if (index >= list.size()) {
        return fallback;
    }
    char* end = nullptr;
    const float number = std::strtof(list[index].c_str(), &end);
    return end == list[index].c_str() ? fallback : number;
}

ScenePoint SceneFile::Position(const std::string& element) const {
    return ScenePoint{Number(element, "Position", 0), Number(element, "Position", 1)};
}

bool SceneFile::Has(const std::string& element, const std::string& key) const {
    return values.count(element + "." + key) > 0;
}

std::vector<std::string> SceneFile::ElementsWith(const std::string& key) const {
    std::vector<std::string> out;
    for (const std::string& element : elements) {
        if (Has(element, key)) {
            out.push_back(element);
        }
    }
    return out;
}
