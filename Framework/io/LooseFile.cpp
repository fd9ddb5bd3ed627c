#include "io/LooseFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

// Answers are dropped wholesale past this many paths; a data set asks far
// fewer distinct missing paths than this.
constexpr size_t kMaxRememberedPaths = 8192;

struct FoldedPaths {
    fs::path folder;                                      ///< the current directory the answers hold for
    std::unordered_map<std::string, std::string> answers; ///< asked -> found ("" for none)
};

FoldedPaths& Remembered() {
    static FoldedPaths remembered;
    return remembered;
}

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) {
            return false;
        }
    }
    return true;
}

// The name in `folder` equal to `name` up to case: itself when it exists,
// else the byte-wise first match. Empty when there is none.
std::string FindInFolder(const std::string& folder, const std::string& name) {
    std::error_code error;
    const fs::path folderPath = folder.empty() ? fs::path(".") : fs::path(folder);
    if (fs::exists(folderPath / name, error)) {
        return name;
    }
    std::string best;
    for (fs::directory_iterator it(folderPath, error), end; !error && it != end; it.increment(error)) {
        const std::string candidate = it->path().filename().string();
        if (EqualIgnoringCase(candidate, name) && (best.empty() || candidate < best)) {
            best = candidate;
        }
    }
    return best;
}

std::string SearchIgnoringCase(const std::string& path) {
    std::string built;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) {
            slash = path.size();
        }
        const std::string part = path.substr(start, slash - start);
        std::string found = part;
        if (!part.empty() && part != "." && part != "..") {
            found = FindInFolder(built, part);
            if (found.empty()) {
                return std::string();
            }
        }
        built += found;
        if (slash < path.size()) {
            built += '/';
        }
        start = slash + 1;
    }
    return built;
}

bool IsMissing(int error) {
    return error == ENOENT || error == ENOTDIR;
}

} // namespace

bool FindLoosePathIgnoringCase(const String& systemPath, String& found) {
    if (systemPath.Empty() || systemPath.CStr()[0] == '/') {
        return false;
    }
    FoldedPaths& remembered = Remembered();
    std::error_code error;
    const fs::path folder = fs::current_path(error);
    if (folder != remembered.folder || remembered.answers.size() >= kMaxRememberedPaths) {
        remembered.answers.clear();
        remembered.folder = folder;
    }
    const std::string asked(systemPath.View());
    auto answer = remembered.answers.find(asked);
    if (answer == remembered.answers.end()) {
        answer = remembered.answers.emplace(asked, SearchIgnoringCase(asked)).first;
    }
    if (answer->second.empty() || answer->second == asked) {
        return false;
    }
    found = String(answer->second);
    return true;
}

void ForgetLoosePathsIgnoringCase() {
    Remembered().answers.clear();
}

String ToSystemPath(const char* path) {
    String result(path);
    for (char* c = result.CStr(); *c; ++c) {
        if (*c == '\\') {
            *c = '/';
        }
    }
    return result;
}

LooseFile::~LooseFile() {
    Close();
}

bool LooseFile::Open(const char* path, int flags) {
    Close();
    if (!path) {
        return false;
    }
    char mode[4];
    size_t used = 0;
    if (flags & kFileRead) {
        mode[used++] = 'r';
    }
    if (flags & kFileWrite) {
        mode[used++] = 'w';
    }
    if (flags & kFileBinary) {
        mode[used++] = 'b';
    }
    mode[used] = '\0';
    if (mode[0] != 'r' && mode[0] != 'w') {
        return false;
    }
    const String systemPath = ToSystemPath(path);
    stream = std::fopen(systemPath.CStr(), mode);
    String found;
    if (!stream && mode[0] == 'r' && IsMissing(errno) && FindLoosePathIgnoringCase(systemPath, found)) {
        stream = std::fopen(found.CStr(), mode);
    }
    return stream != nullptr;
}

void LooseFile::Close() {
    if (stream) {
        std::fclose(stream);
        stream = nullptr;
    }
}

bool LooseFile::Read(void* buffer, size_t size) {
    if (!stream || (!buffer && size > 0)) {
        return false;
    }
    return std::fread(buffer, 1, size, stream) == size;
}

size_t LooseFile::ReadItems(void* buffer, size_t itemSize, size_t count) {
    if (!stream || !buffer) {
        return 0;
    }
    return std::fread(buffer, itemSize, count, stream);
}

bool LooseFile::Write(const void* buffer, size_t size) {
    if (!stream || (!buffer && size > 0)) {
        return false;
    }
    return std::fwrite(buffer, 1, size, stream) == size;
}

size_t LooseFile::WriteItems(const void* buffer, size_t itemSize, size_t count) {
    if (!stream || !buffer) {
        return 0;
    }
    return std::fwrite(buffer, itemSize, count, stream);
}

void LooseFile::WriteText(const String& text) {
    if (stream) {
        std::fwrite(text.CStr(), 1, text.Length(), stream);
    }
}

bool LooseFile::ReadLine(String& out, bool stripLineEnd) {
    char line[kMaxLineBytes + 1];
    if (!stream || !std::fgets(line, sizeof line, stream)) {
        out.Assign("");
        return false;
    }
    size_t length = std::strlen(line);
    out.Assign(line, stripLineEnd ? LengthWithoutLineEnd(line, length) : length);
    return true;
}

int LooseFile::Seek(long offset, int origin) {
    static constexpr int kOrigins[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    if (!stream || origin < 0 || origin > 2) {
        return -1;
    }
    return std::fseek(stream, offset, kOrigins[origin]);
}

int LooseFile::SeekFrom(long offset, bool fromStart) {
    if (!stream) {
        return -1;
    }
    return std::fseek(stream, offset, fromStart ? SEEK_SET : SEEK_CUR);
}

long LooseFile::Tell() {
    return stream ? std::ftell(stream) : -1;
}

long LooseFile::Length() {
    if (!stream) {
        return 0;
    }
    long current = std::ftell(stream);
    if (current < 0 || std::fseek(stream, 0, SEEK_END) != 0) {
        return 0;
    }
    long end = std::ftell(stream);
    std::fseek(stream, current, SEEK_SET);
    return end < 0 ? 0 : end;
}

bool LooseFile::AtEnd() {
    return !stream || std::feof(stream) != 0;
}

void LooseFile::Flush() {
    if (stream) {
        std::fflush(stream);
    }
}
