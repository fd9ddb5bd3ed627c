#include "PackReader.h"

#include "PackFormat.h"

#include "core/String.h"
#include "io/PackArchive.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(FILE* stream) const { std::fclose(stream); }
};
using FileHandle = std::unique_ptr<FILE, FileCloser>;

/// What the archive's bytes said about its checksum table.
enum class Checksums { Absent, Match, Mismatch };

/// An archive as the tool sees it: the records in file order and every
/// problem found. `stream` is null when the directory could not be read.
struct Inspection {
    FileHandle stream;
    std::vector<PackEntry> records;
    uint64_t fileSize = 0;
    uint64_t directoryEnd = 0;
    Checksums checksums = Checksums::Absent;
    bool opened = false; ///< the file opened: each problem is then about its contents
    std::vector<std::string> problems;
};

std::string EntryLabel(size_t index, const PackEntry& entry) {
    return "entry " + std::to_string(index) + " (" + Printable(entry.name.View()) + ")";
}

/// Why a name cannot be written below a folder, or empty when it can.
std::string NameFault(std::string_view name) {
    if (name.empty()) {
        return "has an empty name";
    }
    if (name.find('\0') != std::string_view::npos) {
        return "holds a NUL byte";
    }
    if (name.front() == '/') {
        return "is an absolute path: it leaves the target folder";
    }
    size_t start = 0;
    while (true) {
        const size_t slash = name.find('/', start);
        const std::string_view part = name.substr(start, slash == name.npos ? name.npos : slash - start);
        if (part == "..") {
            return "climbs out with \"..\": it leaves the target folder";
        }
        if (part.empty() || part == ".") {
            return "has an empty or \".\" folder part";
        }
        if (slash == name.npos) {
            return "";
        }
        start = slash + 1;
    }
}

void CheckNamesForWriting(Inspection& inspection) {
    std::set<std::string_view> names;
    for (const PackEntry& entry : inspection.records) {
        names.insert(entry.name.View());
    }
    for (size_t index = 0; index < inspection.records.size(); ++index) {
        const std::string_view name = inspection.records[index].name.View();
        const std::string fault = NameFault(name);
        if (!fault.empty()) {
            inspection.problems.push_back(EntryLabel(index, inspection.records[index]) + " " + fault);
            continue;
        }
        for (size_t slash = name.find('/'); slash != name.npos; slash = name.find('/', slash + 1)) {
            if (names.count(name.substr(0, slash))) {
                inspection.problems.push_back(
                    EntryLabel(index, inspection.records[index]) + " lies in " +
                    Printable(name.substr(0, slash)) +
                    ", which is an entry of its own: it cannot be both file and folder");
                break;
            }
        }
    }
}

bool ReadAt(FILE* stream, uint64_t offset, void* buffer, size_t size) {
    return fseeko(stream, off_t(offset), SEEK_SET) == 0 && std::fread(buffer, 1, size, stream) == size;
}

bool CrcOf(FILE* stream, uint64_t offset, uint64_t size, uint32_t& crc) {
    std::vector<char> chunk(1 << 16);
    crc = Crc32(0, nullptr, 0);
    if (fseeko(stream, off_t(offset), SEEK_SET) != 0) {
        return false;
    }
    while (size > 0) {
        const size_t wanted = size_t(std::min<uint64_t>(size, chunk.size()));
        if (std::fread(chunk.data(), 1, wanted, stream) != wanted) {
            return false;
        }
        crc = Crc32(crc, chunk.data(), wanted);
        size -= wanted;
    }
    return true;
}

