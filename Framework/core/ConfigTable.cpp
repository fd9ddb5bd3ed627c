#include "core/ConfigTable.h"

#include "core/BaseFile.h"
#include "core/Log.h"
#include "core/Var.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == '=';
}

struct ParsedLine {
    const char* key;
    size_t keyLength;
    const char* value;
    size_t valueLength;
};

// Splits one line (line ends already removed) into key and value; false for
// comments, empty lines and lines without a separator.
bool ParseLine(const char* line, size_t length, ParsedLine& out) {
    size_t start = 0;
    while (start < length && IsSeparator(line[start])) {
        ++start;
    }
    if (length == 0 || (start < length && line[start] == '#')) {
        return false;
    }
    size_t keyEnd = 0;
    while (keyEnd < length && !IsSeparator(line[keyEnd])) {
        ++keyEnd;
    }
    if (keyEnd == length) {
        return false;
    }
    size_t valueStart = keyEnd;
    while (valueStart < length && IsSeparator(line[valueStart])) {
        ++valueStart;
    }
    out.key = line;
    out.keyLength = keyEnd;
    out.value = line + valueStart;
    out.valueLength = valueStart < length ? length - 1 - valueStart : 0;
    return true;
}

bool EntryLess(const std::unique_ptr<ConfigTable::Entry>& a, const std::unique_ptr<ConfigTable::Entry>& b) {
    return a->key.Compare(b->key) < 0;
}

} // namespace

void ConfigTable::Clear() {
    entries.clear();
    sorted = true;
    sortedPrefix = 0;
    path.Assign("");
}

bool ConfigTable::Load(const char* filePath) {
    Clear();
    std::unique_ptr<BaseFile> file = OpenDataFile(filePath, kFileRead);
    if (!file || !Read(*file, filePath)) {
        return false;
    }
    path.Assign(filePath);
    return true;
}

namespace {

// Reads a file line by line through BaseFile::ReadLine, which hands over at
// most kMaxLineBytes bytes at a time. Only the first piece of a line is ever
// returned: the remainder of an over-long line is skipped, so its bytes can
// never pass for lines of their own. A NUL byte ends the text of a line (the
// line's own bytes after it are lost). With reporting on, each of the two
// faults is logged once per file, naming its first line and how many lines
// had it.
class LineReader {
public:
    LineReader(BaseFile& file, const char* name, bool report) : file(file), name(name), report(report) {
        file.SeekFrom(0, true);
        position = file.Tell();
    }
    ~LineReader() {
        if (!report) {
            return;
        }
        if (longLines > 0) {
            LogFormat("%s, line %d: longer than %zu bytes; the rest of the line is ignored (%d such lines "
                      "in the file)",
                      name, firstLongLine, BaseFile::kMaxLineBytes, longLines);
        }
        if (nulLines > 0) {
            LogFormat("%s, line %d: holds a NUL byte; the line ends there (%d such lines in the file)", name,
                      firstNulLine, nulLines);
        }
    }

    /// The next line; `length` counts its bytes without the line end. False
    /// at the end of the file.
    bool Next(String& line, size_t& length) {
        Piece piece;
        if (!ReadPiece(line, piece)) {
            return false;
        }
        ++lineNumber;
        if (piece.holdsNul) {
            Count(nulLines, firstNulLine);
        }
        if (!piece.complete) {
            bool droppedText = false;
            Piece rest;
            while (!rest.complete && ReadPiece(remainder, rest)) {
                droppedText =
                    droppedText || rest.holdsNul || rest.length > LineEndBytes(remainder.CStr(), rest.length);
            }
            // A CR LF split across the piece boundary loses nothing.
            if (droppedText) {
                Count(longLines, firstLongLine);
            }
        }
        length = piece.length - LineEndBytes(line.CStr(), piece.length);
        return true;
    }

private:
    struct Piece {
        size_t length = 0;     // of the text, line end included
        bool complete = false; // the piece ends its line
        bool holdsNul = false;
    };

    static size_t LineEndBytes(const char* bytes, size_t length) {
        size_t count = 0;
        while (count < length && (bytes[length - 1 - count] == '\n' || bytes[length - 1 - count] == '\r')) {
            ++count;
        }
        return count;
    }

