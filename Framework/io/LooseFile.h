#pragma once
// LooseFile: a file on disk, read and written through a C library stream.
//
// Paths are relative to the current directory (the program's directory at
// run time) and keep their case. Backslashes are taken as directory
// separators, as game data written for other systems uses them: "gui\a.tga"
// opens gui/a.tga.

#include "io/BaseFile.h"

#include "core/String.h"

/// `path` with every backslash turned into a slash, for the operating system.
String ToSystemPath(const char* path);

class LooseFile : public BaseFile {
public:
    LooseFile() = default;
    ~LooseFile() override;

    using BaseFile::ReadLine;

    /// The C library mode is built from the flags: "r" for 1, then "w" for 2,
    /// then "b" for 4 (5 gives "rb", 2 gives "w"; flags without 1 or 2 fail).
    bool Open(const char* path, int flags) override;
    void Close() override;
    bool Read(void* buffer, size_t size) override;
    size_t ReadItems(void* buffer, size_t itemSize, size_t count) override;
    bool Write(const void* buffer, size_t size) override;
    size_t WriteItems(const void* buffer, size_t itemSize, size_t count) override;
    void WriteText(const String& text) override;
    bool ReadLine(String& out, bool stripLineEnd) override;
    int Seek(long offset, int origin) override;
    int SeekFrom(long offset, bool fromStart) override;
    long Tell() override;
    long Length() override;
    bool IsOpen() const override { return stream != nullptr; }
    bool AtEnd() override;
    void Flush() override;
    bool IsPacked() const override { return false; }
    FILE* GetHandle() override { return stream; }
    bool SeekHandle(long) override { return false; }

private:
    FILE* stream = nullptr;
};
