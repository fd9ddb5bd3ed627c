#include "io/File.h"

#include "io/LooseFile.h"
#include "io/PackArchive.h"
#include "io/PackedFile.h"
#include "platform/FileSystem.h"

#include <cerrno>

namespace {
FileOpenHook openHook = nullptr;
FilePathHook pathHook = nullptr;

// Core's readers (ConfigTable) open files through core's opener; this file
// layer installs itself as that opener as soon as it is linked in, so they
// see the archive and the open hooks exactly as File does.
std::unique_ptr<BaseFile> OpenThroughFileLayer(const char* path, int flags) {
    File file;
    if (!file.Open(path, flags)) {
        return nullptr;
    }
    return file.ReleaseImplementation();
}

const bool fileOpenerInstalled = [] {
    SetFileOpener(OpenThroughFileLayer);
    return true;
}();
} // namespace

void SetFilePathHook(FilePathHook hook) {
    pathHook = hook;
}

FilePathHook GetFilePathHook() {
    return pathHook;
}

void SetFileOpenHook(FileOpenHook hook) {
    openHook = hook;
}

FileOpenHook GetFileOpenHook() {
    return openHook;
}

File::File() = default;

File::~File() {
    Close();
}

bool File::Open(const char* path, int flags) {
    Close();
    bool opened = false;
    if (!(flags & kFileLooseOnly) && IsArchiveOpen()) {
        implementation = std::make_unique<PackedFile>();
        opened = implementation->Open(path, flags);
    }
    if (!opened) {
        implementation = std::make_unique<LooseFile>();
        opened = implementation->Open(path, flags);
    }
    if (!opened) {
        implementation.reset();
        return false;
    }
    if (openHook) {
        openHook(*this);
    }
    if (pathHook) {
        pathHook(path);
    }
    return true;
}

void File::Close() {
    implementation.reset();
}

bool File::Read(void* buffer, size_t size) {
    return implementation && implementation->Read(buffer, size);
}

size_t File::ReadItems(void* buffer, size_t itemSize, size_t count) {
    return implementation ? implementation->ReadItems(buffer, itemSize, count) : 0;
}

bool File::Write(const void* buffer, size_t size) {
    return implementation && implementation->Write(buffer, size);
}

size_t File::WriteItems(const void* buffer, size_t itemSize, size_t count) {
    return implementation ? implementation->WriteItems(buffer, itemSize, count) : 0;
}

bool File::ReadLine(String* out, bool stripLineEnd) {
    if (!implementation) {
        if (out) {
            out->Assign("");
        }
        return false;
    }
    return implementation->ReadLine(out, stripLineEnd);
}

void File::WriteText(const String& text) {
    if (implementation) {
        implementation->WriteText(text);
    }
}

bool File::ReadLine(String& out, bool stripLineEnd) {
    if (!implementation) {
        out.Assign("");
        return false;
    }
    return implementation->ReadLine(out, stripLineEnd);
}

int File::Seek(long offset, int origin) {
    return implementation ? implementation->Seek(offset, origin) : -1;
}

int File::SeekFrom(long offset, bool fromStart) {
    return implementation ? implementation->SeekFrom(offset, fromStart) : -1;
}

long File::Tell() {
    return implementation ? implementation->Tell() : -1;
}

long File::Length() {
    return implementation ? implementation->Length() : 0;
}

bool File::IsOpen() const {
    return implementation && implementation->IsOpen();
}

bool File::AtEnd() {
    return !implementation || implementation->AtEnd();
}

void File::Flush() {
    if (implementation) {
        implementation->Flush();
    }
}

bool File::IsPacked() const {
    return implementation && implementation->IsPacked();
}

FILE* File::GetHandle() {
    return implementation ? implementation->GetHandle() : nullptr;
}

bool File::SeekHandle(long offset) {
    return implementation && implementation->SeekHandle(offset);
}

bool Exists(const char* path) {
    if (!path || !*path) {
        return false;
    }
    if (IsArchiveOpen()) {
        String name(path);
        NormalisePackName(name);
        return FindArchiveEntry(name.CStr()) != nullptr;
    }
    return LooseExists(path);
}

bool LooseExists(const char* path) {
    if (!path || !*path) {
        return false;
    }
    const String systemPath = ToSystemPath(path);
    const PathState state = QueryPath(systemPath.CStr());
    if (state == PathState::kExists) {
        return true;
    }
    String found;
    return state == PathState::kMissing && FindLoosePathIgnoringCase(systemPath, found);
}
