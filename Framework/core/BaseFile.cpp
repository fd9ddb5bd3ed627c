#include "core/BaseFile.h"

#include "core/String.h"

bool BaseFile::ReadLine(String* out, bool stripLineEnd) {
    if (!out) {
        return false;
    }
    return ReadLine(*out, stripLineEnd);
}

size_t BaseFile::LengthWithoutLineEnd(const char* text, size_t length) {
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) {
        --length;
    }
    return length;
}
