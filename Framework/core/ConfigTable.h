#pragma once
// ConfigTable: the in-memory form of every key/value text file of the engine
// (scenes, widgets, settings, string tables, options, saves).
//
// File syntax, one entry per line:
//     Key = value;
// - Leading blanks, tabs and "=" are skipped; a line whose next character is
//   "#" is a comment, an empty line is ignored.
// - The key runs from the first column to the first blank, tab or "="; a line
//   without any of them is ignored; an indented line has the empty key.
// - The value starts after the blanks, tabs and "=" that follow the key and
//   ends one character before the end of the line: the last character,
//   normally the ";", is dropped (a line without it loses its last character).
// - Lines are read in pieces of at most 4095 bytes; only the first piece of a
//   longer line counts, the rest of it is ignored (logged once per file). A
//   NUL byte ends a line's text (also logged). CR LF and LF read alike.
// - The writer never writes a line break inside a key or value: each is
//   written as a blank (and logged), since the format has no escape for it.
// A key repeated anywhere in the file gathers all its values in file order.
//
// Keys compare byte for byte. Entries are appended unsorted and sorted on the
// next look-up; Save writes them in their current order.
//
// Memory: the entries and their value arrays live in the table's own arena
// (a few large blocks), released as a whole by Clear and by the destructor.
// A scene file's table can hold millions of values while the scene's
// elements are created; kept apart from the elements' memory, it goes back
// to the system in whole pages instead of leaving holes between them.

#include "core/String.h"

#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>
#include <utility>
#include <vector>

class BaseFile;

class ConfigTable {
public:
    /// A key's values; allocated in the table's arena, valid until Clear.
    using ValueList = std::pmr::vector<String>;
    struct Entry {
        String key;
        ValueList values;
    };

    ConfigTable() = default;
    ~ConfigTable();
    ConfigTable(const ConfigTable&) = delete;
    ConfigTable& operator=(const ConfigTable&) = delete;

    /// Clears the table and reads the file (archive first, then loose files);
    /// false, with the table empty, when it cannot be opened.
    bool Load(const char* path);
    /// Clears the table and reads an open file from its start (read once);
    /// `name` names the file in log lines.
    bool Read(BaseFile& file, const char* name = nullptr);
    /// Writes every value as "key = value;"; false when the file cannot be written.
    bool Save(const char* path) const;
    /// The file text Save would write; `name` names the file in log lines.
    std::string ToText(const char* name = nullptr) const;

    /// Index of the key's entry, or −1. Sorts first when needed.
    int32_t Find(const char* key);
    /// Number of values of the key; for the empty key text, the number of entries.
    int32_t ValueCount(const char* key);

    // Typed reads of value `column` of `key`; false (out unchanged) for an
    // absent key, a column past the values, or text that does not convert.
    bool GetBool(int32_t column, const char* key, bool& out);
    bool GetInt(int32_t column, const char* key, int32_t& out);
    bool GetFloat(int32_t column, const char* key, float& out);
    bool GetString(int32_t column, const char* key, String& out);
    /// The value text, or null when absent.
    const String* Value(int32_t column, const char* key);

    // Appends one value to the key, creating its entry when new.
    void AddBool(const char* key, bool value);
    void AddInt(const char* key, int32_t value);
    void AddFloat(const char* key, float value);
    void AddString(const char* key, const char* value);

    /// Appends a new entry without looking for an existing one.
    void InsertKey(const char* key, const std::vector<String>& values = {});
    /// Sorts by key and removes every entry whose key equals the one before
    /// it; returns how many were removed.
    int32_t SortAndMerge();
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(entries.size()); }
    const Entry& At(int32_t index) const { return *entries[static_cast<size_t>(index)]; }
    const String& Path() const { return path; }

private:
    void Sort();
    Entry& EntryFor(const char* key);

    /// A new empty entry from the current block, opening a block of `room`
    /// entries (at least) when it is full.
    Entry* NewEntry(size_t room = 0);
    /// The arena, made on first use; `bytes` sizes its first block.
    std::pmr::memory_resource& Arena(size_t bytes = 0);

    // Entries are held by pointer so that sorting moves pointers, not texts;
    // they live in blocks carved from the arena (each block with the number
    // of entries built in it), so a file of many keys costs a few
    // allocations for them instead of one per key.
    std::vector<Entry*> entries;
    std::vector<std::pair<Entry*, size_t>> entryBlocks;
    std::unique_ptr<std::pmr::monotonic_buffer_resource> arena;
    size_t blockSize = 0;
    size_t sortedPrefix = 0;
    bool sorted = true;
    String path;
};
