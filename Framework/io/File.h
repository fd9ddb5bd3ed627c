#pragma once
// File: the object callers hold to read or write one data file.
//
// A File owns one implementation (a PackedFile or a LooseFile, null while
// closed) and forwards every operation to it; a closed File answers false, 0
// or -1 (AtEnd answers true, so a read loop on a file that failed to open
// ends at once). Destroying or re-opening a File closes and deletes its
// implementation.
//
// Open order: with kFileLooseOnly, or when no archive is open, the loose file
// alone. Otherwise the archive entry of the normalised path (lower-case,
// forward slashes); when there is none, or writing was asked for, the loose
// file of the path as given, relative to the current directory.

#include "core/BaseFile.h"
#include "core/Object.h"
#include "core/String.h"

#include <memory>

class File;

/// Called with the File after every successful open (the preload advances its
/// loading bar with it). Null normally.
using FileOpenHook = void (*)(File& file);
void SetFileOpenHook(FileOpenHook hook);
FileOpenHook GetFileOpenHook();
/// Called with the path as the caller gave it after every successful open,
/// so a tool can record which files loading a data set reads. Null normally.
using FilePathHook = void (*)(const char* path);
void SetFilePathHook(FilePathHook hook);
FilePathHook GetFilePathHook();

class File : public Object {
    ENGINE_CLASS(File, Object)

public:
    File();
    ~File() override;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    /// Flags: kFileRead 1, kFileWrite 2, kFileBinary 4, kFileLooseOnly 8.
    bool Open(const char* path, int flags);
    void Close();
    bool Read(void* buffer, size_t size);
    size_t ReadItems(void* buffer, size_t itemSize, size_t count);
    bool Write(const void* buffer, size_t size);
    size_t WriteItems(const void* buffer, size_t itemSize, size_t count);
    bool ReadLine(String* out, bool stripLineEnd);
    void WriteText(const String& text);
    bool ReadLine(String& out, bool stripLineEnd);
    int Seek(long offset, int origin);
    int SeekFrom(long offset, bool fromStart);
    long Tell();
    long Length();
    bool IsOpen() const;
    bool AtEnd();
    void Flush();
    bool IsPacked() const;
    FILE* GetHandle();
    bool SeekHandle(long offset);

    /// The implementation, or null while closed; owned by this File.
    BaseFile* Implementation() const { return implementation.get(); }
    /// Hands the open implementation (null while closed) to the caller; the
    /// File is closed afterwards.
    std::unique_ptr<BaseFile> ReleaseImplementation() { return std::move(implementation); }

private:
    std::unique_ptr<BaseFile> implementation;
};

/// False for the empty path. While an archive is open: true exactly when the
/// normalised path is an archive entry (loose files are not consulted).
/// Otherwise: true when a file or directory of that path exists on disk.
bool Exists(const char* path);
/// Only the disk's answer, for files that never live in the archive (saves).
bool LooseExists(const char* path);