void CheckChecksums(Inspection& inspection) {
    FILE* stream = inspection.stream.get();
    const uint64_t count = inspection.records.size();
    const uint64_t tableBytes = ChecksumTableBytes(count);
    unsigned char tail[4 + kChecksumTagBytes];
    if (inspection.fileSize < sizeof tail ||
        !ReadAt(stream, inspection.fileSize - sizeof tail, tail, sizeof tail) ||
        std::string_view(reinterpret_cast<const char*>(tail) + 4, kChecksumTagBytes) !=
            std::string_view(kChecksumTag, kChecksumTagBytes)) {
        inspection.checksums = Checksums::Absent;
        return;
    }
    inspection.checksums = Checksums::Mismatch;
    const uint32_t tableCount = GetLittleEndian32(tail);
    if (tableCount != count) {
        inspection.problems.push_back("the checksum table holds " + std::to_string(tableCount) +
                                      " entries, the directory " + std::to_string(count));
        return;
    }
    uint64_t dataEnd = inspection.directoryEnd;
    for (const PackEntry& entry : inspection.records) {
        dataEnd = std::max<uint64_t>(dataEnd, uint64_t(entry.offset) + entry.size);
    }
    if (inspection.fileSize < tableBytes || inspection.fileSize - tableBytes < dataEnd) {
        inspection.problems.push_back("the checksum table overlaps the directory or the entries' data");
        return;
    }
    const uint64_t tableStart = inspection.fileSize - tableBytes;
    std::vector<unsigned char> table(tableBytes);
    uint32_t crc = 0;
    if (!ReadAt(stream, tableStart, table.data(), table.size()) ||
        !CrcOf(stream, 0, inspection.directoryEnd, crc)) {
        inspection.problems.push_back("cannot read the checksum table: " + SystemReason());
        return;
    }
    bool allMatch = true;
    if (crc != GetLittleEndian32(table.data())) {
        inspection.problems.push_back("the directory does not match its checksum: the archive is damaged");
        allMatch = false;
    }
    for (size_t index = 0; index < count; ++index) {
        const PackEntry& entry = inspection.records[index];
        if (uint64_t(entry.offset) + entry.size > inspection.fileSize) {
            continue; // already named as lying outside the file
        }
        if (!CrcOf(stream, entry.offset, entry.size, crc)) {
            inspection.problems.push_back("cannot read " + EntryLabel(index, entry) + ": " + SystemReason());
            allMatch = false;
        } else if (crc != GetLittleEndian32(table.data() + 4 + 4 * index)) {
            inspection.problems.push_back(EntryLabel(index, entry) +
                                          " does not match its checksum: its bytes are damaged");
            allMatch = false;
        }
    }
    if (allMatch) {
        inspection.checksums = Checksums::Match;
    }
}

/// Reads the archive and applies every rule. False only when the directory
/// cannot be read at all (the reason is then the one problem).
bool Inspect(const std::string& pack, Inspection& inspection) {
    inspection.stream.reset(std::fopen(pack.c_str(), "rb"));
    struct stat info;
    if (!inspection.stream || fstat(fileno(inspection.stream.get()), &info) != 0) {
        inspection.problems.push_back("cannot open " + Printable(pack) + ": " + SystemReason());
        inspection.stream.reset();
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        inspection.problems.push_back("cannot read " + Printable(pack) + ": it is not a file");
        inspection.stream.reset();
        return false;
    }
    inspection.opened = true;
    inspection.fileSize = uint64_t(info.st_size);
    String reason;
    if (!ReadPackRecords(inspection.stream.get(), inspection.fileSize, inspection.records,
                         inspection.directoryEnd, reason)) {
        inspection.problems.push_back(Printable(reason.View()));
        inspection.stream.reset();
        return false;
    }
    for (const String& fault : PackEntryFaults(inspection.records, inspection.fileSize)) {
        inspection.problems.push_back(Printable(fault.View()));
    }
    CheckNamesForWriting(inspection);
    CheckChecksums(inspection);
    return true;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string joined;
    for (const std::string& line : lines) {
        joined += (joined.empty() ? "" : "\n") + line;
    }
    return joined;
}

// ---- Extracting.

std::string StripTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

/// Checks where the entries would land below an existing folder: every part
/// that exists must be a real folder, and no file may be there already.
void CheckExistingTarget(const fs::path& target, const std::vector<PackEntry>& records,
                         std::vector<std::string>& problems) {
    std::set<std::string> reported;
    for (const PackEntry& entry : records) {
        const std::string_view name = entry.name.View();
        size_t start = 0;
        while (true) {
            const size_t slash = name.find('/', start);
            const bool last = slash == name.npos;
            const std::string part(name.substr(0, last ? name.npos : slash));
            const fs::path path = target / part;
            struct stat info;
            if (lstat(path.c_str(), &info) != 0) {
                break; // nothing there: this part and all below it are new
            }
            std::string problem;
            if (last) {
                problem = Printable(path.string()) + " already exists: extract never replaces files";
            } else if (S_ISLNK(info.st_mode)) {
                problem =
                    Printable(path.string()) + " is a symbolic link: extract does not write through links";
            } else if (!S_ISDIR(info.st_mode)) {
                problem = Printable(path.string()) + " is in the way: a folder is needed there";
            }
            if (!problem.empty()) {
                if (reported.insert(part).second) {
                    problems.push_back(problem);
                }
                break;
            }
            start = slash + 1;
        }
    }
}