    // One ReadLine with its line end kept. The text stops at a NUL byte, so
    // the bytes the file position moved by tell whether one was there.
    bool ReadPiece(String& text, Piece& piece) {
        if (!file.ReadLine(text, false)) {
            return false;
        }
        const size_t length = text.Length();
        piece.length = length;
        if (length > 0 && text.CStr()[length - 1] == '\n') {
            position += static_cast<long>(length);
            piece.complete = true;
            piece.holdsNul = false;
            return true;
        }
        const long after = file.Tell();
        const size_t consumed =
            position >= 0 && after >= position ? static_cast<size_t>(after - position) : length;
        position = after;
        piece.holdsNul = consumed > length;
        // A full piece whose text shows no line feed ends its line only when
        // a NUL hid the line feed from the text.
        piece.complete = consumed < BaseFile::kMaxLineBytes || (piece.holdsNul && EndsWithLineFeed());
        return true;
    }

    // Whether the byte just read is a line feed.
    bool EndsWithLineFeed() {
        char last = 0;
        if (file.Seek(-1, 1) != 0) {
            return false;
        }
        const bool read = file.Read(&last, 1);
        return read && last == '\n';
    }

    void Count(int& lines, int& first) const {
        if (lines++ == 0) {
            first = lineNumber;
        }
    }

    BaseFile& file;
    const char* name;
    bool report;
    long position = 0;
    int lineNumber = 0;
    int longLines = 0;
    int firstLongLine = 0;
    int nulLines = 0;
    int firstNulLine = 0;
    String remainder;
};

} // namespace

bool ConfigTable::Read(BaseFile& file, const char* name) {
    Clear();
    const char* shownName = name && *name ? name : "(unnamed file)";
    String line;
    size_t length = 0;
    String previousKey;
    bool havePrevious = false;
    ParsedLine parsed{};

    // First pass: one entry per run of equal keys, then one per distinct key.
    {
        LineReader reader(file, shownName, true);
        while (reader.Next(line, length)) {
            if (!ParseLine(line.CStr(), length, parsed)) {
                continue;
            }
            if (havePrevious && previousKey.Length() == parsed.keyLength &&
                std::memcmp(previousKey.CStr(), parsed.key, parsed.keyLength) == 0) {
                continue;
            }
            previousKey.Assign(parsed.key, parsed.keyLength);
            havePrevious = true;
            auto entry = std::make_unique<Entry>();
            entry->key = previousKey;
            entries.push_back(std::move(entry));
            sorted = false;
        }
    }
    SortAndMerge();

    // Second pass: every value into its key's entry, in file order.
    LineReader reader(file, shownName, false);
    String key;
    int32_t index = -1;
    while (reader.Next(line, length)) {
        if (!ParseLine(line.CStr(), length, parsed)) {
            continue;
        }
        // Runs of one key (a vector's items) need a single look-up.
        if (index < 0 || key.Length() != parsed.keyLength ||
            std::memcmp(key.CStr(), parsed.key, parsed.keyLength) != 0) {
            key.Assign(parsed.key, parsed.keyLength);
            index = Find(key.CStr());
        }
        if (index >= 0) {
            entries[static_cast<size_t>(index)]->values.emplace_back(
                std::string_view(parsed.value, parsed.valueLength));
        }
    }
    return true;
}

std::string ConfigTable::ToText(const char* name) const {
    // A line break inside a key or value would end its line early and turn
    // the rest into a line of its own; it is written as a blank instead.
    auto append = [](std::string& text, std::string_view part, int& breaks) {
        const size_t start = text.size();
        text.append(part);
        for (size_t i = start; i < text.size(); ++i) {
            if (text[i] == '\n' || text[i] == '\r') {
                text[i] = ' ';
                ++breaks;
            }
        }
    };
    std::string text;
    int breaks = 0;
    const Entry* firstBroken = nullptr;
    for (const auto& entry : entries) {
        for (const String& value : entry->values) {
            const int before = breaks;
            append(text, entry->key.View(), breaks);
            text.append(" = ");
            append(text, value.View(), breaks);
            text.append(";\n");
            if (breaks != before && !firstBroken) {
                firstBroken = entry.get();
            }
        }
    }
    if (firstBroken) {
        LogFormat("%s: %d line breaks inside keys or values (the first in %s) are written as blanks",
                  name && *name ? name : "(unnamed table)", breaks, firstBroken->key.CStr());
    }
    return text;
}

