// Fuzz target: the pack archive directory reader and packed-file reads.
// The input is written to a temporary file and opened as the archive; when
// it is accepted, the listing runs and a few entries are read every way a
// caller can, all of which must stay inside the entry and the file.
#include "core/Log.h"
#include "io/File.h"
#include "io/FileListing.h"
#include "io/PackArchive.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string archivePath;

void ReadEntry(const char* name) {
    File file;
    if (!file.Open(name, kFileRead | kFileBinary)) {
        return;
    }
    String line;
    int lines = 0;
    while (file.ReadLine(line, (lines & 1) != 0) && ++lines < 64) {
    }
    char buffer[64];
    file.Seek(-3, 2);
    file.Read(buffer, 8);
    file.ReadItems(buffer, 4, 16);
    file.SeekFrom(1, true);
    file.Read(buffer, sizeof buffer);
    if (file.SeekHandle(0) && file.GetHandle()) {
        std::fread(buffer, 1, 1, file.GetHandle());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SetLogToStandardOutput(false);
    char pattern[] = "/tmp/archive-fuzz-XXXXXX";
    int descriptor = mkstemp(pattern);
    if (descriptor < 0) {
        std::abort();
    }
    close(descriptor);
    archivePath = pattern;
    std::atexit([] { std::remove(archivePath.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* out = std::fopen(archivePath.c_str(), "wb");
    if (!out) {
        return 0;
    }
    std::fwrite(data, 1, size, out);
    std::fclose(out);
    if (!OpenArchive(archivePath.c_str())) {
        return 0;
    }
    ListFiles("", "*", true);
    int read = 0;
    for (const PackEntry& entry : ArchiveEntries()) {
        if (++read > 8) {
            break;
        }
        ReadEntry(entry.name.CStr());
    }
    if (!ArchiveEntries().empty()) {
        String directory(ArchiveEntries().front().name);
        ListFiles(directory.CStr(), "*.txt", true);
    }
    CloseArchive();
    return 0;
}
