// The baker's command line:
//   fontbake [--root DIR] [--color RRGGBB] [--outline PX[:RRGGBB]]
//            [--shadow DX,DY[:RRGGBBAA]] FONT.ttf|otf SIZE OUT
#include "FontBaker.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool ParseInt(const std::string& text, int32_t low, int32_t high, int32_t& out) {
    if (text.empty()) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = int32_t(value);
    return true;
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

/// RRGGBB, or RRGGBBAA when `withAlpha`; the alpha stays as it was otherwise.
bool ParseColor(const std::string& text, bool withAlpha, BakeColor& color) {
    const size_t digits = withAlpha ? 8 : 6;
    if (text.size() != digits) {
        return false;
    }
    uint8_t bytes[4] = {0, 0, 0, color.a};
    for (size_t i = 0; i < digits; i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes[i / 2] = uint8_t(high * 16 + low);
    }
    color = {bytes[0], bytes[1], bytes[2], bytes[3]};
    return true;
}

bool ParseOutline(const std::string& text, BakeSettings& settings) {
    const size_t colon = text.find(':');
    if (!ParseInt(text.substr(0, colon), 0, kMaxBakeOutline, settings.outline)) {
        return false;
    }
    return colon == std::string::npos || ParseColor(text.substr(colon + 1), false, settings.outlineColor);
}

bool ParseShadow(const std::string& text, BakeSettings& settings) {
    const size_t colon = text.find(':');
    const std::string offsets = text.substr(0, colon);
    const size_t comma = offsets.find(',');
    if (comma == std::string::npos ||
        !ParseInt(offsets.substr(0, comma), -kMaxBakeShadowOffset, kMaxBakeShadowOffset, settings.shadowX) ||
        !ParseInt(offsets.substr(comma + 1), -kMaxBakeShadowOffset, kMaxBakeShadowOffset, settings.shadowY)) {
        return false;
    }
    settings.shadow = true;
    return colon == std::string::npos || ParseColor(text.substr(colon + 1), true, settings.shadowColor);
}

} // namespace

bool ParseBakeArguments(const std::vector<std::string>& arguments, BakeSettings& settings, std::string& error) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        const bool isOption = argument.size() > 2 && argument.compare(0, 2, "--") == 0;
        if (!isOption) {
            positional.push_back(argument);
            continue;
        }
        if (i + 1 >= arguments.size()) {
            error = argument + " needs a value";
            return false;
        }
        const std::string& value = arguments[++i];
        bool good = false;
        if (argument == "--root") {
            settings.root = value;
            good = !value.empty();
        } else if (argument == "--color") {
            good = ParseColor(value, false, settings.color);
        } else if (argument == "--outline") {
            good = ParseOutline(value, settings);
        } else if (argument == "--shadow") {
            good = ParseShadow(value, settings);
        } else {
            error = "unknown option " + argument;
            return false;
        }
        if (!good) {
            error = "bad value for " + argument + ": " + value;
            return false;
        }
    }
    if (positional.size() != 3) {
        error = "expected FONT SIZE OUT";
        return false;
    }
    settings.fontPath = positional[0];
    if (!ParseInt(positional[1], 1, kMaxBakeSize, settings.size)) {
        error = "SIZE must be a whole number of pixels from 1 to " + std::to_string(kMaxBakeSize);
        return false;
    }
    settings.outBase = positional[2];
    return true;
}
