#include "PackWriter.h"

#include "core/String.h"
#include "io/PackArchive.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct SourceFile {
    std::string name;     ///< as stored: normalised
    std::string relative; ///< as found, for messages
    fs::path path;
    uint64_t size = 0;
};

constexpr size_t kMaxNameBytes = 255;

struct FileCloser {
    void operator()(FILE* stream) const { std::fclose(stream); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

std::string StoredName(const std::string& relative) {
    String name(relative);
    NormalisePackName(name);
    return std::string(name.View());
}

bool CollectFiles(const fs::path& root, const fs::path& output, std::vector<SourceFile>& files,
                  std::string& error) {
    std::error_code code;
    fs::path outputPath = fs::weakly_canonical(output, code);
    fs::path temporaryPath = fs::weakly_canonical(output.string() + ".partial", code);
    fs::recursive_directory_iterator it(root, code), end;
    for (; !code && it != end; it.increment(code)) {
        std::error_code statCode;
        if (!it->is_regular_file(statCode)) {
            continue;
        }
        fs::path found = fs::weakly_canonical(it->path(), statCode);
        if (found == outputPath || found == temporaryPath) {
            continue; // the archive being written inside its own source folder
        }
        SourceFile file;
        file.path = it->path();
        file.relative = fs::relative(it->path(), root, statCode).generic_string();
        file.size = it->file_size(statCode);
        if (statCode || file.relative.empty()) {
            error = "cannot read " + it->path().string();
            return false;
        }
        file.name = StoredName(file.relative);
        files.push_back(std::move(file));
    }
    if (code) {
        error = "cannot list " + root.string() + ": " + code.message();
        return false;
    }
    return true;
}

bool CheckNames(std::vector<SourceFile>& files, std::string& error) {
    std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) {
        return String(a.name).Compare(String(b.name)) < 0;
    });
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].name.size() > kMaxNameBytes) {
            error = "name longer than 255 bytes: " + files[i].relative;
            return false;
        }
        if (i > 0 && files[i].name == files[i - 1].name) {
            error = files[i - 1].relative + " and " + files[i].relative + " both fold to " + files[i].name;
            return false;
        }
    }
    return true;
}

bool CheckLimits(const std::vector<SourceFile>& files, const PackLimits& limits, uint64_t& directoryBytes,
                 std::string& error) {
    directoryBytes = 4;
    for (const SourceFile& file : files) {
        directoryBytes += 1 + file.name.size() + 8;
    }
    uint64_t total = directoryBytes;
    for (const SourceFile& file : files) {
        if (file.size > limits.maxEntryBytes) {
            error = file.relative + " is " + std::to_string(file.size) + " bytes, more than the " +
                    std::to_string(limits.maxEntryBytes) + " one entry can hold";
            return false;
        }
        total += file.size;
    }
    if (total > limits.maxArchiveBytes || files.size() > UINT32_MAX) {
        error = "the archive would be " + std::to_string(total) + " bytes, past the 32-bit limit of " +
                std::to_string(limits.maxArchiveBytes);
        return false;
    }
    return true;
}

void PutLittleEndian32(std::string& out, uint64_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(char((value >> shift) & 0xFF));
    }
}

std::string DirectoryBytes(const std::vector<SourceFile>& files, uint64_t directoryBytes) {
    std::string header;
    header.reserve(directoryBytes);
    PutLittleEndian32(header, files.size());
    uint64_t offset = directoryBytes;
    for (const SourceFile& file : files) {
        header.push_back(char(file.name.size()));
        header += file.name;
        PutLittleEndian32(header, offset);
        PutLittleEndian32(header, file.size);
        offset += file.size;
    }
    return header;
}

bool CopyData(const SourceFile& file, FILE* out, std::string& error) {
    FileHandle in(std::fopen(file.path.c_str(), "rb"));
    if (!in) {
        error = "cannot open " + file.path.string();
        return false;
    }
    std::vector<char> chunk(1 << 16);
    uint64_t left = file.size;
    while (left > 0) {
        size_t wanted = size_t(std::min<uint64_t>(left, chunk.size()));
        if (std::fread(chunk.data(), 1, wanted, in.get()) != wanted) {
            error = file.path.string() + " became shorter while it was being packed";
            return false;
        }
        if (std::fwrite(chunk.data(), 1, wanted, out) != wanted) {
            error = "cannot write the archive";
            return false;
        }
        left -= wanted;
    }
    return true;
}

bool WriteArchive(const std::vector<SourceFile>& files, uint64_t directoryBytes, const fs::path& path,
                  std::string& error) {
    FileHandle out(std::fopen(path.c_str(), "wb"));
    if (!out) {
        error = "cannot create " + path.string();
        return false;
    }
    std::string header = DirectoryBytes(files, directoryBytes);
    if (std::fwrite(header.data(), 1, header.size(), out.get()) != header.size()) {
        error = "cannot write " + path.string();
        return false;
    }
    for (const SourceFile& file : files) {
        if (!CopyData(file, out.get(), error)) {
            return false;
        }
    }
    if (std::fclose(out.release()) != 0) {
        error = "cannot write " + path.string();
        return false;
    }
    return true;
}

} // namespace

bool PackCreate(const std::string& directory, const std::string& output, std::string& error,
                const PackLimits& limits) {
    std::error_code code;
    if (!fs::is_directory(directory, code)) {
        error = directory + " is not a folder";
        return false;
    }
    std::vector<SourceFile> files;
    uint64_t directoryBytes = 0;
    if (!CollectFiles(directory, output, files, error) || !CheckNames(files, error) ||
        !CheckLimits(files, limits, directoryBytes, error)) {
        return false;
    }
    fs::path temporary = output + ".partial";
    if (!WriteArchive(files, directoryBytes, temporary, error)) {
        fs::remove(temporary, code);
        return false;
    }
    fs::rename(temporary, output, code);
    if (code) {
        fs::remove(temporary, code);
        error = "cannot create " + output;
        return false;
    }
    return true;
}
