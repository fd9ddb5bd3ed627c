#include "io/MemoryFile.h"

#include "core/String.h"

#include <algorithm>
#include <cstring>

bool MemoryFile::Open(const char*, int flags) {
    // Read-only: a write request fails, as for the archive's files.
    open = (flags & kFileWrite) == 0;
    position = 0;
    return open;
}

bool MemoryFile::Read(void* buffer, size_t count) {
    if (!open || position > size || count > size - position) {
        return false;
    }
    std::memcpy(buffer, bytes + position, count);
    position += count;
    return true;
}

size_t MemoryFile::ReadItems(void* buffer, size_t itemSize, size_t count) {
    if (!open || itemSize == 0 || position > size) {
        return 0;
    }
    size_t items = std::min(count, (size - position) / itemSize);
    std::memcpy(buffer, bytes + position, items * itemSize);
    position += items * itemSize;
    return items;
}

bool MemoryFile::ReadLine(String& out, bool stripLineEnd) {
    if (!open || position >= size) {
        out.Assign("");
        return false;
    }
    const char* start = bytes + position;
    size_t limit = std::min(kMaxLineBytes, size - position);
    const void* lineFeed = std::memchr(start, '\n', limit);
    size_t length = lineFeed ? static_cast<size_t>(static_cast<const char*>(lineFeed) - start) + 1 : limit;
    position += length;
    size_t kept = length;
    while (stripLineEnd && kept > 0 && (start[kept - 1] == '\n' || start[kept - 1] == '\r')) {
        --kept;
    }
    out.Assign(start, kept);
    return true;
}

int MemoryFile::Seek(long offset, int origin) {
    long base = 0;
    switch (origin) {
    case 0:
        base = 0;
        break;
    case 1:
        base = static_cast<long>(position);
        break;
    case 2:
        base = static_cast<long>(size);
        break;
    default:
        return -1;
    }
    long target = base + offset;
    if (target < 0) {
        return -1;
    }
    position = static_cast<size_t>(target);
    return 0;
}
