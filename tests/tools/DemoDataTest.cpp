// The demo's built data: data.pack holds every file the demo's settings,
// cursor, console and first screen name, and the staging folder matches it.
#include "PackReader.h"

#include "core/ConfigTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace {

#ifdef TEST_DATA_PACK
constexpr bool kDataBuilt = true;
const std::string kPack = TEST_DATA_PACK;
const std::string kStaging = TEST_DATA_STAGING;
#else
constexpr bool kDataBuilt = false;
const std::string kPack;
const std::string kStaging;
#endif

std::string Lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::set<std::string> PackNames() {
    std::string listing, error;
    EXPECT_TRUE(PackList(kPack, listing, error)) << error;
    std::set<std::string> names;
    size_t at = 0;
    while (at < listing.size()) {
        const size_t end = listing.find('\n', at);
        const std::string line = listing.substr(at, end - at);
        names.insert(line.substr(0, line.find('\t')));
        at = end == std::string::npos ? listing.size() : end + 1;
    }
    return names;
}

// Every value of the keys of a staged key/value file for which `wanted` says yes.
std::vector<std::string> Values(const std::string& file, bool (*wanted)(const std::string& key)) {
    ConfigTable table;
    EXPECT_TRUE(table.Load((kStaging + "/" + file).c_str())) << file;
    std::vector<std::string> values;
    for (int32_t i = 0; i < table.Count(); ++i) {
        const ConfigTable::Entry& entry = table.At(i);
        if (!wanted(entry.key.CStr())) {
            continue;
        }
        for (const String& value : entry.values) {
            values.emplace_back(value.CStr());
        }
    }
    return values;
}

bool StartsWith(const std::string& text, const char* start) {
    return text.rfind(start, 0) == 0;
}

} // namespace

TEST(DemoDataTest, PackHoldsEveryFileTheDemoNames) {
    if (!kDataBuilt) {
        GTEST_SKIP() << "the data build is off (DUNHAVEN_DATA)";
    }
    ASSERT_TRUE(fs::exists(kPack));
    const std::set<std::string> names = PackNames();
    std::vector<std::string> named = Values("config/globals.scene", [](const std::string& key) {
        const bool font = StartsWith(key, "demo.Font_");
        const bool media = StartsWith(key, "demo.Sound_") || StartsWith(key, "demo.Music_") ||
                           StartsWith(key, "demo.Cursor_") || StartsWith(key, "demo.LoadScreen_") ||
                           key == "demo.DiaryMenu_LockedIcon";
        const bool numbers = key == "demo.Cursor_Hotspots" || key.find("Pos") != std::string::npos;
#ifdef TEST_DATA_FONTS
        return (font || media) && !numbers;
#else
        return media && !numbers && !font;
#endif
    });
    EXPECT_GT(named.size(), 60u);
    for (const std::string& file : Values("config/cursor.config", [](const std::string& key) { return key == "Sprite"; })) {
        named.push_back(file);
    }
    for (const std::string& file :
         Values("gui/WelcomePanel.scene", [](const std::string& key) { return key.find(".SpritePath") != std::string::npos; })) {
        named.push_back(file);
    }
#ifdef TEST_DATA_FONTS
    for (const std::string& file : Values("config/console.config", [](const std::string& key) { return key == "Font"; })) {
        named.push_back(file);
    }
#endif
    named.push_back("gui/IntroScreen.scene");
    named.push_back("gui/WelcomePanel.scene");
    named.push_back("config/globals.scene");
    named.push_back("text/str.config");
    for (const std::string& file : named) {
        EXPECT_TRUE(names.count(Lower(file))) << file << " is named but not in data.pack";
        EXPECT_TRUE(fs::exists(kStaging + "/" + file)) << file << " is not staged";
    }
    // Nothing of the recipes or the build itself is packed.
    for (const std::string& name : names) {
        EXPECT_FALSE(StartsWith(name, "recipes/")) << name;
        EXPECT_NE(name, "cmakelists.txt");
    }
}

TEST(DemoDataTest, StagingFolderAndPackHoldTheSameFiles) {
    if (!kDataBuilt) {
        GTEST_SKIP() << "the data build is off (DUNHAVEN_DATA)";
    }
    std::set<std::string> staged;
    for (const auto& entry : fs::recursive_directory_iterator(kStaging)) {
        if (entry.is_regular_file()) {
            staged.insert(Lower(fs::relative(entry.path(), kStaging).generic_string()));
        }
    }
    EXPECT_EQ(staged, PackNames());
}
