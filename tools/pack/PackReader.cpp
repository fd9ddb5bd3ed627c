#include "PackReader.h"

#include "core/String.h"
#include "io/PackArchive.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(FILE* stream) const { std::fclose(stream); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

/// Opens `pack` and reads its directory with the engine's reader.
FileHandle ReadDirectory(const std::string& pack, std::vector<PackEntry>& entries, std::string& error) {
    FileHandle stream(std::fopen(pack.c_str(), "rb"));
    std::error_code code;
    uint64_t size = fs::file_size(pack, code);
    if (!stream || code) {
        error = "cannot open " + pack;
        return nullptr;
    }
    String reason;
    if (!ReadPackDirectory(stream.get(), size, entries, reason)) {
        error = pack + ": " + reason.CStr();
        return nullptr;
    }
    return stream;
}

bool FindDuplicate(const std::vector<PackEntry>& entries, std::string& error) {
    for (size_t i = 1; i < entries.size(); ++i) {
        if (entries[i].name == entries[i - 1].name) {
            error = "two entries are named " + std::string(entries[i].name.View());
            return true;
        }
    }
    return false;
}

/// Names are normalised (backslashes already slashes), so one check of the
/// parts catches "..\x" as well as "../x".
bool IsSafeName(std::string_view name) {
    if (name.empty() || name.front() == '/') {
        return false;
    }
    size_t start = 0;
    while (start <= name.size()) {
        size_t slash = name.find('/', start);
        std::string_view part =
            name.substr(start, slash == std::string_view::npos ? name.npos : slash - start);
        if (part == "..") {
            return false;
        }
        if (slash == std::string_view::npos) {
            break;
        }
        start = slash + 1;
    }
    return true;
}

bool CheckNames(const std::vector<PackEntry>& entries, std::string& error) {
    for (const PackEntry& entry : entries) {
        if (!IsSafeName(entry.name.View())) {
            error =
                "refusing entry name \"" + std::string(entry.name.View()) + "\": it leaves the target folder";
            return false;
        }
    }
    return !FindDuplicate(entries, error);
}

/// True when `path` lies inside `root` once symbolic links are resolved.
bool StaysInside(const fs::path& root, const fs::path& path) {
    std::error_code code;
    fs::path resolved = fs::weakly_canonical(path, code);
    if (code) {
        return false;
    }
    auto [rootEnd, unused] = std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    return rootEnd == root.end();
}

bool ExtractEntry(FILE* archive, const PackEntry& entry, const fs::path& root, std::string& error) {
    fs::path target = root / std::string(entry.name.View());
    std::error_code code;
    fs::create_directories(target.parent_path(), code);
    if (code || !StaysInside(root, target.parent_path()) || fs::is_symlink(target, code)) {
        error = "cannot write " + target.string() + " inside " + root.string();
        return false;
    }
    FileHandle out(std::fopen(target.c_str(), "wb"));
    if (!out || fseeko(archive, off_t(entry.offset), SEEK_SET) != 0) {
        error = "cannot write " + target.string();
        return false;
    }
    std::vector<char> chunk(1 << 16);
    uint64_t left = entry.size;
    while (left > 0) {
        size_t wanted = size_t(std::min<uint64_t>(left, chunk.size()));
        if (std::fread(chunk.data(), 1, wanted, archive) != wanted ||
            std::fwrite(chunk.data(), 1, wanted, out.get()) != wanted) {
            error = "cannot extract " + std::string(entry.name.View());
            return false;
        }
        left -= wanted;
    }
    if (std::fclose(out.release()) != 0) {
        error = "cannot write " + target.string();
        return false;
    }
    return true;
}

} // namespace

bool PackList(const std::string& pack, std::string& listing, std::string& error) {
    std::vector<PackEntry> entries;
    if (!ReadDirectory(pack, entries, error)) {
        return false;
    }
    listing.clear();
    for (const PackEntry& entry : entries) {
        listing += entry.name.View();
        listing += '\t';
        listing += std::to_string(entry.size);
        listing += '\n';
    }
    return true;
}

bool PackExtract(const std::string& pack, const std::string& directory, std::string& error) {
    std::vector<PackEntry> entries;
    FileHandle archive = ReadDirectory(pack, entries, error);
    if (!archive || !CheckNames(entries, error)) {
        return false;
    }
    std::error_code code;
    fs::create_directories(directory, code);
    fs::path root = fs::weakly_canonical(directory, code);
    if (code || !fs::is_directory(root, code)) {
        error = "cannot create the folder " + directory;
        return false;
    }
    for (const PackEntry& entry : entries) {
        if (!ExtractEntry(archive.get(), entry, root, error)) {
            return false;
        }
    }
    return true;
}

bool PackVerify(const std::string& pack, std::string& summary, std::string& error) {
    std::vector<PackEntry> entries;
    if (!ReadDirectory(pack, entries, error) || FindDuplicate(entries, error)) {
        return false;
    }
    uint64_t dataBytes = 0;
    for (const PackEntry& entry : entries) {
        dataBytes += entry.size;
    }
    summary = std::to_string(entries.size()) + " entries, " + std::to_string(dataBytes) + " bytes of data";
    return true;
}
