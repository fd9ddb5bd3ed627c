#include "io/PackArchive.h"

#include "core/Log.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>

namespace {

struct ArchiveState {
    FILE* stream = nullptr;
    std::vector<PackEntry> entries;
    uint32_t generation = 0;
};

ArchiveState& State() {
    static ArchiveState state;
    return state;
}

// The smallest record: a length byte, an empty name, offset and size.
constexpr uint64_t kMinRecordBytes = 9;
// Entries are reserved up front only up to this many; a count that large
// still has to be backed by real records in the file before memory grows.
constexpr uint32_t kMaxReserve = 4096;

uint32_t LittleEndian32(const unsigned char* bytes) {
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

bool ReadRecord(FILE* stream, uint64_t fileSize, uint64_t& cursor, uint32_t index, PackEntry& entry,
                String& reason) {
    char text[160];
    unsigned char length = 0;
    if (cursor + 1 > fileSize || std::fread(&length, 1, 1, stream) != 1) {
        std::snprintf(text, sizeof text, "directory record %" PRIu32 " runs past the end of the file", index);
        reason = text;
        return false;
    }
    unsigned char record[255 + 8];
    if (cursor + 1 + length + 8 > fileSize || std::fread(record, 1, length + 8u, stream) != length + 8u) {
        std::snprintf(text, sizeof text, "directory record %" PRIu32 " runs past the end of the file", index);
        reason = text;
        return false;
    }
    cursor += 1 + length + 8;
    entry.name.Assign(reinterpret_cast<const char*>(record), length);
    entry.offset = LittleEndian32(record + length);
    entry.size = LittleEndian32(record + length + 4);
    return true;
}


} // namespace

void NormalisePackName(String& name) {
    for (char* c = name.CStr(); *c; ++c) {
        if (*c >= 'A' && *c <= 'Z') {
            *c = char(*c - 'A' + 'a');
        } else if (*c == '\\') {
            *c = '/';
        }
    }
}

bool ReadPackRecords(FILE* stream, uint64_t fileSize, std::vector<PackEntry>& entries, uint64_t& directoryEnd,
                     String& reason) {
    entries.clear();
    directoryEnd = 0;
    unsigned char countBytes[4];
    if (fileSize < 4 || std::fread(countBytes, 1, 4, stream) != 4) {
        reason = "file too short to hold the entry count";
        return false;
    }
    uint32_t count = LittleEndian32(countBytes);
    if (count > (fileSize - 4) / kMinRecordBytes) {
        char text[128];
        std::snprintf(text, sizeof text, "entry count %" PRIu32 " cannot fit in a file of %" PRIu64 " bytes",
                      count, fileSize);
        reason = text;
        return false;
    }
    entries.reserve(std::min(count, kMaxReserve));
    uint64_t cursor = 4;
    for (uint32_t index = 0; index < count; ++index) {
        PackEntry entry;
        if (!ReadRecord(stream, fileSize, cursor, index, entry, reason)) {
            entries.clear();
            return false;
        }
        NormalisePackName(entry.name);
        entries.push_back(std::move(entry));
    }
    directoryEnd = cursor;
    return true;
}

std::vector<String> PackEntryFaults(const std::vector<PackEntry>& records, uint64_t fileSize) {
    std::vector<String> faults;
    char text[400];
    for (size_t index = 0; index < records.size(); ++index) {
        const PackEntry& entry = records[index];
        if (uint64_t(entry.offset) + entry.size > fileSize) {
            std::snprintf(text, sizeof text,
                          "entry %zu (%.80s) ends at byte %" PRIu64 ", past the end of the file", index,
                          entry.name.CStr(), uint64_t(entry.offset) + entry.size);
            faults.emplace_back(text);
        }
    }
    // Lookups fold case, so two names equal up to case would make one entry
    // unreachable, and which one depended on nothing the author could see.
    std::vector<uint32_t> order(records.size());
    for (uint32_t index = 0; index < order.size(); ++index) {
        order[index] = index;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return records[a].name.Compare(records[b].name) < 0; });
    for (size_t i = 1; i < order.size(); ++i) {
        const PackEntry& first = records[order[i - 1]];
        if (first.name == records[order[i]].name) {
            std::snprintf(text, sizeof text,
                          "entries %" PRIu32 " and %" PRIu32 " are both named %.255s (names are compared "
                          "without case)",
                          order[i - 1], order[i], first.name.CStr());
            faults.emplace_back(text);
        }
    }
    return faults;
}

bool ReadPackDirectory(FILE* stream, uint64_t fileSize, std::vector<PackEntry>& entries, String& reason) {
    uint64_t directoryEnd = 0;
    if (!ReadPackRecords(stream, fileSize, entries, directoryEnd, reason)) {
        return false;
    }
    std::vector<String> faults = PackEntryFaults(entries, fileSize);
    if (!faults.empty()) {
        reason = faults.front();
        if (faults.size() > 1) {
            char more[64];
            std::snprintf(more, sizeof more, " (and %zu more faults)", faults.size() - 1);
            reason.Append(more);
        }
        entries.clear();
        return false;
    }
    std::sort(entries.begin(), entries.end(),
              [](const PackEntry& a, const PackEntry& b) { return a.name.Compare(b.name) < 0; });
    return true;
}

bool OpenArchive(const char* path) {
    String reason;
    bool damaged = false;
    if (TryOpenArchive(path, reason, damaged)) {
        return true;
    }
    if (damaged) {
        LogFormat("OpenArchive: %s rejected: %s; reading loose files only", path, reason.CStr());
    }
    return false;
}

bool TryOpenArchive(const char* path, String& reason, bool& damaged) {
    CloseArchive();
    reason.Assign("");
    damaged = false;
    if (!path || !*path) {
        reason = "no archive named";
        return false;
    }
    FILE* stream = std::fopen(path, "rb");
    if (!stream) {
        reason = std::strerror(errno);
        return false;
    }
    std::vector<PackEntry> entries;
    if (!ReadPackDirectory(stream, OpenFileSize(stream), entries, reason)) {
        damaged = true;
        std::fclose(stream);
        return false;
    }
    ArchiveState& state = State();
    state.stream = stream;
    state.entries = std::move(entries);
    ++state.generation;
    return true;
}

void CloseArchive() {
    ArchiveState& state = State();
    if (!state.stream) {
        return;
    }
    std::fclose(state.stream);
    state.stream = nullptr;
    state.entries.clear();
    state.entries.shrink_to_fit();
    ++state.generation;
}

bool IsArchiveOpen() {
    return State().stream != nullptr;
}

const PackEntry* FindArchiveEntry(const char* normalisedName) {
    if (!normalisedName) {
        return nullptr;
    }
    const std::vector<PackEntry>& entries = State().entries;
    auto found = std::lower_bound(
        entries.begin(), entries.end(), normalisedName,
        [](const PackEntry& entry, const char* name) { return std::strcmp(entry.name.CStr(), name) < 0; });
    if (found == entries.end() || !found->name.Equals(normalisedName)) {
        return nullptr;
    }
    return &*found;
}

const std::vector<PackEntry>& ArchiveEntries() {
    return State().entries;
}

FILE* ArchiveStream() {
    return State().stream;
}

uint32_t ArchiveGeneration() {
    return State().generation;
}