/// Undoes an extraction: the files moved into the target, the folders
/// created for them (deepest first), and the staging folder.
struct Rollback {
    std::vector<fs::path> files;
    std::vector<fs::path> folders;
    fs::path staging;
    bool armed = true;

    ~Rollback() {
        if (!armed) {
            return;
        }
        std::error_code ignored;
        for (const fs::path& file : files) {
            fs::remove(file, ignored);
        }
        for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
            fs::remove(*it, ignored);
        }
        if (!staging.empty()) {
            fs::remove_all(staging, ignored);
        }
    }
};

/// Creates the missing folders of `path`, the parents the user named for a
/// new target (links among them are the user's own and are followed),
/// recording each one made in `created`.
bool CreateFolders(const fs::path& path, std::vector<fs::path>& created, std::string& error) {
    fs::path built;
    for (const fs::path& part : path) {
        built /= part;
        struct stat info;
        if (stat(built.c_str(), &info) == 0) {
            if (S_ISDIR(info.st_mode)) {
                continue;
            }
            error = "cannot create the folder " + Printable(built.string()) + ": a file is in the way";
            return false;
        }
        if (mkdir(built.c_str(), 0777) != 0) {
            error = "cannot create the folder " + Printable(built.string()) + ": " + SystemReason();
            return false;
        }
        created.push_back(built);
    }
    return true;
}

bool WriteEntry(FILE* archive, const PackEntry& entry, const fs::path& staging, const fs::path& shownRoot,
                std::string& error) {
    const fs::path path = staging / std::string(entry.name.View());
    const std::string shown = Printable((shownRoot / std::string(entry.name.View())).string());
    std::error_code code;
    fs::create_directories(path.parent_path(), code);
    if (code) {
        error = "cannot write " + shown + ": " + code.message();
        return false;
    }
    FileHandle out(std::fopen(path.c_str(), "wbx"));
    if (!out) {
        error = "cannot write " + shown + ": " + SystemReason();
        return false;
    }
    if (fseeko(archive, off_t(entry.offset), SEEK_SET) != 0) {
        error = "cannot read entry " + Printable(entry.name.View()) + ": " + SystemReason();
        return false;
    }
    std::vector<char> chunk(1 << 16);
    uint64_t left = entry.size;
    while (left > 0) {
        const size_t wanted = size_t(std::min<uint64_t>(left, chunk.size()));
        if (std::fread(chunk.data(), 1, wanted, archive) != wanted) {
            error = "cannot read entry " + Printable(entry.name.View()) + ": " + SystemReason();
            return false;
        }
        if (std::fwrite(chunk.data(), 1, wanted, out.get()) != wanted) {
            error = "cannot write " + shown + ": " + SystemReason();
            return false;
        }
        left -= wanted;
    }
    if (std::fclose(out.release()) != 0) {
        error = "cannot write " + shown + ": " + SystemReason();
        return false;
    }
    return true;
}

/// A new hidden folder beside `target`, readable like any folder.
bool CreateStaging(const fs::path& target, fs::path& staging, std::string& error) {
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + target.filename().string() + ".extract-XXXXXX")).string();
    if (!mkdtemp(pattern.data())) {
        error = "cannot create " + Printable(target.string()) + ": " + SystemReason();
        return false;
    }
    const mode_t mask = umask(0);
    umask(mask);
    chmod(pattern.c_str(), 0777 & ~mask);
    staging = pattern;
    return true;
}

