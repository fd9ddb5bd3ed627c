#include "core/ConfigTable.h"

#include "core/BaseFile.h"
#include "core/Log.h"
#include "core/Var.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

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

bool EntryLess(const ConfigTable::Entry* a, const ConfigTable::Entry* b) {
    return a->key.Compare(b->key) < 0;
}

} // namespace

ConfigTable::~ConfigTable() {
    Clear();
}

void ConfigTable::Clear() {
    entries.clear();
    // The arena only hands out memory: every entry built in it is destroyed
    // here (its texts may own heap blocks), then the arena goes as a whole.
    for (auto& [block, built] : entryBlocks) {
        std::destroy_n(block, built);
    }
    entryBlocks.clear();
    arena.reset();
    blockSize = 0;
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

// All the bytes of an open file from its start, as its reads hand them out.
// The file's length only sizes the buffer, and only once some bytes came:
// a folder opened as a file reports a huge length and reads nothing.
void ReadAllBytes(BaseFile& file, std::string& bytes) {
    constexpr size_t kMostReserved = size_t{256} << 20;
    file.SeekFrom(0, true);
    const long length = file.Length();
    char chunk[16384];
    size_t got = file.ReadItems(chunk, 1, sizeof chunk);
    if (got == 0) {
        return;
    }
    bytes.reserve(length > 0 ? std::min(static_cast<size_t>(length), kMostReserved) : got);
    do {
        bytes.append(chunk, got);
    } while ((got = file.ReadItems(chunk, 1, sizeof chunk)) > 0);
}

// Splits the bytes of a file into lines as BaseFile::ReadLine hands them
// out: a piece is at most kMaxLineBytes bytes, up to and including a line
// feed, and its text stops at a NUL byte. Only the first piece of a line is
// ever returned: the remainder of an over-long line is skipped, so its bytes
// can never pass for lines of their own. A NUL byte ends the text of a line
// (the line's own bytes after it are lost). Each of the two faults is logged
// once, naming its first line and how many lines had it.
class LineSplitter {
public:
    LineSplitter(const std::string& bytes, const char* name) : bytes(bytes), name(name) {}
    ~LineSplitter() {
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

    /// The next line's text and its length without the line end; false at
    /// the end of the bytes. The text points into the bytes.
    bool Next(const char*& text, size_t& length) {
        Piece piece;
        if (!NextPiece(piece)) {
            return false;
        }
        ++lineNumber;
        if (piece.holdsNul) {
            Count(nulLines, firstNulLine);
        }
        if (!piece.complete) {
            bool droppedText = false;
            Piece rest;
            while (!rest.complete && NextPiece(rest)) {
                droppedText =
                    droppedText || rest.holdsNul || rest.length > LineEndBytes(rest.text, rest.length);
            }
            // A CR LF split across the piece boundary loses nothing.
            if (droppedText) {
                Count(longLines, firstLongLine);
            }
        }
        text = piece.text;
        length = piece.length - LineEndBytes(piece.text, piece.length);
        return true;
    }

private:
    struct Piece {
        const char* text = nullptr;
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

    bool NextPiece(Piece& piece) {
        if (position >= bytes.size()) {
            return false;
        }
        const char* start = bytes.data() + position;
        const size_t available = std::min(bytes.size() - position, BaseFile::kMaxLineBytes);
        const void* lineFeed = std::memchr(start, '\n', available);
        const size_t consumed =
            lineFeed ? static_cast<size_t>(static_cast<const char*>(lineFeed) - start) + 1 : available;
        const void* nul = std::memchr(start, '\0', consumed);
        position += consumed;
        piece.text = start;
        piece.length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : consumed;
        piece.holdsNul = nul != nullptr;
        // A piece shorter than the most ReadLine hands out ends its line
        // (at a line feed or at the end of the file); a full one only when
        // its last byte is the line feed.
        piece.complete = lineFeed != nullptr || consumed < BaseFile::kMaxLineBytes;
        return true;
    }

    void Count(int& lines, int& first) const {
        if (lines++ == 0) {
            first = lineNumber;
        }
    }

    const std::string& bytes;
    const char* name;
    size_t position = 0;
    int lineNumber = 0;
    int longLines = 0;
    int firstLongLine = 0;
    int nulLines = 0;
    int firstNulLine = 0;
};

// One parsed line: its key and value as offsets into the file's bytes, and
// the entry it lands in once the keys are sorted.
struct LineSpan {
    size_t key;
    size_t value;
    uint32_t keyLength;
    uint32_t valueLength;
    int32_t entry;
};

} // namespace

bool ConfigTable::Read(BaseFile& file, const char* name) {
    Clear();
    const char* shownName = name && *name ? name : "(unnamed file)";
    std::string bytes;
    ReadAllBytes(file, bytes);

    // The file is read once; every line is parsed once into offsets.
    std::vector<LineSpan> spans;
    spans.reserve(bytes.size() / 24 + 1);
    {
        LineSplitter lines(bytes, shownName);
        const char* text = nullptr;
        size_t length = 0;
        ParsedLine parsed{};
        while (lines.Next(text, length)) {
            if (ParseLine(text, length, parsed)) {
                // Both lie within one piece, so their lengths fit 32 bits.
                spans.push_back(LineSpan{static_cast<size_t>(parsed.key - bytes.data()),
                                         static_cast<size_t>(parsed.value - bytes.data()),
                                         static_cast<uint32_t>(parsed.keyLength),
                                         static_cast<uint32_t>(parsed.valueLength), -1});
            }
        }
    }
    const auto keyOf = [&](const LineSpan& span) {
        return std::string_view(bytes.data() + span.key, span.keyLength);
    };

    // Runs of one key (a vector's items) are sorted as one; the entries are
    // then created in key order, one per distinct key, so the table needs no
    // sorting and no look-ups of its own.
    std::vector<uint32_t> runs; // the first line of each run
    for (size_t i = 0; i < spans.size(); ++i) {
        if (i == 0 || keyOf(spans[i]) != keyOf(spans[i - 1])) {
            runs.push_back(static_cast<uint32_t>(i));
        }
    }
    // The first eight bytes of each key, most significant first, decide
    // most comparisons without a look at the file's bytes (keys hold no NUL,
    // so the zero padding of a short key sorts it before its extensions).
    struct RunKey {
        uint64_t prefix;
        uint32_t run;
    };
    std::vector<RunKey> order(runs.size());
    for (size_t r = 0; r < runs.size(); ++r) {
        const std::string_view key = keyOf(spans[runs[r]]);
        uint64_t prefix = 0;
        for (size_t i = 0; i < 8; ++i) {
            prefix = (prefix << 8) | (i < key.size() ? static_cast<uint8_t>(key[i]) : 0u);
        }
        order[r] = RunKey{prefix, static_cast<uint32_t>(r)};
    }
    std::sort(order.begin(), order.end(), [&](const RunKey& a, const RunKey& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        return keyOf(spans[runs[a.run]]) < keyOf(spans[runs[b.run]]);
    });
    std::vector<int32_t> runEntries(runs.size(), -1);
    std::vector<uint32_t> counts;
    entries.reserve(runs.size());
    // One arena block holds every entry and every value of the file (an
    // entry per run at most, alignment slack per value array).
    Arena(runs.size() * (sizeof(Entry) + alignof(String)) + spans.size() * sizeof(String) + 4096);
    for (const RunKey& sortedRun : order) {
        const std::string_view key = keyOf(spans[runs[sortedRun.run]]);
        if (entries.empty() || entries.back()->key.View() != key) {
            Entry* entry = NewEntry(runs.size());
            entry->key = key;
            entries.push_back(entry);
            counts.push_back(0);
        }
        runEntries[sortedRun.run] = static_cast<int32_t>(entries.size() - 1);
    }
    sorted = true;
    sortedPrefix = entries.size();

    // Each line's entry, the values counted so that every entry's array is
    // allocated once, then filled in file order.
    for (size_t i = 0, run = 0; i < spans.size(); ++i) {
        if (run + 1 < runs.size() && runs[run + 1] == i) {
            ++run;
        }
        spans[i].entry = runEntries[run];
        ++counts[static_cast<size_t>(spans[i].entry)];
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i]->values.reserve(counts[i]);
    }
    for (const LineSpan& span : spans) {
        entries[static_cast<size_t>(span.entry)]->values.emplace_back(
            std::string_view(bytes.data() + span.value, span.valueLength));
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
                firstBroken = entry;
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
    Entry* entry = NewEntry();
    entry->key.Assign(key);
    entry->values.assign(values.begin(), values.end());
    entries.push_back(entry);
    sorted = false;
}

std::pmr::memory_resource& ConfigTable::Arena(size_t bytes) {
    if (!arena) {
        // Blocks come from the global operator new, so the allocation
        // counters of the tests and benchmarks see them.
        arena = std::make_unique<std::pmr::monotonic_buffer_resource>(std::max(bytes, size_t{1024}),
                                                                      std::pmr::new_delete_resource());
    }
    return *arena;
}

ConfigTable::Entry* ConfigTable::NewEntry(size_t room) {
    if (entryBlocks.empty() || entryBlocks.back().second == blockSize) {
        // Blocks grow with the table, so a small table stays small.
        blockSize = std::max(room, entryBlocks.empty() ? size_t{16} : std::min(blockSize * 2, size_t{4096}));
        void* block = Arena().allocate(blockSize * sizeof(Entry), alignof(Entry));
        entryBlocks.emplace_back(static_cast<Entry*>(block), 0);
    }
    auto& [block, built] = entryBlocks.back();
    Entry* entry = new (block + built) Entry{String(), ValueList(&Arena())};
    ++built;
    return entry;
}