bool ConfigTable::Save(const char* filePath) const {
    std::unique_ptr<BaseFile> file = OpenDataFile(filePath, kFileWrite);
    if (!file) {
        return false;
    }
    std::string text = ToText(filePath);
    bool written = file->Write(text.data(), text.size());
    file->Flush();
    return written;
}

void ConfigTable::Sort() {
    if (sorted) {
        return;
    }
    // A sorted table with entries appended only needs its tail sorted and
    // merged in; the result equals a stable sort of the whole.
    auto middle = entries.begin() + static_cast<std::ptrdiff_t>(std::min(sortedPrefix, entries.size()));
    std::stable_sort(middle, entries.end(), EntryLess);
    std::inplace_merge(entries.begin(), middle, entries.end(), EntryLess);
    sorted = true;
    sortedPrefix = entries.size();
}

int32_t ConfigTable::SortAndMerge() {
    Sort();
    size_t before = entries.size();
    auto last = std::unique(entries.begin(), entries.end(),
                            [](const auto& a, const auto& b) { return a->key == b->key; });
    entries.erase(last, entries.end());
    sortedPrefix = entries.size();
    return static_cast<int32_t>(before - entries.size());
}

int32_t ConfigTable::Find(const char* key) {
    if (!key) {
        return -1;
    }
    Sort();
    auto it = std::lower_bound(entries.begin(), entries.end(), key, [](const auto& entry, const char* k) {
        return std::strcmp(entry->key.CStr(), k) < 0;
    });
    if (it == entries.end() || !(*it)->key.Equals(key)) {
        return -1;
    }
    return static_cast<int32_t>(it - entries.begin());
}

int32_t ConfigTable::ValueCount(const char* key) {
    if (key && !*key) {
        return Count();
    }
    int32_t index = Find(key);
    return index < 0 ? 0 : static_cast<int32_t>(entries[static_cast<size_t>(index)]->values.size());
}

const String* ConfigTable::Value(int32_t column, const char* key) {
    int32_t index = Find(key);
    if (index < 0 || column < 0) {
        return nullptr;
    }
    const auto& values = entries[static_cast<size_t>(index)]->values;
    return static_cast<size_t>(column) < values.size() ? &values[static_cast<size_t>(column)] : nullptr;
}

bool ConfigTable::GetBool(int32_t column, const char* key, bool& out) {
    const String* text = Value(column, key);
    return text && ScanBool(text->CStr(), out);
}

bool ConfigTable::GetInt(int32_t column, const char* key, int32_t& out) {
    const String* text = Value(column, key);
    return text && ScanInt(text->CStr(), out);
}

bool ConfigTable::GetFloat(int32_t column, const char* key, float& out) {
    const String* text = Value(column, key);
    return text && ScanFloat(text->CStr(), out);
}

bool ConfigTable::GetString(int32_t column, const char* key, String& out) {
    const String* text = Value(column, key);
    if (!text) {
        return false;
    }
    out = *text;
    return true;
}

ConfigTable::Entry& ConfigTable::EntryFor(const char* key) {
    int32_t index = Find(key);
    if (index >= 0) {
        return *entries[static_cast<size_t>(index)];
    }
    InsertKey(key);
    return *entries.back();
}

void ConfigTable::AddBool(const char* key, bool value) {
    EntryFor(key).values.emplace_back(value ? "true" : "false");
}

void ConfigTable::AddInt(const char* key, int32_t value) {
    EntryFor(key).values.emplace_back(static_cast<int>(value));
}

void ConfigTable::AddFloat(const char* key, float value) {
    EntryFor(key).values.emplace_back(value);
}

void ConfigTable::AddString(const char* key, const char* value) {
    EntryFor(key).values.emplace_back(value);
}

void ConfigTable::InsertKey(const char* key, const std::vector<String>& values) {
    if (sorted) {
        sortedPrefix = entries.size();
    }
    auto entry = std::make_unique<Entry>();
    entry->key.Assign(key);
    entry->values = values;
    entries.push_back(std::move(entry));
    sorted = false;
}
