#include "PackWriter.h"

#include "PackFormat.h"

#include "core/String.h"
#include "io/PackArchive.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct SourceFile {
    std::string name;  ///< as stored: normalised
    std::string shown; ///< the source path as the user would write it, for messages
    fs::path path;     ///< what is read (a link's own path: reading follows it)
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

bool EndsWith(const std::string& text, const char* suffix) {
    const size_t length = std::char_traits<char>::length(suffix);
    return text.size() >= length && text.compare(text.size() - length, length, suffix) == 0;
}

/// True when `path` (absolute, links resolved) lies inside `root` (the same).
bool Inside(const fs::path& root, const fs::path& path) {
    auto [rootEnd, unused] = std::mismatch(root.begin(), root.end(), path.begin(), path.end());
    return rootEnd == root.end();
}

/// What to do with one link found below the source folder: on success `file`
/// reads through it; otherwise `problem` says why it is refused.
bool AcceptLink(const fs::path& root, const fs::directory_entry& entry, SourceFile& file,
                std::string& problem) {
    std::error_code code;
    const std::string target = fs::read_symlink(entry.path(), code).string();
    const fs::path resolved = fs::canonical(entry.path(), code);
    if (code) {
        problem = file.shown + " is a symbolic link to " + Printable(target) +
                  ", which cannot be followed: " + code.message();
        return false;
    }
    if (!Inside(root, resolved)) {
        problem = file.shown + " is a symbolic link to " + Printable(target) +
                  ", outside the folder: refusing to pack it (copy the file into the folder to publish it)";
        return false;
    }
    if (!fs::is_regular_file(resolved, code)) {
        problem =
            file.shown + " is a symbolic link to a folder or special file; only links to files are packed";
        return false;
    }
    file.size = fs::file_size(resolved, code);
    if (code) {
        problem = "cannot read " + file.shown + ": " + code.message();
        return false;
    }
    return true;
}

struct Collected {
    std::vector<SourceFile> files;
    std::vector<std::string> problems;
    uint64_t skippedHidden = 0;
};

