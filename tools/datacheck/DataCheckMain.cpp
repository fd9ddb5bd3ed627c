// datacheck [DIR|PACK]: checks a data set and prints one line per finding,
// then a summary. Exit status: 0 without errors (and for --help), 1 with
// errors, 2 when the command line is wrong or the data set cannot be opened.
#include "CheckReport.h"
#include "DataCheck.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    DataCheckOptions options;
    std::string error;
    if (!ParseDataCheckArguments(arguments, options, error)) {
        std::fprintf(stderr, "datacheck: %s\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::printf("%s\n", kDataCheckUsage);
        return 0;
    }
    CheckReport report;
    if (!RunDataCheck(options, report, error)) {
        std::fprintf(stderr, "datacheck: %s\n", error.c_str());
        return 2;
    }
    if (!report.archiveInFolder.empty()) {
        std::printf("datacheck: reading %s first, then the loose files beside it\n",
                    report.archiveInFolder.c_str());
    }
    for (const Finding& finding : report.Findings()) {
        std::printf("%s\n", CheckReport::FormatLine(finding).c_str());
    }
    std::printf("%s\n", report.Summary().c_str());
    return report.ErrorCount() > 0 ? 1 : 0;
}
