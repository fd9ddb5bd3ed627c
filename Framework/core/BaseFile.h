#pragma once
// BaseFile: the abstract interface every file implementation offers.
//
// The implementations live in the file layer (io/): LooseFile (a file on
// disk, through the C library's buffered streams) and PackedFile (one entry of
// the pack archive, read from the archive's shared stream). Callers there hold
// a File, which owns one of them. Core's own readers open files through
// OpenDataFile below, whose opener the file layer installs.
//
// The virtual operations keep a fixed slot order. Positions and lengths are
// bytes. Nothing here logs: every failure is reported by the result.
//
// Lines: ReadLine reads up to kMaxLineBytes bytes or up to and including the
// next line feed, whichever comes first, so a longer line arrives in pieces.
// With stripLineEnd every trailing CR and LF is removed from the text handed
// back; the position always advances by the bytes read before stripping.

#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>

class String;

/// Open flags, combined with |.
constexpr int kFileRead = 1;
constexpr int kFileWrite = 2;
constexpr int kFileBinary = 4;
/// Never look in the pack archive.
constexpr int kFileLooseOnly = 8;

class BaseFile {
public:
    /// The most bytes one ReadLine hands back.
    static constexpr size_t kMaxLineBytes = 4095;

    BaseFile() = default;
    virtual ~BaseFile() = default;
    BaseFile(const BaseFile&) = delete;
    BaseFile& operator=(const BaseFile&) = delete;

    /// Closes what is open, then opens `path`; false when it cannot be opened.
    virtual bool Open(const char* path, int flags) = 0;
    virtual void Close() = 0;
    /// True only when all `size` bytes were read.
    virtual bool Read(void* buffer, size_t size) = 0;
    /// fread semantics: the number of whole items read.
    virtual size_t ReadItems(void* buffer, size_t itemSize, size_t count) = 0;
    /// True only when all `size` bytes were written.
    virtual bool Write(const void* buffer, size_t size) = 0;
    /// fwrite semantics: the number of whole items written.
    virtual size_t WriteItems(const void* buffer, size_t itemSize, size_t count) = 0;
    /// The shared line entry: forwards to ReadLine(String&, bool); false for a null `out`.
    virtual bool ReadLine(String* out, bool stripLineEnd);
    /// Writes the text's bytes (without terminator); the result is not reported.
    virtual void WriteText(const String& text) = 0;
    /// Reads one line into `out` (see the header); false, `out` empty, at the end.
    virtual bool ReadLine(String& out, bool stripLineEnd) = 0;
    /// origin 0 start, 1 current, 2 end; 0 on success, -1 on failure.
    virtual int Seek(long offset, int origin) = 0;
    /// From the start when `fromStart`, else from the current position; 0 on success.
    virtual int SeekFrom(long offset, bool fromStart) = 0;
    /// The current position, -1 when unknown.
    virtual long Tell() = 0;
    /// Length of the open file in bytes.
    virtual long Length() = 0;
    virtual bool IsOpen() const = 0;
    /// True at the end of the data (and when nothing is open).
    virtual bool AtEnd() = 0;
    virtual void Flush() = 0;
    virtual bool IsPacked() const = 0;
    /// The C stream to read from directly: the file's own, or the archive's shared
    /// stream (call SeekHandle(0) first). Not owned by the caller.
    virtual FILE* GetHandle() = 0;
    /// Positions the shared archive stream `offset` bytes into the entry; false for
    /// loose files, which rewind with SeekFrom(0, true) instead.
    virtual bool SeekHandle(long offset) = 0;

protected:
    /// The length of `text` once every trailing CR and LF is removed.
    static size_t LengthWithoutLineEnd(const char* text, size_t length);
};

/// Opens `path` with the open flags above; null when it cannot be opened.
using FileOpener = std::function<std::unique_ptr<BaseFile>(const char* path, int flags)>;
/// The file layer installs its opener (archive entry first, then the disk, with
/// its open hooks) when it is linked in; an empty function uninstalls.
void SetFileOpener(FileOpener opener);
/// Opens `path` through the installed opener; null for a null path, a file that
/// cannot be opened, or when no opener is installed.
std::unique_ptr<BaseFile> OpenDataFile(const char* path, int flags);
