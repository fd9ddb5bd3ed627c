#include "io/LooseFile.h"

#include <cstring>

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
    stream = std::fopen(ToSystemPath(path).CStr(), mode);
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
