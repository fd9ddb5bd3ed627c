#pragma once
// String tables: every text the player reads.
//
// Each ".config" file of the folder "text" is one table, named after the
// file's base name (text/str.config gives str; text/my.menu.config gives my).
// Code and scene files hold identifiers "table.key"; the part before the
// first "." names the table, the rest is the key (it may contain dots).
// Within a file a key keeps its first value.

#include "core/NameMap.h"
#include "core/String.h"

#include <memory>

class StringTable {
public:
    explicit StringTable(const char* tableName) : name(tableName) {}

    /// Adds a key and its text (no check for an existing key).
    void Add(const char* key, const char* text) { pairs.Insert(String(key), String(text)); }
    /// The text of the key, or null.
    const String* Find(const char* key);
    const String& Name() const { return name; }
    size_t Count() const { return pairs.Size(); }
    NameMap<String, String>& Pairs() { return pairs; }

private:
    String name;
    NameMap<String, String> pairs; // key -> text
};

/// Loads every table of "text" (archive when open, else disk); false when a
/// file cannot be read (the tables loaded before it stay).
bool LoadStringTables();
/// Re-reads the same files and replaces the texts of keys that exist already.
bool ReloadStringTables();
/// Copies the identifier's text into `out`; false, `out` unchanged, when the
/// identifier has no ".", the table does not exist, or the key is missing.
bool LookupString(const char* identifier, String& out);
/// The table of that name, or null.
StringTable* FindStringTable(const char* name);
/// Deletes every table (at shut-down).
void ClearStringTables();
/// The base name of a table file: after the last "/" or "\", up to the first ".".
String StringTableName(const char* path);
