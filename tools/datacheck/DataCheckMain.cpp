// datacheck [DIR|PACK]: checks a data set and prints one line per finding,
// then a summary. Exit status: 0 without errors, 1 with errors, 2 when the
// command line is wrong or the data set cannot be opened.
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
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    CheckReport report;
    if (!RunDataCheck(options, report, error)) {
        std::fprintf(stderr, "datacheck: %s\n", error.c_str());
        return 2;
    }
    for (const Finding& finding : report.Findings()) {
        std::printf("%s\n", CheckReport::FormatLine(finding).c_str());
    }
    std::printf("%s\n", report.Summary().c_str());
    return report.ErrorCount() > 0 ? 1 : 0;
}
