// pack: builds and inspects pack archives.
//   pack create DIR OUT.pack   every file below DIR, names as the engine looks them up
//   pack list PACK             one line per entry: name, tab, size
//   pack extract PACK DIR      every entry below DIR
//   pack verify PACK           checks that every entry lies inside the file
// Exit status 0 on success; otherwise 1 with a one-line reason on stderr.
#include "PackReader.h"
#include "PackWriter.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: pack create DIR OUT.pack | list PACK | extract PACK DIR | verify PACK\n");
    return 2;
}

int Fail(const std::string& error) {
    std::fprintf(stderr, "pack: %s\n", error.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return Usage();
    }
    const char* command = argv[1];
    std::string error;
    if (std::strcmp(command, "create") == 0 && argc == 4) {
        return PackCreate(argv[2], argv[3], error) ? 0 : Fail(error);
    }
    if (std::strcmp(command, "list") == 0 && argc == 3) {
        std::string listing;
        if (!PackList(argv[2], listing, error)) {
            return Fail(error);
        }
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        return 0;
    }
    if (std::strcmp(command, "extract") == 0 && argc == 4) {
        return PackExtract(argv[2], argv[3], error) ? 0 : Fail(error);
    }
    if (std::strcmp(command, "verify") == 0 && argc == 3) {
        std::string summary;
        if (!PackVerify(argv[2], summary, error)) {
            return Fail(error);
        }
        std::printf("%s: ok, %s\n", argv[2], summary.c_str());
        return 0;
    }
    return Usage();
}
