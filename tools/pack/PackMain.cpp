// pack: builds and inspects pack archives.
//   pack create [--include-hidden] DIR OUT.pack
//                              every file below DIR, names as the engine looks them up
//   pack list PACK             one line per entry: name, tab, size
//   pack extract PACK DIR      every entry below DIR
//   pack verify PACK           every rule of the engine and of extract, and the checksums
// Exit status 0 on success (and for --help); 1 with the reasons on stderr,
// one line each; 2 on bad usage.
#include "PackFormat.h"
#include "PackReader.h"
#include "PackWriter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage =
    "usage: pack create [--include-hidden] DIR OUT.pack\n"
    "       pack list PACK\n"
    "       pack extract PACK DIR\n"
    "       pack verify PACK\n"
    "\n"
    "  create   packs every file below DIR into OUT.pack. Hidden and editor files\n"
    "           (.name, name~, *.swp, #name#) are left out and counted unless\n"
    "           --include-hidden is given; links leading out of DIR are refused.\n"
    "  list     prints each entry's name and size (control characters escaped).\n"
    "  extract  writes the entries below DIR; refuses, before writing anything,\n"
    "           archives that verify rejects and targets holding links or files\n"
    "           in the way; leaves nothing behind when it fails.\n"
    "  verify   checks the archive as the game and extract would read it, and the\n"
    "           checksum of every entry; reports every problem found.\n";

int Usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int Fail(const std::string& error) {
    size_t start = 0;
    while (start < error.size()) {
        size_t end = error.find('\n', start);
        if (end == std::string::npos) {
            end = error.size();
        }
        std::fprintf(stderr, "pack: %s\n", error.substr(start, end - start).c_str());
        start = end + 1;
    }
    return 1;
}

int Create(const std::vector<std::string>& arguments) {
    PackCreateOptions options;
    std::vector<std::string> positional;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--include-hidden") {
            options.includeHidden = true;
        } else if (arguments[i].rfind("-", 0) == 0 && arguments[i].size() > 1) {
            std::fprintf(stderr, "pack: unknown option %s\n", Printable(arguments[i]).c_str());
            return Usage();
        } else {
            positional.push_back(arguments[i]);
        }
    }
    if (positional.size() != 2) {
        return Usage();
    }
    PackCreateResult result;
    std::string error;
    if (!PackCreate(positional[0], positional[1], options, result, error)) {
        return Fail(error);
    }
    std::printf("%s: %llu entr%s, %llu bytes of data", Printable(positional[1]).c_str(),
                static_cast<unsigned long long>(result.entries), result.entries == 1 ? "y" : "ies",
                static_cast<unsigned long long>(result.dataBytes));
    if (result.skippedHidden > 0) {
        std::printf("; skipped %llu hidden or editor file%s (--include-hidden packs them)",
                    static_cast<unsigned long long>(result.skippedHidden),
                    result.skippedHidden == 1 ? "" : "s");
    }
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    for (const std::string& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    }
    if (arguments.empty()) {
        return Usage();
    }
    const std::string& command = arguments[0];
    std::string error;
    if (command == "create") {
        return Create(arguments);
    }
    if (command == "list" && arguments.size() == 2) {
        std::string listing;
        if (!PackList(arguments[1], listing, error)) {
            return Fail(error);
        }
        std::fwrite(listing.data(), 1, listing.size(), stdout);
        return 0;
    }
    if (command == "extract" && arguments.size() == 3) {
        return PackExtract(arguments[1], arguments[2], error) ? 0 : Fail(error);
    }
    if (command == "verify" && arguments.size() == 2) {
        std::string summary;
        if (!PackVerify(arguments[1], summary, error)) {
            return Fail(error);
        }
        std::printf("%s: ok, %s\n", Printable(arguments[1]).c_str(), summary.c_str());
        return 0;
    }
    return Usage();
}
