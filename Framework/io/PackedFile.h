#pragma once
// PackedFile: one entry of the open pack archive, read-only.
//
// All packed files share the archive's one C stream, so every read positions
// that stream first; nothing assumes where another reader left it. Positions
// are relative to the entry and may be moved anywhere by Seek, but reads only
// ever touch bytes inside the entry: a read that would cross either end of
// the entry fails (Read) or is cut to what lies inside (ReadItems, ReadLine).
//
// A small read buffer per file serves ReadLine and short reads without a
// stream access per call. Archive data never changes while it is open, and a
// file opened on one archive refuses to read once that archive is closed.

#include "core/BaseFile.h"

#include <cstdint>
#include <memory>

class PackedFile : public BaseFile {
public:
    PackedFile() = default;
    ~PackedFile() override = default;

    using BaseFile::ReadLine;

    /// Looks the path up in the archive, lower-cased and with backslashes
    /// turned into slashes; position 0. Refuses flag 2: the archive is read-only.
    bool Open(const char* path, int flags) override;
    /// Forgets the entry.
    void Close() override;
    /// False, position unchanged, when position + size passes the entry's end.
    bool Read(void* buffer, size_t size) override;
    /// The count is cut to the whole items left in the entry.
    size_t ReadItems(void* buffer, size_t itemSize, size_t count) override;
    bool Write(const void*, size_t) override { return false; }
    size_t WriteItems(const void*, size_t, size_t) override { return 0; }
    void WriteText(const String&) override {}
    /// A line never extends past the entry's end; false at the end.
    bool ReadLine(String& out, bool stripLineEnd) override;
    /// 0 start, 1 current, 2 end. -1 for another origin or a position outside
    /// the signed 32-bit range, which leaves the position unchanged.
    int Seek(long offset, int origin) override;
    int SeekFrom(long offset, bool fromStart) override;
    long Tell() override { return open ? position : -1; }
    long Length() override { return open ? long(entrySize) : 0; }
    bool IsOpen() const override { return open; }
    bool AtEnd() override { return !open || position >= int64_t(entrySize); }
    void Flush() override {}
    bool IsPacked() const override { return true; }
    FILE* GetHandle() override;
    /// False for an offset outside the entry.
    bool SeekHandle(long offset) override;

private:
    static constexpr size_t kBufferBytes = 8192;

    /// The stream positioned at entry offset + `at`, or null when the archive
    /// this file was opened on is gone.
    FILE* StreamAt(int64_t at);
    /// Copies `size` bytes from entry position `at` (already checked to lie
    /// inside the entry) through the buffer.
    bool ReadAt(int64_t at, void* buffer, size_t size);
    /// Bytes from the position to the entry's end; 0 when the position lies outside.
    int64_t BytesLeft() const;
    /// Makes the buffer start at `at` holding as much of the entry as fits.
    bool Fill(int64_t at);

    uint32_t entryOffset = 0;
    int32_t position = 0;
    uint32_t entrySize = 0;
    bool open = false;
    uint32_t generation = 0;

    std::unique_ptr<char[]> buffer;
    int64_t bufferStart = 0;
    size_t bufferLength = 0;
};
