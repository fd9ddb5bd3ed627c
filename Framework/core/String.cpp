#include "core/String.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
// Through operator new, not malloc, so that the allocation counters of the
// tests and benchmarks see every text and value array the engine makes.
void* NewBlock(size_t bytes) {
    return ::operator new(bytes, std::nothrow);
}
void FreeBlock(void* block) {
    ::operator delete(block);
}
} // namespace

String::String(String&& other) noexcept : String() {
    *this = std::move(other);
}

String::String(int value) : String() {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    Assign(text);
}

String::String(float value) : String() {
    // "%f" of a float can need up to 47 digits before the point.
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    Assign(text);
}

String::~String() {
    Release();
}

String& String::operator=(const String& other) {
    if (this != &other) {
        Assign(other.CStr(), other.Length());
    }
    return *this;
}

String& String::operator=(String&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    Release();
    if (other.heapText) {
        heapText = other.heapText;
        other.heapText = nullptr;
        other.inlineText[0] = '\0';
    } else {
        std::memcpy(inlineText, other.inlineText, std::strlen(other.inlineText) + 1);
    }
    return *this;
}

void String::Release() {
    FreeBlock(heapText);
    heapText = nullptr;
    inlineText[0] = '\0';
}

void String::Assign(const char* text) {
    Assign(text, text ? std::strlen(text) : 0);
}

void String::Assign(const char* text, size_t length) {
    if (!text || length == 0) {
        Release();
        return;
    }
    if (length < kInlineCapacity) {
        // The source may be our own buffer: move before releasing the heap.
        char* oldHeap = heapText;
        std::memmove(inlineText, text, length);
        inlineText[length] = '\0';
        heapText = nullptr;
        FreeBlock(oldHeap);
        return;
    }
    char* block = static_cast<char*>(NewBlock(length + 1));
    if (!block) {
        return;
    }
    std::memcpy(block, text, length);
    block[length] = '\0';
    FreeBlock(heapText);
    heapText = block;
    inlineText[0] = '\0';
}

void String::Append(const char* text) {
    if (text) {
        Append(text, std::strlen(text));
    }
}

void String::Append(const char* text, size_t length) {
    if (!text || length == 0) {
        return;
    }
    size_t oldLength = Length();
    if (oldLength == 0) {
        Assign(text, length);
        return;
    }
    size_t combined = oldLength + length;
    if (combined < kInlineCapacity && heapText) {
        // A heap text shortened in place through CStr() moves back inline;
        // `text` may point into the heap block, so join before freeing it.
        char joined[kInlineCapacity];
        std::memcpy(joined, heapText, oldLength);
        std::memcpy(joined + oldLength, text, length);
        joined[combined] = '\0';
        std::memcpy(inlineText, joined, combined + 1);
        FreeBlock(heapText);
        heapText = nullptr;
        return;
    }
    if (combined < kInlineCapacity) {
        std::memmove(inlineText + oldLength, text, length);
        inlineText[combined] = '\0';
        return;
    }
    char* block = static_cast<char*>(NewBlock(combined + 1));
    if (!block) {
        return;
    }
    std::memcpy(block, CStr(), oldLength);
    std::memcpy(block + oldLength, text, length);
    block[combined] = '\0';
    FreeBlock(heapText);
    heapText = block;
    inlineText[0] = '\0';
}

String String::operator+(const char* text) const {
    String result(*this);
    result.Append(text);
    return result;
}

String String::operator+(const String& text) const {
    String result(*this);
    result.Append(text);
    return result;
}

bool String::Equals(const char* text) const {
    return std::strcmp(CStr(), text ? text : "") == 0;
}

bool String::operator==(const String& other) const {
    return std::strcmp(CStr(), other.CStr()) == 0;
}

int String::Compare(const String& other) const {
    return std::strcmp(CStr(), other.CStr());
}

size_t String::Length() const {
    return std::strlen(CStr());
}

void String::ToLower() {
    for (char* c = CStr(); *c; ++c) {
        if (*c >= 'A' && *c <= 'Z') {
            *c = static_cast<char>(*c - 'A' + 'a');
        }
    }
}

bool String::Substring(size_t start, size_t length, String& out) const {
    size_t own = Length();
    if (start > own || length > own - start) {
        return false;
    }
    out.Assign(CStr() + start, length);
    return true;
}

String String::ToUnderscoreLower(const char* name) {
    String result;
    if (!name || !*name) {
        return result;
    }
    char first = name[0];
    if (first >= 'a' && first <= 'z') {
        first = static_cast<char>(first - 'a' + 'A');
    }
    result.Append(&first, 1);
    for (const char* c = name + 1; *c; ++c) {
        if (*c >= 'A' && *c <= 'Z') {
            result.Append("_", 1);
        }
        result.Append(c, 1);
    }
    result.ToLower();
    return result;
}

const String& String::EmptyString() {
    static const String empty;
    return empty;
}
