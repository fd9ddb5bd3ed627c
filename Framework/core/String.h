#pragma once
// String: the engine's owning, NUL-terminated byte string.
//
// Texts of up to 43 characters live in a 44-byte inline buffer and never
// touch the heap (the engine builds many short keys such as an element name
// joined with ".Type", and every scene holds many short values); longer texts
// live in a heap block of exactly length + 1 bytes. The inline size makes a
// String 64 bytes in all. A String is never null: building or assigning from a null
// text gives the empty string. Texts are bytes with no encoding of their own.

#include "core/Object.h"

#include <cstddef>
#include <string_view>

class String : public Object {
    ENGINE_CLASS(String, Object)

public:
    static constexpr size_t kInlineCapacity = 44;

    String() { inlineText[0] = '\0'; }
    String(const char* text) : String() { Assign(text); }
    String(std::string_view text) : String() { Assign(text.data(), text.size()); }
    String(const String& other) : String() { Assign(other.CStr(), other.Length()); }
    String(String&& other) noexcept;
    /// Formats the integer with "%d".
    explicit String(int value);
    /// Formats the value with "%f" (six decimals: 0.5 gives "0.500000").
    explicit String(float value);
    ~String() override;

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char* text) {
        Assign(text);
        return *this;
    }

    /// Replaces the content; null gives the empty string.
    void Assign(const char* text);
    void Assign(const char* text, size_t length);
    /// Appends; null appends nothing.
    void Append(const char* text);
    void Append(const char* text, size_t length);
    void Append(const String& text) { Append(text.CStr(), text.Length()); }

    String operator+(const char* text) const;
    String operator+(const String& text) const;
    String& operator+=(const char* text) {
        Append(text);
        return *this;
    }
    String& operator+=(const String& text) {
        Append(text);
        return *this;
    }

    /// Byte-wise, case-sensitive equality; a null text equals the empty string.
    bool Equals(const char* text) const;
    bool operator==(const String& other) const;
    bool operator==(const char* text) const { return Equals(text); }
    /// Byte-wise order (bytes compared unsigned), as every sorted name map uses.
    int Compare(const String& other) const;
    bool operator<(const String& other) const { return Compare(other) < 0; }

    size_t Length() const;
    bool Empty() const { return CStr()[0] == '\0'; }
    /// The active buffer; writable in place (keep the terminator).
    char* CStr() { return heapText ? heapText : inlineText; }
    const char* CStr() const { return heapText ? heapText : inlineText; }
    std::string_view View() const { return std::string_view(CStr(), Length()); }
    bool IsOnHeap() const { return heapText != nullptr; }

    /// Lower-cases every byte (A..Z) in place.
    void ToLower();
    /// Copies `length` bytes from `start` into `out`; false, `out` unchanged,
    /// when start + length exceeds this string's length.
    bool Substring(size_t start, size_t length, String& out) const;

    /// The identifier form of default link names: OkButton gives ok_button,
    /// HintEmitter gives hint_emitter.
    static String ToUnderscoreLower(const char* name);

    /// The shared empty string returned by getters that have nothing to give.
    static const String& EmptyString();

private:
    void Release();

    char inlineText[kInlineCapacity];
    char* heapText = nullptr;
};

static_assert(sizeof(String) <= 64, "a String is meant to fill at most one cache line");
