#include "Recipe.h"

#include <cerrno>
#include <cstring>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

constexpr size_t kMaxLine = 4095;
constexpr size_t kMaxEntries = 100000;

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '=';
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string Quoted(std::string_view text) {
    std::string out = "'";
    for (char c : text.substr(0, 60)) {
        out += (static_cast<unsigned char>(c) < 32) ? '?' : c;
    }
    if (text.size() > 60) {
        out += "...";
    }
    return out + "'";
}

} // namespace

bool Recipe::Parse(std::string_view recipeName, std::string_view text, std::string& error) {
    name = std::string(recipeName);
    entries.clear();
    lineCount = 0;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineCount;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
            line.remove_suffix(1);
        }
        size_t first = 0;
        while (first < line.size() && IsSeparator(line[first])) {
            ++first;
        }
        if (first == line.size() || line[first] == '#') {
            continue;
        }
        const RecipeEntry here{"", "", lineCount};
        if (line.size() > kMaxLine) {
            error = ErrorAt(&here, "line longer than 4095 characters");
            return false;
        }
        if (first != 0) {
            error = ErrorAt(&here, "a line must start with its key (no indentation)");
            return false;
        }
        size_t keyEnd = 0;
        while (keyEnd < line.size() && !IsSeparator(line[keyEnd])) {
            ++keyEnd;
        }
        std::string_view key = line.substr(0, keyEnd);
        if (key.back() == ';') {
            error = ErrorAt(&here, "key " + Quoted(key) + " has no value");
            return false;
        }
        size_t valueStart = keyEnd;
        while (valueStart < line.size() && IsSeparator(line[valueStart])) {
            ++valueStart;
        }
        if (line.back() != ';') {
            error = ErrorAt(&here, "the value of " + Quoted(key) + " must end with ';'");
            return false;
        }
        if (valueStart >= line.size() - 1) {
            error = ErrorAt(&here, "key " + Quoted(key) + " has no value");
            return false;
        }
        std::string_view value = line.substr(valueStart, line.size() - 1 - valueStart);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
            value.remove_suffix(1);
        }
        if (entries.size() >= kMaxEntries) {
            error = ErrorAt(&here, "too many lines");
            return false;
        }
        entries.push_back(RecipeEntry{std::string(key), std::string(value), lineCount});
    }
    return true;
}

bool Recipe::Load(const std::string& path, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read the recipe " + path + ": " + std::strerror(errno);
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    return Parse(path, text.str(), error);
}

const RecipeEntry* Recipe::Find(std::string_view key) const {
    for (const RecipeEntry& entry : entries) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

std::vector<const RecipeEntry*> Recipe::FindAll(std::string_view key) const {
    std::vector<const RecipeEntry*> found;
    for (const RecipeEntry& entry : entries) {
        if (entry.key == key) {
            found.push_back(&entry);
        }
    }
    return found;
}

std::string Recipe::ErrorAt(const RecipeEntry* entry, std::string_view message) const {
    const int32_t line = entry ? entry->line : lineCount + 1;
    return name + ":" + std::to_string(line) + ": " + std::string(message);
}

bool Recipe::CheckKeys(const std::vector<std::string_view>& allowed, std::string& error) const {
    for (const RecipeEntry& entry : entries) {
        bool known = false;
        for (std::string_view key : allowed) {
            known = known || entry.key == key;
        }
        if (!known) {
            std::string keys;
            for (std::string_view key : allowed) {
                keys += (keys.empty() ? "" : ", ") + std::string(key);
            }
            error = ErrorAt(&entry, "unknown key " + Quoted(entry.key) + " (this kind reads " + keys + ")");
            return false;
        }
    }
    return true;
}

bool Recipe::GetText(std::string_view key, std::string& out, bool required, std::string& error) const {
    const RecipeEntry* entry = Find(key);
    if (!entry) {
        if (required) {
            error = ErrorAt(nullptr, "the recipe has no " + Quoted(key));
        }
        return !required;
    }
    out = entry->value;
    return true;
}

bool Recipe::GetInt(std::string_view key, int32_t& out, int32_t low, int32_t high, bool required,
                    std::string& error) const {
    float value = 0;
    if (!GetFloats(key, &value, 1, static_cast<float>(low), static_cast<float>(high), required, error)) {
        return false;
    }
    const RecipeEntry* entry = Find(key);
    if (!entry) {
        return true;
    }
    if (value != std::floor(value)) {
        error = ErrorAt(entry, Quoted(key) + " must be a whole number");
        return false;
    }
    out = static_cast<int32_t>(value);
    return true;
}

bool Recipe::GetFloat(std::string_view key, float& out, float low, float high, bool required,
                      std::string& error) const {
    return GetFloats(key, &out, 1, low, high, required, error);
}

bool Recipe::GetFloats(std::string_view key, float* out, int32_t count, float low, float high, bool required,
                       std::string& error) const {
    const RecipeEntry* entry = Find(key);
    if (!entry) {
        if (required) {
            error = ErrorAt(nullptr, "the recipe has no " + Quoted(key));
        }
        return !required;
    }
    const std::vector<std::string> words = Words(entry->value);
    if (static_cast<int32_t>(words.size()) != count) {
        error = ErrorAt(entry, Quoted(key) + " needs " + std::to_string(count) +
                                   (count == 1 ? " number" : " numbers"));
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        if (!ParseFloat(words[i], low, high, out[i])) {
            std::ostringstream range;
            range << low << " to " << high;
            error = ErrorAt(entry, Quoted(words[i]) + " is not a number from " + range.str());
            return false;
        }
    }
    return true;
}

bool Recipe::GetColour(std::string_view key, Colour& out, bool required, std::string& error) const {
    const RecipeEntry* entry = Find(key);
    if (!entry) {
        if (required) {
            error = ErrorAt(nullptr, "the recipe has no " + Quoted(key));
        }
        return !required;
    }
    if (!ParseColour(entry->value, out)) {
        error = ErrorAt(entry, Quoted(entry->value) + " is not a colour (#rrggbb or #rrggbbaa)");
        return false;
    }
    return true;
}

std::vector<std::string> Recipe::Words(std::string_view value) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < value.size()) {
        while (at < value.size() && (value[at] == ' ' || value[at] == '\t')) {
            ++at;
        }
        size_t end = at;
        while (end < value.size() && value[end] != ' ' && value[end] != '\t') {
            ++end;
        }
        if (end > at) {
            words.emplace_back(value.substr(at, end - at));
        }
        at = end;
    }
    return words;
}

bool Recipe::ParseColour(std::string_view text, Colour& out) {
    if ((text.size() != 7 && text.size() != 9) || text[0] != '#') {
        return false;
    }
    float parts[4] = {0, 0, 0, 1};
    for (size_t i = 0; i * 2 + 1 < text.size(); ++i) {
        const int high = HexDigit(text[1 + i * 2]);
        const int low = HexDigit(text[2 + i * 2]);
        if (high < 0 || low < 0) {
            return false;
        }
        parts[i] = static_cast<float>(high * 16 + low) / 255.0f;
    }
    out = Colour{parts[0], parts[1], parts[2], parts[3]};
    return true;
}

bool Recipe::ParseFloat(std::string_view text, float low, float high, float& out) {
    if (text.empty() || text.size() > 32) {
        return false;
    }
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (end != copy.c_str() + copy.size() || !std::isfinite(value) || value < low || value > high) {
        return false;
    }
    // Hexadecimal and exponent forms are not part of the format.
    for (char c : copy) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+')) {
            return false;
        }
    }
    out = static_cast<float>(value);
    return true;
}