/// Moves every staged entry into the existing `target`, never replacing
/// anything; each move and each folder made is recorded for the rollback.
bool MoveIntoPlace(const std::vector<PackEntry>& records, const fs::path& target, Rollback& rollback,
                   std::string& error) {
    for (const PackEntry& entry : records) {
        const fs::path to = target / std::string(entry.name.View());
        const fs::path from = rollback.staging / std::string(entry.name.View());
        fs::path folder = target;
        const fs::path parent = fs::path(std::string(entry.name.View())).parent_path();
        for (const fs::path& part : parent) {
            folder /= part;
            struct stat info;
            if (lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
                continue;
            }
            if (mkdir(folder.c_str(), 0777) != 0) {
                error = "cannot create the folder " + Printable(folder.string()) + ": " + SystemReason();
                return false;
            }
            rollback.folders.push_back(folder);
        }
        if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
            error = "cannot write " + Printable(to.string()) + ": " + SystemReason();
            return false;
        }
        rollback.files.push_back(to);
    }
    return true;
}

} // namespace

bool PackList(const std::string& pack, std::string& listing, std::string& error) {
    FileHandle stream(std::fopen(pack.c_str(), "rb"));
    struct stat info;
    if (!stream || fstat(fileno(stream.get()), &info) != 0) {
        error = "cannot open " + Printable(pack) + ": " + SystemReason();
        return false;
    }
    String reason;
    std::vector<PackEntry> entries;
    if (!S_ISREG(info.st_mode)) {
        error = "cannot read " + Printable(pack) + ": it is not a file";
        return false;
    }
    if (!ReadPackDirectory(stream.get(), uint64_t(info.st_size), entries, reason)) {
        error = Printable(pack) + ": " + Printable(reason.View());
        return false;
    }
    listing.clear();
    for (const PackEntry& entry : entries) {
        listing += Printable(entry.name.View());
        listing += '\t';
        listing += std::to_string(entry.size);
        listing += '\n';
    }
    return true;
}

namespace {

/// Inspects the archive; false with every problem in `error`, one a line,
/// each starting with the archive's path.
bool InspectWithoutProblems(const std::string& pack, Inspection& inspection, std::string& error) {
    Inspect(pack, inspection);
    if (inspection.problems.empty()) {
        return true;
    }
    std::vector<std::string> lines;
    for (const std::string& problem : inspection.problems) {
        lines.push_back(inspection.opened ? Printable(pack) + ": " + problem : problem);
    }
    error = JoinLines(lines);
    return false;
}

} // namespace

bool PackVerify(const std::string& pack, std::string& summary, std::string& error) {
    Inspection inspection;
    if (!InspectWithoutProblems(pack, inspection, error)) {
        return false;
    }
    uint64_t dataBytes = 0;
    for (const PackEntry& entry : inspection.records) {
        dataBytes += entry.size;
    }
    const size_t count = inspection.records.size();
    summary = std::to_string(count) + (count == 1 ? " entry, " : " entries, ") + std::to_string(dataBytes) +
              " bytes of data, " +
              (inspection.checksums == Checksums::Match
                   ? "checksums match"
                   : "no checksums (an archive made without them): the entries' bytes were not checked");
    return true;
}

bool PackExtract(const std::string& pack, const std::string& directory, std::string& error) {
    Inspection inspection;
    if (!InspectWithoutProblems(pack, inspection, error)) {
        return false;
    }
    const fs::path target(StripTrailingSlashes(directory));
    struct stat info;
    const bool exists = stat(target.c_str(), &info) == 0;
    if (exists && !S_ISDIR(info.st_mode)) {
        error = "cannot extract into " + Printable(directory) + ": it is not a folder";
        return false;
    }
    if (exists) {
        std::vector<std::string> problems;
        CheckExistingTarget(target, inspection.records, problems);
        if (!problems.empty()) {
            error = JoinLines(problems);
            return false;
        }
    }
    Rollback rollback;
    if (!exists && target.has_parent_path() &&
        !CreateFolders(target.parent_path(), rollback.folders, error)) {
        return false;
    }
    if (!CreateStaging(target, rollback.staging, error)) {
        return false;
    }
    for (const PackEntry& entry : inspection.records) {
        if (!WriteEntry(inspection.stream.get(), entry, rollback.staging, target, error)) {
            return false;
        }
    }
    if (!exists) {
        if (std::rename(rollback.staging.c_str(), target.c_str()) != 0) {
            error = "cannot create " + Printable(directory) + ": " + SystemReason();
            return false;
        }
        rollback.staging.clear();
        rollback.armed = false;
        return true;
    }
    if (!MoveIntoPlace(inspection.records, target, rollback, error)) {
        return false;
    }
    std::error_code ignored;
    fs::remove_all(rollback.staging, ignored);
    rollback.armed = false;
    return true;
}
