#pragma once
// Tokenizer: splits a text into tokens separated by any of a set of delimiter
// characters (comma-separated settings such as preload lists, text readers).
//
// A token ends at the next delimiter; the run of delimiters after it is
// skipped. A text that begins with a delimiter yields no tokens at all, and
// neither does the rest after an empty token.

#include "core/String.h"

#include <cstdint>

class Tokenizer {
public:
    Tokenizer(const char* text, const char* delimiters) : text(text), delimiters(delimiters) {}

    /// The next token into `out`; false, `out` unchanged, at the end or when
    /// the position is on a delimiter.
    bool NextToken(String& out);
    /// The next token as "%d", accepted only when it holds nothing but "-",
    /// "." and digits (an empty token gives 0).
    bool NextInt(int32_t& out);
    /// The same as "%f".
    bool NextFloat(float& out);

private:
    bool IsDelimiter(char c) const;

    String text;
    String delimiters;
    int32_t position = 0;
    int32_t tokenStart = 0;
};