void CollectFiles(const std::string& directory, const fs::path& output, bool includeHidden,
                  Collected& found) {
    std::error_code code;
    const fs::path root = fs::canonical(directory, code);
    const fs::path outputPath = fs::weakly_canonical(output, code);
    fs::recursive_directory_iterator it(directory, code), end;
    for (; !code && it != end; it.increment(code)) {
        const fs::directory_entry& entry = *it;
        SourceFile file;
        const std::string relative = entry.path().lexically_relative(directory).generic_string();
        file.shown = Printable((fs::path(directory) / relative).string());
        file.path = entry.path();
        std::error_code statCode;
        const fs::file_status status = entry.symlink_status(statCode);
        if (!includeHidden && IsHiddenOrEditorName(entry.path().filename().string())) {
            ++found.skippedHidden;
            if (fs::is_directory(status)) {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (fs::is_directory(status)) {
            continue;
        }
        if (fs::is_symlink(status)) {
            std::string problem;
            if (!AcceptLink(root, entry, file, problem)) {
                found.problems.push_back(problem);
                continue;
            }
        } else if (fs::is_regular_file(status)) {
            if (fs::weakly_canonical(entry.path(), statCode) == outputPath) {
                continue; // the archive being written inside its own source folder
            }
            file.size = entry.file_size(statCode);
        } else {
            found.problems.push_back(file.shown +
                                     " is neither a file nor a folder (a device, pipe or socket): "
                                     "refusing to pack it");
            continue;
        }
        if (statCode || relative.empty()) {
            found.problems.push_back("cannot read " + file.shown + ": " + statCode.message());
            continue;
        }
        file.name = StoredName(relative);
        found.files.push_back(std::move(file));
    }
    if (code) {
        found.problems.push_back("cannot list " + Printable(directory) + ": " + code.message());
    }
}

bool CheckNames(std::vector<SourceFile>& files, std::string& error) {
    std::sort(files.begin(), files.end(), [](const SourceFile& a, const SourceFile& b) {
        return String(a.name).Compare(String(b.name)) < 0;
    });
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].name.size() > kMaxNameBytes) {
            error = "name longer than 255 bytes: " + files[i].shown;
            return false;
        }
        if (i > 0 && files[i].name == files[i - 1].name) {
            error =
                files[i - 1].shown + " and " + files[i].shown + " both fold to " + Printable(files[i].name);
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
    uint64_t total = directoryBytes + ChecksumTableBytes(files.size());
    for (const SourceFile& file : files) {
        if (file.size > limits.maxEntryBytes) {
            error = file.shown + " is " + std::to_string(file.size) + " bytes, more than the " +
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

bool CopyData(const SourceFile& file, FILE* out, const std::string& output, uint32_t& crc,
              std::string& error) {
    FileHandle in(std::fopen(file.path.c_str(), "rb"));
    if (!in) {
        error = "cannot read " + file.shown + ": " + SystemReason();
        return false;
    }
    std::vector<char> chunk(1 << 16);
    uint64_t left = file.size;
    crc = Crc32(0, nullptr, 0);
    while (left > 0) {
        size_t wanted = size_t(std::min<uint64_t>(left, chunk.size()));
        if (std::fread(chunk.data(), 1, wanted, in.get()) != wanted) {
            error = std::ferror(in.get()) ? "cannot read " + file.shown + ": " + SystemReason()
                                          : file.shown + " became shorter while it was being packed";
            return false;
        }
        if (std::fwrite(chunk.data(), 1, wanted, out) != wanted) {
            error = "cannot write " + output + ": " + SystemReason();
            return false;
        }
        crc = Crc32(crc, chunk.data(), wanted);
        left -= wanted;
    }
    return true;
}

bool WriteArchive(const std::vector<SourceFile>& files, uint64_t directoryBytes, FILE* out,
                  const std::string& output, std::string& error) {
    const std::string header = DirectoryBytes(files, directoryBytes);
    if (std::fwrite(header.data(), 1, header.size(), out) != header.size()) {
        error = "cannot write " + output + ": " + SystemReason();
        return false;
    }
    std::vector<uint32_t> crcs(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        if (!CopyData(files[i], out, output, crcs[i], error)) {
            return false;
        }
    }
    const std::string table = ChecksumTable(Crc32(0, header.data(), header.size()), crcs);
    if (std::fwrite(table.data(), 1, table.size(), out) != table.size() || std::fflush(out) != 0 ||
        fsync(fileno(out)) != 0) {
        error = "cannot write " + output + ": " + SystemReason();
        return false;
    }
    return true;
}

/// Refuses an output that exists and is not a regular file: replacing a
/// folder, a link or a device by an archive is never what was meant.
bool CheckOutput(const std::string& output, std::string& error) {
    struct stat info;
    if (lstat(output.c_str(), &info) != 0) {
        return true;
    }
    if (S_ISREG(info.st_mode)) {
        return true;
    }
    const char* kind = S_ISDIR(info.st_mode)                            ? "a folder"
                       : S_ISLNK(info.st_mode)                          ? "a symbolic link"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "a device"
                       : S_ISFIFO(info.st_mode)                         ? "a pipe"
                                                                        : "a socket";
    error = "refusing to replace " + Printable(output) + ": it is " + kind + ", not an archive file";
    return false;
}

/// A new, empty, hidden file beside `output`, opened for writing; its path
/// goes to `temporary`. Null with `error` naming the output on failure.
FileHandle CreateTemporaryBeside(const std::string& output, std::string& temporary, std::string& error) {
    const fs::path target(output);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0) {
        error = "cannot create " + Printable(output) + ": " + SystemReason();
        return nullptr;
    }
    // mkstemp makes the file private; an archive is read by others like any file.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    temporary = pattern;
    return FileHandle(fdopen(descriptor, "wb"));
}

} // namespace

bool IsHiddenOrEditorName(const std::string& name) {
    if (name.empty()) {
        return false;
    }
    return name[0] == '.' || name.back() == '~' || EndsWith(name, ".swp") || EndsWith(name, ".swo") ||
           (name.size() > 1 && name.front() == '#' && name.back() == '#');
}

bool PackCreate(const std::string& directory, const std::string& output, const PackCreateOptions& options,
                PackCreateResult& result, std::string& error) {
    result = PackCreateResult{};
    struct stat info;
    if (stat(directory.c_str(), &info) != 0) {
        error = "cannot pack " + Printable(directory) + ": " + SystemReason();
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        error = "cannot pack " + Printable(directory) + ": it is not a folder";
        return false;
    }
    if (!CheckOutput(output, error)) {
        return false;
    }
    Collected found;
    CollectFiles(directory, output, options.includeHidden, found);
    if (!found.problems.empty()) {
        error.clear();
        for (const std::string& problem : found.problems) {
            error += (error.empty() ? "" : "\n") + problem;
        }
        return false;
    }
    uint64_t directoryBytes = 0;
    if (!CheckNames(found.files, error) || !CheckLimits(found.files, options.limits, directoryBytes, error)) {
        return false;
    }
    std::string temporary;
    FileHandle out = CreateTemporaryBeside(output, temporary, error);
    if (!out) {
        return false;
    }
    bool written = WriteArchive(found.files, directoryBytes, out.get(), Printable(output), error);
    if (std::fclose(out.release()) != 0 && written) {
        error = "cannot write " + Printable(output) + ": " + SystemReason();
        written = false;
    }
    if (written && std::rename(temporary.c_str(), output.c_str()) != 0) {
        error = "cannot create " + Printable(output) + ": " + SystemReason();
        written = false;
    }
    if (!written) {
        std::remove(temporary.c_str());
        return false;
    }
    result.entries = found.files.size();
    result.skippedHidden = found.skippedHidden;
    for (const SourceFile& file : found.files) {
        result.dataBytes += file.size;
    }
    return true;
}

bool PackCreate(const std::string& directory, const std::string& output, std::string& error,
                const PackLimits& limits) {
    PackCreateResult result;
    return PackCreate(directory, output, PackCreateOptions{.limits = limits}, result, error);
}
