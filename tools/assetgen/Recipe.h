#pragma once
// Recipes: the small key/value files that tell the asset generator what to make.
//
// A recipe uses the engine's own text format (one "Key = value;" per line, "#"
// starts a comment, a key may repeat to give a list) but is read strictly: a
// line that is not a comment must have a key, a value and the final ";", and
// every problem is reported as one line "FILE:LINE: what is wrong". The reader
// keeps each value's line so later checks (unknown keys, bad numbers, missing
// keys) can name it too.
//
// Values are split into blank-separated words by the typed getters; colours are
// written "#rrggbb" or "#rrggbbaa".

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct RecipeEntry {
    std::string key;
    std::string value;
    int32_t line = 0;
};

struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};

class Recipe {
public:
    /// Parses `text`; false with `error` set ("NAME:LINE: message") on the
    /// first malformed line. `name` is used in messages only.
    bool Parse(std::string_view name, std::string_view text, std::string& error);
    /// Reads the file and parses it; an unreadable file is an error too.
    bool Load(const std::string& path, std::string& error);

    const std::string& Name() const { return name; }
    const std::vector<RecipeEntry>& Entries() const { return entries; }

    /// The entry of `key` (the first when it repeats), or null.
    const RecipeEntry* Find(std::string_view key) const;
    /// Every entry of `key`, in file order.
    std::vector<const RecipeEntry*> FindAll(std::string_view key) const;

    /// "NAME:LINE: message" for the entry's line (line one past the end when
    /// `entry` is null, that is for something missing).
    std::string ErrorAt(const RecipeEntry* entry, std::string_view message) const;

    /// Fails for the first key not in `allowed` (a typo must not be ignored);
    /// the message lists the allowed keys.
    bool CheckKeys(const std::vector<std::string_view>& allowed, std::string& error) const;

    // Typed getters. Each returns false with `error` set when the key is
    // missing (only when `required`), or its value does not convert; a missing
    // optional key leaves `out` as it was and returns true.
    bool GetText(std::string_view key, std::string& out, bool required, std::string& error) const;
    bool GetInt(std::string_view key, int32_t& out, int32_t low, int32_t high, bool required,
                std::string& error) const;
    bool GetFloat(std::string_view key, float& out, float low, float high, bool required,
                  std::string& error) const;
    bool GetFloats(std::string_view key, float* out, int32_t count, float low, float high, bool required,
                   std::string& error) const;
    bool GetColour(std::string_view key, Colour& out, bool required, std::string& error) const;

    /// Splits a value into its blank-separated words.
    static std::vector<std::string> Words(std::string_view value);
    /// "#rrggbb" or "#rrggbbaa"; false for anything else.
    static bool ParseColour(std::string_view text, Colour& out);
    /// A whole decimal number in [low, high]; false otherwise.
    static bool ParseFloat(std::string_view text, float low, float high, float& out);

private:
    std::string name;
    std::vector<RecipeEntry> entries;
    int32_t lineCount = 0;
};
