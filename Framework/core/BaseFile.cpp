#include "core/BaseFile.h"

#include "core/String.h"

#include <utility>

namespace {

// A function-local static, so that an opener installed during static
// initialisation of another file is never overwritten by this one's.
FileOpener& InstalledOpener() {
    static FileOpener opener;
    return opener;
}

} // namespace

bool BaseFile::ReadLine(String* out, bool stripLineEnd) {
    if (!out) {
        return false;
    }
    return ReadLine(*out, stripLineEnd);
}

size_t BaseFile::LengthWithoutLineEnd(const char* text, size_t length) {
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) {
        --length;
    }
    return length;
}

void SetFileOpener(FileOpener opener) {
    InstalledOpener() = std::move(opener);
}

std::unique_ptr<BaseFile> OpenDataFile(const char* path, int flags) {
    const FileOpener& opener = InstalledOpener();
    if (!path || !opener) {
        return nullptr;
    }
    return opener(path, flags);
}
