#include "core/Tokenizer.h"

#include <cstdlib>
#include <cstring>

bool Tokenizer::IsDelimiter(char c) const {
    return c != '\0' && std::strchr(delimiters.CStr(), c) != nullptr;
}

bool Tokenizer::NextToken(String& out) {
    const char* chars = text.CStr();
    const auto length = static_cast<int32_t>(text.Length());
    if (position >= length || IsDelimiter(chars[position])) {
        return false;
    }
    while (position < length && !IsDelimiter(chars[position])) {
        ++position;
    }
    out.Assign(chars + tokenStart, static_cast<size_t>(position - tokenStart));
    while (position < length && IsDelimiter(chars[position])) {
        ++position;
    }
    tokenStart = position;
    return true;
}

namespace {

bool IsNumberText(const String& token) {
    for (const char* c = token.CStr(); *c; ++c) {
        if (*c != '-' && *c != '.' && (*c < '0' || *c > '9')) {
            return false;
        }
    }
    return true;
}

} // namespace

bool Tokenizer::NextInt(int32_t& out) {
    String token;
    if (!NextToken(token) || !IsNumberText(token)) {
        return false;
    }
    out = static_cast<int32_t>(std::strtol(token.CStr(), nullptr, 10));
    return true;
}

bool Tokenizer::NextFloat(float& out) {
    String token;
    if (!NextToken(token) || !IsNumberText(token)) {
        return false;
    }
    out = std::strtof(token.CStr(), nullptr);
    return true;
}
