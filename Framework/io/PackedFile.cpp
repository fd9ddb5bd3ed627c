#include "io/PackedFile.h"

#include "core/String.h"
#include "io/PackArchive.h"

#include <algorithm>
#include <cstring>

bool PackedFile::Open(const char* path, int flags) {
    Close();
    if (!path || (flags & kFileWrite) || !IsArchiveOpen()) {
        return false;
    }
    String name(path);
    NormalisePackName(name);
    const PackEntry* entry = FindArchiveEntry(name.CStr());
    if (!entry) {
        return false;
    }
    entryOffset = entry->offset;
    entrySize = entry->size;
    position = 0;
    generation = ArchiveGeneration();
    open = true;
    return true;
}

void PackedFile::Close() {
    entryOffset = 0;
    entrySize = 0;
    position = 0;
    open = false;
    bufferLength = 0;
}

FILE* PackedFile::StreamAt(int64_t at) {
    FILE* stream = ArchiveStream();
    if (!open || !stream || generation != ArchiveGeneration()) {
        return nullptr;
    }
    if (fseeko(stream, off_t(entryOffset) + at, SEEK_SET) != 0) {
        return nullptr;
    }
    return stream;
}

bool PackedFile::Fill(int64_t at) {
    if (at < 0 || at >= int64_t(entrySize)) {
        return false;
    }
    if (!buffer) {
        buffer = std::make_unique<char[]>(kBufferBytes);
    }
    bufferLength = 0;
    size_t wanted = size_t(std::min<int64_t>(int64_t(kBufferBytes), int64_t(entrySize) - at));
    FILE* stream = StreamAt(at);
    if (!stream || std::fread(buffer.get(), 1, wanted, stream) != wanted) {
        return false;
    }
    bufferStart = at;
    bufferLength = wanted;
    return true;
}

bool PackedFile::ReadAt(int64_t at, void* out, size_t size) {
    bool buffered =
        bufferLength > 0 && at >= bufferStart && at + int64_t(size) <= bufferStart + int64_t(bufferLength);
    if (!buffered && size <= kBufferBytes / 2) {
        buffered = Fill(at);
        if (!buffered) {
            return false;
        }
    }
    if (buffered) {
        std::memcpy(out, buffer.get() + (at - bufferStart), size);
        return true;
    }
    FILE* stream = StreamAt(at);
    return stream && std::fread(out, 1, size, stream) == size;
}

int64_t PackedFile::BytesLeft() const {
    if (!open || position < 0) {
        return 0;
    }
    // The position is signed 32-bit, so bytes past 2 GiB into an entry cannot be reached.
    int64_t end = std::min<int64_t>(entrySize, INT32_MAX);
    return std::max<int64_t>(0, end - position);
}

bool PackedFile::Read(void* out, size_t size) {
    if (!open || uint64_t(BytesLeft()) < size || (!out && size > 0)) {
        return false;
    }
    if (size == 0) {
        return true;
    }
    if (!ReadAt(position, out, size)) {
        return false;
    }
    position += int32_t(size);
    return true;
}

size_t PackedFile::ReadItems(void* out, size_t itemSize, size_t count) {
    if (!open || !out || itemSize == 0 || BytesLeft() == 0) {
        return 0;
    }
    size_t itemsLeft = size_t(BytesLeft()) / itemSize;
    count = std::min(count, itemsLeft);
    if (count == 0 || !ReadAt(position, out, itemSize * count)) {
        return 0;
    }
    position += int32_t(itemSize * count);
    return count;
}

bool PackedFile::ReadLine(String& out, bool stripLineEnd) {
    if (BytesLeft() == 0) {
        out.Assign("");
        return false;
    }
    size_t limit = size_t(std::min<int64_t>(kMaxLineBytes, BytesLeft()));
    bool covered = bufferLength > 0 && position >= bufferStart &&
                   position + int64_t(limit) <= bufferStart + int64_t(bufferLength);
    if (!covered && !Fill(position)) {
        out.Assign("");
        return false;
    }
    const char* start = buffer.get() + (position - bufferStart);
    const void* lineFeed = std::memchr(start, '\n', limit);
    size_t length = lineFeed ? size_t(static_cast<const char*>(lineFeed) - start) + 1 : limit;
    position += int32_t(length);
    out.Assign(start, stripLineEnd ? LengthWithoutLineEnd(start, length) : length);
    return true;
}

int PackedFile::Seek(long offset, int origin) {
    if (!open) {
        return -1;
    }
    int64_t base = 0;
    switch (origin) {
    case 0:
        base = 0;
        break;
    case 1:
        base = position;
        break;
    case 2:
        base = entrySize;
        break;
    default:
        return -1;
    }
    int64_t target = base + int64_t(offset);
    if (target < INT32_MIN || target > INT32_MAX) {
        return -1;
    }
    position = int32_t(target);
    return 0;
}

int PackedFile::SeekFrom(long offset, bool fromStart) {
    return Seek(offset, fromStart ? 0 : 1);
}

FILE* PackedFile::GetHandle() {
    if (!open || generation != ArchiveGeneration()) {
        return nullptr;
    }
    return ArchiveStream();
}

bool PackedFile::SeekHandle(long offset) {
    if (offset < 0 || offset > long(entrySize)) {
        return false;
    }
    return StreamAt(offset) != nullptr;
}
