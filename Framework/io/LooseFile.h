#pragma once
// LooseFile: a file on disk, read and written through a C library stream.
//
// Paths are relative to the current directory (the program's directory at
// run time). Backslashes are taken as directory separators, as game data
// written for other systems uses them: "gui\a.tga" opens gui/a.tga.
//
// A relative path that does not exist as written is looked for again without
// regard to letter case (A-Z, as the archive folds names), part by part, so
// that a data folder runs the same as the archive it was extracted from:
// "gui/IntroScreen.scene" reads gui/introscreen.scene. Where several names
// match, the byte-wise first wins. The search runs once per path and its
// answer (also "none") is remembered until the current directory changes.
// Writing never folds: a file is created with the name it is given.

#include "core/BaseFile.h"

#include "core/String.h"

/// `path` with every backslash turned into a slash, for the operating system.
String ToSystemPath(const char* path);

/// For a relative system path that does not exist as written: the existing
/// path that equals it up to the case of A-Z, in `found`. False when there is
/// none, or for an absolute path.
bool FindLoosePathIgnoringCase(const String& systemPath, String& found);
/// Forgets every remembered answer of FindLoosePathIgnoringCase.
void ForgetLoosePathsIgnoringCase();

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
