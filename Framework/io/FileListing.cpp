#include "io/FileListing.h"

#include "io/LooseFile.h"
#include "io/PackArchive.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

String JoinPath(const String& directory, std::string_view name) {
    String path(directory);
    if (!path.Empty()) {
        path.Append("/", 1);
    }
    path.Append(name.data(), name.size());
    return path;
}

bool GlobMatch(const char* pattern, const char* name) {
    // Iterative matching with one back-track point: linear in practice, and
    // never exponential on patterns with many stars.
    const char* starPattern = nullptr;
    const char* starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*') {
        ++pattern;
    }
    return *pattern == '\0';
}

bool WildcardMatch(const String& pattern, const char* name) {
    if (GlobMatch(pattern.CStr(), name)) {
        return true;
    }
    // "name.*" also matches "name", as the wildcard search of the original
    // platform does; "*.*" thereby matches every file.
    size_t length = pattern.Length();
    if (length >= 2 && pattern.View().substr(length - 2) == ".*") {
        String shorter(pattern.View().substr(0, length - 2));
        return GlobMatch(shorter.CStr(), name);
    }
    return false;
}

void ListDisk(const String& directory, const String& pattern, bool recurse, std::vector<String>& results) {
    fs::path searched = directory.Empty() ? fs::path(".") : fs::path(ToSystemPath(directory.CStr()).CStr());
    std::vector<std::string> files;
    std::vector<std::string> subdirectories;
    std::error_code error;
    for (fs::directory_iterator it(searched, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::error_code statError;
        if (it->is_regular_file(statError)) {
            if (WildcardMatch(pattern, name.c_str())) {
                files.push_back(std::move(name));
            }
        } else if (recurse && it->is_directory(statError) && !it->is_symlink(statError)) {
            subdirectories.push_back(std::move(name));
        }
    }
    std::sort(files.begin(), files.end());
    for (const std::string& name : files) {
        results.push_back(JoinPath(directory, name));
    }
    // Ordered as "name/" so that disk and archive listings agree: "sub/x" sorts after "sub.d/x".
    std::sort(subdirectories.begin(), subdirectories.end(),
              [](const std::string& a, const std::string& b) { return a + '/' < b + '/'; });
    for (const std::string& name : subdirectories) {
        ListDisk(JoinPath(directory, name), pattern, true, results);
    }
}

String PatternSuffix(const String& pattern) {
    const char* star = std::strrchr(pattern.CStr(), '*');
    return String(star ? star + 1 : pattern.CStr());
}

void ListArchive(const String& directory, const String& suffix, bool recurse, std::vector<String>& results) {
    // Names are sorted and normalised, so the entries below "directory/" form
    // one run, and so do those below each of its subdirectories.
    String prefix = directory.Empty() ? String() : directory + "/";
    std::string_view prefixView = prefix.View();
    std::string_view suffixView = suffix.View();
    const std::vector<PackEntry>& entries = ArchiveEntries();
    auto first = std::lower_bound(entries.begin(), entries.end(), prefix,
                                  [](const PackEntry& entry, const String& key) { return entry.name < key; });
    std::vector<std::string_view> subdirectories;
    for (auto it = first; it != entries.end(); ++it) {
        std::string_view name = it->name.View();
        if (!name.starts_with(prefixView)) {
            break;
        }
        std::string_view rest = name.substr(prefixView.size());
        size_t slash = rest.find_first_of("/\\");
        if (slash == std::string_view::npos) {
            if (name.ends_with(suffixView)) {
                results.push_back(it->name);
            }
        } else if (recurse) {
            std::string_view subdirectory = rest.substr(0, slash);
            // A name with an empty folder part ("/x", "a//x") would list the
            // same folder again, without end.
            if (subdirectory.empty()) {
                continue;
            }
            if (subdirectories.empty() || subdirectories.back() != subdirectory) {
                subdirectories.push_back(subdirectory);
            }
        }
    }
    for (std::string_view subdirectory : subdirectories) {
        ListArchive(JoinPath(directory, subdirectory), suffix, true, results);
    }
}

} // namespace

std::vector<String> ListFiles(const char* directory, const char* pattern, bool recurse) {
    std::vector<String> results;
    String directoryText(directory);
    String patternText(pattern);
    if (IsArchiveOpen()) {
        ListArchive(directoryText, PatternSuffix(patternText), recurse, results);
    } else {
        ListDisk(directoryText, patternText, recurse, results);
    }
    return results;
}

std::vector<String> ListLooseFiles(const char* directory, const char* pattern) {
    std::vector<String> results;
    ListDisk(String(directory), String(pattern), false, results);
    return results;
}
