#pragma once
// MemoryFile: a read-only file over a byte buffer the caller keeps alive.
//
// It reads lines exactly as the archive's files do (pieces of at most 4095
// bytes, a line never extends past the end of the buffer), so readers can be
// fed text that never touched the disk: generated tables, fuzz input.

#include "core/BaseFile.h"

#include <cstdint>

class MemoryFile : public BaseFile {
public:
    MemoryFile(const void* data, size_t size) : bytes(static_cast<const char*>(data)), size(size) {}

    bool Open(const char*, int flags) override;
    void Close() override { open = false; }
    bool Read(void* buffer, size_t count) override;
    size_t ReadItems(void* buffer, size_t itemSize, size_t count) override;
    bool Write(const void*, size_t) override { return false; }
    size_t WriteItems(const void*, size_t, size_t) override { return 0; }
    void WriteText(const String&) override {}
    bool ReadLine(String& out, bool stripLineEnd) override;
    using BaseFile::ReadLine;
    int Seek(long offset, int origin) override;
    int SeekFrom(long offset, bool fromStart) override { return Seek(offset, fromStart ? 0 : 1); }
    long Tell() override { return static_cast<long>(position); }
    long Length() override { return static_cast<long>(size); }
    bool IsOpen() const override { return open; }
    bool AtEnd() override { return position >= size; }
    void Flush() override {}
    bool IsPacked() const override { return false; }
    FILE* GetHandle() override { return nullptr; }
    bool SeekHandle(long) override { return false; }

private:
    const char* bytes;
    size_t size;
    size_t position = 0;
    bool open = true;
};
