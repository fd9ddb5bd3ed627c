// The data checker on small crafted data sets, one kind of finding after
// another, from loose folders and from pack archives, through its library
// and through the built tool.
#include "DataCheck.h"
#include "CheckReport.h"
#include "PackReader.h"
#include "PackWriter.h"
#include "PngWriter.h"

#include "core/ClassRegistry.h"
#include "core/Link.h"
#include "io/PackArchive.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"
#include "support/ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::WriteFile;

namespace {

// An element with an element link, as controls have them.
class Door : public Element {
    ENGINE_CLASS(Door, Element)

public:
    Door() { DeclareNamedString("Handle", Handle, 1, this); }
    Link<Widget> Handle;
};

void RegisterDoor() {
    RegisterClass("Door", MakeObject<Door>, "Test");
}

using Files = std::map<std::string, std::string>;

std::string Tone() {
    testing_support::Tone tone;
    tone.seconds = 0.05;
    return testing_support::EncodeTone(tone);
}

std::string PngBytes() {
    const uint8_t pixels[4 * 4] = {0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255, 9, 9, 9, 255};
    std::string error;
    EXPECT_TRUE(WritePng("picture.png", pixels, 2, 2, error)) << error;
    return ReadFile("picture.png");
}

// What every data set must hold because the game reads it on its way to the
// first screen: the cursor pictures and configuration, two fonts and the
// paused caption. Given through settings so they can point at few files.
const char* const kSettingsEveryGameReads = "settings.Cursor_Default = gui/logo.png;\n"
                                            "settings.Cursor_Default = gui/logo.png;\n"
                                            "settings.Cursor_Link = gui/logo.png;\n"
                                            "settings.Cursor_Link = gui/logo.png;\n"
                                            "settings.Cursor_Exit = gui/logo.png;\n"
                                            "settings.Cursor_Exit = gui/logo.png;\n"
                                            "settings.Cursor_Use = gui/logo.png;\n"
                                            "settings.Cursor_Use = gui/logo.png;\n"
                                            "settings.Cursor_Info = gui/logo.png;\n"
                                            "settings.Cursor_Info = gui/logo.png;\n"
                                            "settings.Font_HeaderText = fonts/plain.config;\n"
                                            "settings.Font_DialogueText = fonts/plain.config;\n"
                                            "settings.String_GamePaused = str.paused;\n"
                                            "settings.LoadScreen_Frame = gui/logo.png;\n"
                                            "settings.LoadScreen_Fill = gui/logo.png;\n"
                                            "settings.LoadScreen_Overlay = gui/logo.png;\n";

// A small data set that is clean: settings, a string table, a screen-like
// scene showing a picture, a font, the cursor, and a level whose files the
// level list names.
Files CleanData() {
    const std::string png = PngBytes();
    return {
        {"config/globals.scene", std::string("Widget = settings;\n"
                                             "settings.Type = Globals;\n"
                                             "settings.String_Ok = str.ok;\n"
                                             "settings.Music_Game = music/theme.ogg;\n"
                                             "settings.Path_DunhavenUI = gui/Title.scene;\n"
                                             "settings.Levels = garden;\n"
                                             "settings.LevelCount = 1;\n") +
                                     kSettingsEveryGameReads},
        {"config/cursor.config", "Sprite = gui/logo.png;\nHotspot.x = 1;\n"},
        {"text/str.config", "ok = OK;\npaused = Paused;\n"},
        {"fonts/plain.config", "ImagePath = fonts/plain.png;\nHeight = 2;\nGlyph = 65 2;\n"},
        {"fonts/plain.png", png},
        {"music/theme.ogg", Tone()},
        {"gui/Title.scene", "Widget = logo;\n"
                            "Widget = frame;\n"
                            "logo.Type = Bitmap;\n"
                            "logo.SpritePath = gui/logo.png;\n"
                            "logo.Position = 10;\n"
                            "logo.Position = 20;\n"
                            "logo.Parent = frame;\n"
                            "frame.Type = Widget;\n"},
        {"gui/logo.png", png},
        {"levels/garden/garden.scene",
         "Widget = stone;\nstone.Type = Bitmap;\nstone.SpritePath = levels/garden/stone%d.png;\n"
         "stone.FrameIndex = 2;\n"},
        {"levels/garden/stone2.png", png},
        {"levels/garden/garden.lua", "-- script\n"},
        {"icon.png", png},
    };
}

void WriteData(const std::string& root, const Files& files) {
    for (const auto& [path, bytes] : files) {
        ASSERT_TRUE(WriteFile(root + "/" + path, bytes)) << path;
    }
}

std::vector<std::string> Lines(const CheckReport& report) {
    std::vector<std::string> lines;
    for (const Finding& finding : report.Findings()) {
        lines.push_back(CheckReport::FormatLine(finding));
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    return text;
}

CheckReport Check(const std::string& data) {
    DataCheckOptions options;
    options.data = data;
    options.registerMoreClasses = RegisterDoor;
    CheckReport report;
    std::string error;
    EXPECT_TRUE(RunDataCheck(options, report, error)) << error;
    return report;
}

// The clean data set with `changes` applied (an empty text removes a file).
CheckReport CheckChanged(const Files& changes) {
    Files files = CleanData();
    for (const auto& [path, bytes] : changes) {
        if (bytes.empty()) {
            files.erase(path);
        } else {
            files[path] = bytes;
        }
    }
    WriteData("data", files);
    return Check("data");
}

#define EXPECT_FINDINGS(report, ...)                                                                         \
    EXPECT_EQ(Joined(Lines(report)), Joined(std::vector<std::string>{__VA_ARGS__}))

testing_support::ToolRun RunDataCheck(const std::string& arguments) {
    return testing_support::RunTool("datacheck", arguments);
}

} // namespace

TEST(DataCheck, CleanDataSetHasNoFindingsAndEngineStateIsLeftEmpty) {
    WriteData("data", CleanData());
    const fs::path before = fs::current_path();
    CheckReport report = Check("data");
    EXPECT_FINDINGS(report);
    EXPECT_EQ(report.filesListed, 12);
    EXPECT_EQ(report.scenesChecked, 3);
    EXPECT_EQ(report.Summary(), "datacheck: 12 files, 3 scene files checked: 0 errors, 0 warnings");
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_FALSE(IsArchiveOpen());
    EXPECT_TRUE(RegisteredClasses().empty());
}

TEST(DataCheck, SceneFilesThatDoNotLoadOrNameUnknownClasses) {
    CheckReport report = CheckChanged({
        {"gui/Empty.scene", "# nothing listed\nlogo.Type = Bitmap;\n"},
        {"gui/Classes.scene",
         "Widget = a;\nWidget = b;\nWidget = c;\nWidget = a;\nWidget = q;\n"
         "a.Type = Bitmap;\nb.Type = Buton;\nc.Position = 1;\nq.Type = Boss;\nq.Whatever = 1;\n"},
        {"gui/Item.widget", "Widget = one;\nWidget = two;\none.Type = Widget;\ntwo.Type = Nothing;\n"},
    });
    EXPECT_FINDINGS(
        report, "error: gui/Classes.scene: element \"b\": class \"Buton\" is not registered",
        "error: gui/Classes.scene: element \"c\" has no Type",
        "error: gui/Classes.scene: element \"a\" is listed twice under \"Widget\"",
        "warning: gui/Classes.scene: element \"q\": class \"Boss\" is not built yet, so the game skips this "
        "element",
        "error: gui/Empty.scene: does not load: it lists no elements under \"Widget\"",
        "warning: gui/Item.widget: only the first of the 2 elements listed under \"Widget\" is read "
        "(\"one\")",
        "warning: gui/Classes.scene: nothing uses this file",
        "warning: gui/Empty.scene: nothing uses this file",
        "warning: gui/Item.widget: nothing uses this file");
}

TEST(DataCheck, KeysAndValuesTheClassesDoNotTake) {
    CheckReport report = CheckChanged({
        {"gui/Title.scene", "Widget = logo;\nWidget = frame;\nWidget = data;\n"
                            "logo.Type = Bitmap;\nlogo.SpritePath = gui/logo.png;\n"
                            "logo.Postion = 1;\n"
                            "logo.FrameIndex = first;\n"
                            "logo.Visible = yes;\n"
                            "logo.Scale = 1;\nlogo.Scale = 1;\nlogo.Scale = 1;\nlogo.Scale = 1;\n"
                            "logo.Parent = data;\n"
                            "frame.Type = Widget;\n"
                            "frame.Parent = fram;\n"
                            "frame.Position = 1.5;\n"
                            "data.Type = Element;\n"
                            "ghost.Position = 1;\n"
                            "Loose = 1;\n"},
    });
    // The keys in the order the table sorts them.
    EXPECT_FINDINGS(
        report, "error: gui/Title.scene: key \"Loose\" belongs to no element",
        "error: gui/Title.scene: Widget \"frame\": parent \"fram\" is no element of this file, so it is "
        "drawn "
        "at the top level",
        "error: gui/Title.scene: key \"ghost.Position\": no element \"ghost\" is listed under \"Widget\"",
        "error: gui/Title.scene: Bitmap \"logo\": \"FrameIndex\" item 0: \"first\" is not a whole number",
        "warning: gui/Title.scene: Bitmap \"logo\": parent Element \"data\" is no widget, so it is drawn at "
        "the top level",
        "error: gui/Title.scene: Bitmap \"logo\": Bitmap has no property \"Postion\"",
        "warning: gui/Title.scene: Bitmap \"logo\": \"Scale\" holds 2 items; the file gives 4 and the "
        "rest are ignored",
        "error: gui/Title.scene: Bitmap \"logo\": \"Visible\" item 0: \"yes\" is not true or false");
}

TEST(DataCheck, LinksAndPicturesThatDoNotResolve) {
    CheckReport report = CheckChanged({
        {"gui/Doors.scene",
         "Widget = front;\nWidget = back;\nWidget = side;\nWidget = knob;\nWidget = plain;\n"
         "Widget = room;\nWidget = broken;\nWidget = anim;\nWidget = bell;\nWidget = quiet;\n"
         "bell.Type = Speaker;\nbell.Sound = audio/bell.ogg;\n"
         "quiet.Type = Speaker;\n"                   // no sound: "null"
         "front.Type = Door;\n"                      // default "handle": absent
         "back.Type = Door;\nback.Handle = knob;\n"  // resolves
         "side.Type = Door;\nside.Handle = plain;\n" // not a widget
         "knob.Type = Widget;\nplain.Type = Element;\n"
         "room.Type = Instance;\nroom.Path = rooms/none.scene;\n"
         "broken.Type = Bitmap;\nbroken.SpritePath = gui/broken.png;\n"
         "anim.Type = Bitmap;\nanim.SpritePath = gui/frame%02d.png;\nanim.FrameIndex = 7;\n"},
        {"gui/broken.png", "this is no picture"},
    });
    const std::vector<std::string> lines = Lines(report);
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(),
                   "error: gui/Doors.scene: Door \"front\": link \"Handle\" names no Widget \"handle\" in "
                   "this file"),
        1);
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(),
                   "error: gui/Doors.scene: Door \"side\": link \"Handle\" names no Widget \"plain\" (its "
                   "class is Element)"),
        1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "error: gui/Doors.scene: Instance \"room\": scene \"rooms/none.scene\" not found"),
              1);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "error: gui/Doors.scene: Bitmap \"anim\": sprite \"gui/frame07.png\" not found"),
              1);
    const auto broken = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.rfind(
                   "error: gui/Doors.scene: Bitmap \"broken\": sprite \"gui/broken.png\" cannot be loaded (",
                   0) == 0;
    });
    EXPECT_NE(broken, lines.end()) << Joined(lines);
    EXPECT_EQ(std::count(lines.begin(), lines.end(),
                         "error: gui/Doors.scene: Speaker \"bell\": sound \"audio/bell.ogg\" not found"),
              1);
    EXPECT_EQ(report.ErrorCount(), 6) << Joined(lines);
}

TEST(DataCheck, EffectsWithBadPolygonsFormatsNamingNoChildAndMissingParticlePictures) {
    CheckReport report = CheckChanged({
        {"gui/Effects.scene",
         "Widget = pond;\nWidget = flat;\nWidget = group;\nWidget = f1;\nWidget = sparks;\n"
         "Widget = dust;\nWidget = shapeless;\nWidget = wave;\n"
         "pond.Type = Region;\npond.Region = 0,0,10,0,x,10;\n"
         "flat.Type = Region;\nflat.Region = 0,0,10,0;\n"
         "group.Type = FrameGroup;\ngroup.format = frame%d;\n"
         "f1.Type = Widget;\nf1.Parent = group;\n"
         "sparks.Type = Emitter;\nsparks.SpritePath = gui/spark.png;\n"
         "dust.Type = Emitter;\ndust.SpritePath = gui/logo.png;\ndust.Pattern = shapeless;\n"
         "shapeless.Type = Bitmap;\nshapeless.SpritePath = gui/none.png;\n"
         "wave.Type = Oscillator;\nwave.nodes = f1;\nwave.target = Position;\n"},
    });
    const std::vector<std::string> lines = Lines(report);
    auto has = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line) == 1; };
    EXPECT_TRUE(has("error: gui/Effects.scene: Region \"pond\": region \"0,0,10,0,x,10\" does not parse (an "
                    "item is not a number)"));
    EXPECT_TRUE(
        has("error: gui/Effects.scene: Region \"flat\": region \"0,0,10,0\" has fewer than 3 points"));
    EXPECT_TRUE(has("error: gui/Effects.scene: FrameGroup \"group\": format \"frame%d\" names none of its 1 "
                    "children"));
    EXPECT_TRUE(has("error: gui/Effects.scene: Emitter \"sparks\": sprite \"gui/spark.png\" not found"));
    EXPECT_TRUE(has("error: gui/Effects.scene: Emitter \"dust\": pattern \"shapeless\" has no picture to "
                    "spawn on"));
    // The bitmap's own picture, and nothing about the emitters' absent vortex or the oscillator's empty
    // nodes.
    EXPECT_EQ(report.ErrorCount(), 6) << Joined(lines);
}

// The settings the game reads with the first cursor picture replaced.
std::string SettingsEveryGameReadsWithCursor(const std::string& picture) {
    std::string settings = kSettingsEveryGameReads;
    const std::string first = "gui/logo.png";
    settings.replace(settings.find(first), first.size(), picture);
    return settings;
}

TEST(DataCheck, SettingsNamingMissingFilesAndStrings) {
    CheckReport report = CheckChanged({
        {"config/globals.scene", "Widget = settings;\nsettings.Type = Globals;\n"
                                 "settings.String_Ok = str.okay;\n"
                                 "settings.String_Yes = menu.yes;\n"
                                 "settings.Music_Game = music/gone.ogg;\n"
                                 "settings.Sound_Bogus = music/theme.ogg;\n"
                                 "settings.Sound_BadClick = text/str.config;\n"
                                 "settings.Quests = config/none.scene;\n"
                                 "settings.Path_DunhavenUI = gui/Title.scene;\n"
                                 "settings.Levels = garden;\n" +
                                     SettingsEveryGameReadsWithCursor("gui/pointer.png")},
    });
    // Settings left at their defaults (String_No, the music of the map, ...)
    // belong to features this game does not read yet, and are not reported.
    EXPECT_FINDINGS(
        report, "error: config/globals.scene: setting \"Quests\": scene \"config/none.scene\" not found",
        "error: config/globals.scene: setting \"String_Ok\": string table \"str\" has no key \"okay\"",
        "error: config/globals.scene: setting \"String_Yes\": no string table \"menu\" holds "
        "\"menu.yes\"",
        "error: config/globals.scene: setting \"Sound_BadClick\": sound \"text/str.config\" cannot be loaded "
        "(Sound "
        "text/str.config: not an Ogg Vorbis file)",
        "error: config/globals.scene: setting \"Music_Game\": music \"music/gone.ogg\" not found",
        "error: config/globals.scene: setting \"Cursor_Default\" item 0: sprite \"gui/pointer.png\" not "
        "found");
}

TEST(DataCheck, ItemsWithoutIconOrNameAndProductsOfUnknownIngredients) {
    CheckReport report = CheckChanged({
        {"config/items.config", "Item = rope;\nItem = hook;\nProduct = rope rope ghost;\n"
                                "Sound = rope creak;\nPersist = ;\n"},
        {"items/rope.png", PngBytes()},
        {"text/item.config", "rope = Rope;\n"},
    });
    EXPECT_FINDINGS(report,
                    "error: config/items.config: \"Persist = \" does not name the right number of items; "
                    "skipped",
                    "error: config/items.config: item \"rope\" names the sound audio/creak.ogg, which is missing",
                    "error: config/items.config: item \"hook\" has no icon items/hook.png",
                    "error: config/items.config: item \"hook\" has no display name \"item.hook\" in the "
                    "string tables",
                    "error: config/items.config: product \"rope\" needs \"ghost\", which is no item");
}

TEST(DataCheck, LevelsWithoutFilesScriptsThatDoNotCompileUnnamedTreasuresAndUnknownLiteralNames) {
    const std::string settings = "Widget = settings;\nsettings.Type = Globals;\nsettings.String_Ok = str.ok;\n"
                                 "settings.Music_Game = music/theme.ogg;\n"
                                 "settings.Path_DunhavenUI = gui/Title.scene;\n"
                                 "settings.LevelCount = 3;\nsettings.Levels = garden;\nsettings.Levels = attic;\n"
                                 "settings.Levels = cellar;\n" +
                                 std::string(kSettingsEveryGameReads);
    CheckReport report = CheckChanged({
        {"config/globals.scene", settings},
        {"levels/garden/garden.scene",
         "Widget = stone;\nstone.Type = Doodad;\nstone.fancyName = pebble;\n"
         "stone.SpritePath = levels/garden/stone%d.png;\nstone.FrameIndex = 2;\n"
         "stone.IconPath = levels/garden/stone2.png;\n"},
        {"levels/garden/garden.lua", "Find('stone')\nShowObject(\"gate\", false)\nHideObject(gate)\n"},
        {"levels/attic/attic.scene", "Widget = box;\nbox.Type = Bitmap;\n"},
        {"levels/attic/attic.lua", "function Initialize(\n"},
    });
    EXPECT_FINDINGS(report,
                    "error: levels/garden/garden.lua: ShowObject(\"gate\"): the level's scene has no element "
                    "\"gate\"",
                    "error: levels/attic/attic.lua: does not compile: levels/attic/attic.lua:2: <name> or '...' "
                    "expected near '<eof>'",
                    "error: config/globals.scene: level \"cellar\" has no scene levels/cellar/cellar.scene",
                    "error: levels/garden/garden.scene: Doodad \"stone\": the treasure type \"pebble\" has no name "
                    "\"treasure.pebble\" in the string tables");
}

TEST(DataCheck, ALevelsMusicMustExistAndIsUsedByItsLevel) {
    const auto garden = [](const std::string& music) {
        return "Widget = stone;\nWidget = options;\nstone.Type = Bitmap;\n"
               "stone.SpritePath = levels/garden/stone%d.png;\nstone.FrameIndex = 2;\n"
               "options.Type = LevelOptions;\noptions.Music = " +
               music + ";\n";
    };
    EXPECT_FINDINGS(CheckChanged({{"levels/garden/garden.scene", garden("music/garden.ogg")},
                                  {"music/garden.ogg", "OggS: only its presence is checked"}}));
    // The piece written before stays in the folder, now used by nothing.
    EXPECT_FINDINGS(CheckChanged({{"levels/garden/garden.scene", garden("music/missing.ogg")}}),
                    "error: levels/garden/garden.scene: level \"garden\" plays the music music/missing.ogg, "
                    "which does not exist",
                    "warning: music/garden.ogg: nothing uses this file");
}

TEST(DataCheck, GadgetsNamingMissingDoodadsLinksToNoLevelAndLockKeysNoLevelGives) {
    const std::string png = PngBytes();
    CheckReport report = CheckChanged({
        {"config/items.config", "Item = rope;\nItem = hook;\nItem = brass_key;\nProduct = grapple rope hook;\n"},
        {"text/item.config", "rope = Rope;\nhook = Hook;\nbrass_key = Key;\ngrapple = Grapple;\n"},
        {"items/rope.png", png},
        {"items/hook.png", png},
        {"items/brass_key.png", png},
        {"items/grapple.png", png},
        {"levels/garden/garden.lua", "CreateLock('gate', 'gate_closed', \"gate_open\", 'brass_key')\n"
                                     "CreateLevelLink('to_shed', 'stone', 'garden_shed')\n"
                                     "CreateLevelLink('to_moon', stone, 'moon')\n"
                                     "BindItem('rope')\nBindItem(computed)\n"},
        // A sub-level: loaded with the garden because its name holds the garden's.
        {"levels/garden_shed/garden_shed.scene", "Widget = hook;\nhook.Type = Bitmap;\n"},
        {"levels/garden_shed/garden_shed.lua", "BindItem('hook')\nCreateLock('box', 'hook', 'hook', 'grapple')\n"
                                               "CreateSwitch('lever', 'lever_off', 'hook')\n"},
    });
    EXPECT_FINDINGS(report,
                    "error: levels/garden/garden.lua: CreateLock(\"gate\"): the level's scene has no doodad "
                    "\"gate_closed\"",
                    "error: levels/garden/garden.lua: CreateLock(\"gate\"): the level's scene has no doodad "
                    "\"gate_open\"",
                    "error: levels/garden/garden.lua: BindItem(\"rope\"): the level's scene has no doodad \"rope\"",
                    "error: levels/garden_shed/garden_shed.lua: CreateSwitch(\"lever\"): the level's scene has no "
                    "doodad \"lever_off\"",
                    "error: levels/garden/garden.lua: CreateLevelLink leads to \"moon\", a level without a scene "
                    "levels/moon/moon.scene",
                    "error: levels/garden/garden.lua: CreateLock needs the item \"brass_key\", which no level "
                    "gives");
}

TEST(DataCheck, DefaultsOfSettingsTheGameReadsMustBeInTheData) {
    CheckReport report = CheckChanged({
        {"config/globals.scene",
         "Widget = settings;\nsettings.Type = Globals;\nsettings.Levels = garden;\n"
         "settings.Path_DunhavenUI = gui/Title.scene;\nsettings.Music_Game = music/theme.ogg;\n"},
    });
    const std::vector<std::string> lines = Lines(report);
    const auto has = [&](const std::string& line) {
        return std::count(lines.begin(), lines.end(), line) == 1;
    };
    EXPECT_TRUE(has("error: config/globals.scene: setting \"Cursor_Link\" item 1 (built-in default): sprite "
                    "\"gui/Cursor/emberlow_link.png\" not found"))
        << Joined(lines);
    EXPECT_TRUE(has("error: config/globals.scene: setting \"Font_HeaderText\" (built-in default): font "
                    "\"fonts/Times_New_Roman_20.config\" not found"))
        << Joined(lines);
    EXPECT_TRUE(has("error: config/globals.scene: setting \"String_GamePaused\" (built-in default): string "
                    "table \"str\" has no key \"game_paused\""))
        << Joined(lines);
    EXPECT_TRUE(has("error: config/globals.scene: setting \"LoadScreen_Fill\" (built-in default): sprite "
                    "\"gui/LoadScreen/fill.tga\" not found"))
        << Joined(lines);
    // Ten cursor pictures, two fonts, the caption, three loading pictures;
    // the cursor configuration is there.
    EXPECT_EQ(report.ErrorCount(), 16) << Joined(lines);
    EXPECT_EQ(lines.back(), "warning: fonts/plain.png: nothing uses this file");
}

TEST(DataCheck, FontsAndTheCursorConfigurationLoadTheirPictures) {
    CheckReport report = CheckChanged({
        {"config/globals.scene",
         "Widget = settings;\nsettings.Type = Globals;\nsettings.Levels = garden;\n"
         "settings.Path_DunhavenUI = gui/Title.scene;\nsettings.Music_Game = music/theme.ogg;\n"
         "settings.String_Ok = str.ok;\n"
         "settings.Font_ItemText = fonts/crowded.config;\n"
         "settings.Font_Handwriting = fonts/none.config;\n"
         "settings.Font_ConsoleText = fonts/blank.config;\n" +
             std::string(kSettingsEveryGameReads)},
        {"fonts/crowded.config", "ImagePath = fonts/plain.png;\nHeight = 2;\nGlyph = 65 2;\nGlyph = 66 2;\n"},
        {"fonts/blank.config", "ImagePath = fonts/blank.png;\n"},
        {"fonts/blank.png", "not a picture at all"},
        {"config/cursor.config", "Sprite = gui/arrow.png;\n"},
    });
    const std::vector<std::string> lines = Lines(report);
    ASSERT_EQ(report.ErrorCount(), 4) << Joined(lines);
    EXPECT_EQ(lines[0],
              "error: config/globals.scene: setting \"CursorConfigPath\" (built-in default): cursor "
              "configuration \"config/cursor.config\": sprite \"gui/arrow.png\" not found");
    EXPECT_EQ(lines[1].rfind("error: config/globals.scene: setting \"Font_ConsoleText\": font "
                             "\"fonts/blank.config\": its picture \"fonts/blank.png\" cannot be loaded (",
                             0),
              0u)
        << lines[1];
    EXPECT_EQ(lines[2],
              "error: config/globals.scene: setting \"Font_Handwriting\": font \"fonts/none.config\" "
              "not found");
    EXPECT_EQ(lines[3],
              "error: config/globals.scene: setting \"Font_ItemText\": font \"fonts/crowded.config\" "
              "does not load (Font fonts/crowded.config: 2 glyph lines but the image holds only 1 cells "
              "of 2 x 2 pixels)");
}

TEST(DataCheck, MissingSettingsFileIsAWarningAndAFileWithoutGlobalsAnError) {
    CheckReport missing = CheckChanged({{"config/globals.scene", ""}, {"music/theme.ogg", ""}});
    const std::vector<std::string> lines = Lines(missing);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0],
              "warning: config/globals.scene: no settings file: the game runs on its built-in settings");
    // The built-in settings are checked as the game reads them.
    for (const std::string& line : lines) {
        if (line.rfind("error: ", 0) == 0) {
            EXPECT_NE(line.find("(built-in default)"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(
        std::count(lines.begin(), lines.end(), "warning: levels/garden/garden.scene: nothing uses this file"),
        1);
    fs::remove_all("data");
    CheckReport wrong = CheckChanged(
        {{"config/globals.scene", "Widget = settings;\nsettings.Type = Widget;\n"}, {"music/theme.ogg", ""}});
    EXPECT_EQ(
        Lines(wrong).at(0),
        "error: config/globals.scene: holds no Globals element, so the game keeps its built-in settings");
}

TEST(DataCheck, UnusedFilesAreWarningsInFoldersAndArchives) {
    Files files = CleanData();
    files["gui/old.png"] = files["gui/logo.png"];
    files["notes/todo.txt"] = "later";
    files[".hidden"] = "editor state";
    WriteData("data", files);
    CheckReport loose = Check("data");
    EXPECT_FINDINGS(loose, "warning: gui/old.png: nothing uses this file",
                    "warning: notes/todo.txt: nothing uses this file");
    EXPECT_EQ(loose.ErrorCount(), 0);

    fs::remove("data/.hidden");
    std::string error;
    ASSERT_TRUE(PackCreate("data", "game.pack", error)) << error;
    CheckReport packed = Check("game.pack");
    EXPECT_EQ(Joined(Lines(packed)), Joined(Lines(loose)));
    EXPECT_FALSE(IsArchiveOpen());
}

TEST(DataCheck, OptionalFilesOfTheSettingsAndJournalPagesOfListedLevelsAreUsed) {
    CheckReport report = CheckChanged({
        {"config/console.config", "Font = fonts/plain.config;\n"},
        {"config/items.lua", "-- shared item functions\n"},
        {"journal/garden.scene", "Widget = note;\nnote.Type = Widget;\n"},
        {"journal/pond.scene", "Widget = note;\nnote.Type = Widget;\n"},
    });
    // Only the page of a level the level list does not name is left over.
    EXPECT_FINDINGS(report, "warning: journal/pond.scene: nothing uses this file");
}

TEST(DataCheck, EveryFrameOfAnAnimatedMarkerLoadsAndCountsAsUsed) {
    Files files = CleanData();
    files["gui/walk_1.png"] = files["gui/logo.png"];
    files["gui/walk_2.png"] = files["gui/logo.png"];
    files["gui/Walker.scene"] = "Widget = walker;\nwalker.Type = PlayerMarker;\n"
                                "walker.sprite = gui/walk_1.png;\nwalker.framePath = gui/walk_%d.png;\n"
                                "walker.frameRange = 1;\nwalker.frameRange = 3;\n";
    WriteData("data", files);
    EXPECT_FINDINGS(Check("data"),
                    "error: gui/Walker.scene: PlayerMarker \"walker\": frame 3: sprite \"gui/walk_3.png\" not found",
                    "warning: gui/Walker.scene: nothing uses this file");
}

TEST(DataCheck, LooseFilesAndTheArchiveFindPathsOfAnyCaseAlike) {
    Files files = CleanData();
    files["gui/sign.png"] = files["gui/logo.png"];
    files["gui/Title.scene"] = "Widget = logo;\nlogo.Type = Bitmap;\nlogo.SpritePath = GUI/Sign.PNG;\n";
    WriteData("data", files);
    EXPECT_FINDINGS(Check("data"));
    std::string error;
    ASSERT_TRUE(PackCreate("data", "data.pack", error)) << error;
    EXPECT_FINDINGS(Check("data.pack"));
    // A folder made from the archive runs like the archive.
    ASSERT_TRUE(PackExtract("data.pack", "extracted", error)) << error;
    EXPECT_FINDINGS(Check("extracted"));
}

TEST(DataCheck, AFolderIsReadAsTheGameReadsItTheArchiveFirst) {
    WriteData("data", CleanData());
    std::string error;
    ASSERT_TRUE(PackCreate("data", "data.pack", error)) << error;
    fs::remove_all("data/gui");
    fs::current_path("data");
    ASSERT_TRUE(fs::copy_file("../data.pack", "data.pack"));
    testing_support::ToolRun here = RunDataCheck("");
    EXPECT_EQ(here.status, 0) << here.output;
    EXPECT_EQ(here.output.rfind("datacheck: reading data.pack first, then the loose files beside it\n", 0),
              0u)
        << here.output;
    fs::current_path("..");
    EXPECT_EQ(RunDataCheck("data").output, here.output);

    ASSERT_TRUE(WriteFile("data/data.pack", "damaged"));
    testing_support::ToolRun damaged = RunDataCheck("data");
    EXPECT_EQ(damaged.status, 1);
    EXPECT_NE(damaged.output.find("error: data.pack: the game refuses this archive (entry count"),
              std::string::npos)
        << damaged.output;
}

TEST(DataCheck, ToolPrintsOneLinePerFindingAndExitsByTheWorst) {
    WriteData("data", CleanData());
    testing_support::ToolRun clean = RunDataCheck("data");
    EXPECT_EQ(clean.status, 0) << clean.output;
    EXPECT_EQ(clean.output, "datacheck: 12 files, 3 scene files checked: 0 errors, 0 warnings\n");

    ASSERT_TRUE(WriteFile("data/gui/spare.png", ReadFile("data/gui/logo.png")));
    EXPECT_EQ(RunDataCheck("data").status, 0);
    ASSERT_TRUE(WriteFile("data/gui/Title.scene", "Widget = logo;\nlogo.Type = Bitmap;\n"
                                                  "logo.SpritePath = gui/lost.png;\n"));
    testing_support::ToolRun failing = RunDataCheck("data");
    EXPECT_EQ(failing.status, 1);
    EXPECT_NE(
        failing.output.find("error: gui/Title.scene: Bitmap \"logo\": sprite \"gui/lost.png\" not found\n"),
        std::string::npos)
        << failing.output;
    EXPECT_NE(failing.output.find(" 1 error, 1 warning\n"), std::string::npos) << failing.output;

    EXPECT_EQ(RunDataCheck("nowhere").status, 2);
    ASSERT_TRUE(WriteFile("fake.pack", "not an archive"));
    testing_support::ToolRun fake = RunDataCheck("fake.pack");
    EXPECT_EQ(fake.status, 2);
    EXPECT_NE(fake.output.find("fake.pack is not a readable pack archive: entry count"), std::string::npos)
        << fake.output;
    EXPECT_EQ(RunDataCheck("nowhere").output, "datacheck: cannot open nowhere: No such file or directory\n");
    EXPECT_EQ(RunDataCheck("one two").status, 2);
}

#ifdef TEST_DATA_STAGING
TEST(DataCheck, DemoDataHasNoFindings) {
    CheckReport report = Check(TEST_DATA_STAGING);
    EXPECT_EQ(Joined(Lines(report)), "");
    EXPECT_GT(report.scenesChecked, 0);
}
#endif

TEST(DataCheck, ControlFacesAndAnimationChannelsOfTheScenesThatPlayThem) {
    CheckReport report = CheckChanged({
        {"gui/Menu.scene", "Widget = menu;\nWidget = panel;\nWidget = ok;\nWidget = box;\nWidget = fancy;\n"
                           "menu.Type = WelcomePanel;\nmenu.playButton = ok;\nmenu.slideBox = box;\n"
                           "menu.showAnim = gui/slide.anim;\nmenu.hideAnim = gui/still.anim;\n"
                           "panel.Type = Bitmap;\npanel.SpritePath = gui/logo.png;\n"
                           "ok.Type = Button;\nok.UpPath = gui/logo.png;\nok.OverPath = gui/missing.png;\n"
                           "box.Type = CheckBox;\nbox.sprites = gui/logo.png;\nbox.sprites = gui/logo.png;\n"
                           "box.sprites = gui/logo.png;\nbox.check = gui/nocheck.png;\n"
                           "fancy.Type = TextButton;\nfancy.Center = gui/nope.png;\n"},
        {"gui/slide.anim", "Channel = panel.Position.1,k;\nChannel = ghost.Position.0,k;\n"
                           "Channel = panel.Spin.0,k;\nChannel = panel.Position.7,k;\nChannel = panel,k;\n"
                           "k = 0,1;\n"},
        {"gui/still.anim", "Channel = panel.Position.0,k;\nk = 0,1;\n"},
    });
    const std::vector<std::string> lines = Lines(report);
    const std::string prefix = "error: gui/Menu.scene: ";
    for (const std::string& expected : {
             prefix + "Button \"ok\": \"OverPath\": sprite \"gui/missing.png\" not found",
             prefix + "CheckBox \"box\": sprite \"gui/nocheck.png\" not found",
             prefix + "TextButton \"fancy\": \"Center\": sprite \"gui/nope.png\" not found",
             prefix +
                 "WelcomePanel \"menu\": animation \"gui/slide.anim\": channel \"ghost.Position.0\" names no "
                 "element \"ghost\" in this file",
             prefix + "WelcomePanel \"menu\": animation \"gui/slide.anim\": channel \"panel.Spin.0\" names no "
                      "property \"Spin\" of Bitmap \"panel\"",
             prefix +
                 "WelcomePanel \"menu\": animation \"gui/slide.anim\": channel \"panel.Position.7\" names an "
                 "item past the 3 of \"Position\"",
             prefix + "WelcomePanel \"menu\": animation \"gui/slide.anim\": channel \"panel\" is not "
                      "element.Property.item",
         }) {
        EXPECT_EQ(std::count(lines.begin(), lines.end(), expected), 1) << expected << "\n" << Joined(lines);
    }
    EXPECT_EQ(report.ErrorCount(), 7) << Joined(lines);
}

TEST(DataCheck, LevelObjectsWithBadRegionsOrUnnamedTreasuresAndAHudMissingItsChildren) {
    CheckReport report = CheckChanged({
        {"text/treasure.config", "shell = Shell;\n"},
        {"levels/garden/garden.scene",
         "Widget = stone;\nWidget = shell;\nWidget = pebble;\nWidget = gate;\n"
         "stone.Type = Bitmap;\nstone.SpritePath = levels/garden/stone%d.png;\nstone.FrameIndex = 2;\n"
         "shell.Type = Doodad;\nshell.SpritePath = levels/garden/stone2.png;\n"
         "shell.IconPath = levels/garden/stone2.png;\nshell.fancyName = shell;\n"
         "pebble.Type = Doodad;\npebble.SpritePath = levels/garden/stone2.png;\n"
         "pebble.IconPath = levels/garden/stone2.png;\npebble.fancyName = pebble;\n"
         "gate.Type = Hotspot;\ngate.Region = 0,0, 40,0, 40;\n"},
        {"gui/Title.scene", "Widget = hud;\nWidget = hint_button;\nhud.Type = GameScreen;\n"
                            "hint_button.Type = Button;\nhint_button.UpPath = gui/logo.png;\n"
                            "hint_button.DownPath = gui/logo.png;\nhint_button.OverPath = gui/logo.png;\n"
                            "hint_button.DisabledPath = gui/logo.png;\n"},
    });
    const std::vector<std::string> lines = Lines(report);
    auto has = [&](const std::string& line) { return std::count(lines.begin(), lines.end(), line) == 1; };
    EXPECT_TRUE(
        has("error: levels/garden/garden.scene: Doodad \"pebble\": the treasure type \"pebble\" has no "
            "name \"treasure.pebble\" in the string tables"))
        << Joined(lines);
    EXPECT_TRUE(has("error: levels/garden/garden.scene: Hotspot \"gate\": region \"0,0, 40,0, 40\" does not "
                    "parse (the numbers do not come in pairs): the hotspot can never be clicked"))
        << Joined(lines);
    // Nothing about the hotspot's icon: a hotspot takes none from its file.
    EXPECT_EQ(report.ErrorCount(), 2) << Joined(lines);
    // The HUD: the hint button binds; every other child is a warning naming what it lacks.
    EXPECT_TRUE(
        has("warning: gui/Title.scene: GameScreen \"hud\": the HUD goes without it: link \"disc\" names "
            "no Bitmap \"disc\" in this file"))
        << Joined(lines);
    EXPECT_EQ(
        std::count_if(lines.begin(), lines.end(),
                      [](const std::string& line) { return line.find("hintButton") != std::string::npos; }),
        0);
}

TEST(DataCheck, StoriesWithMissingPagesLoopsUnreachedPagesMissingPicturesAndTextsTooLong) {
    // Boxes 10 pixels wide, 5 high, in the plain font: 'A' is 2 pixels, a line 2.
    std::string boxes;
    for (const char* box : {"text", "one", "first", "second"}) {
        boxes += std::string(box) + ".Type = TextBox;\n" + box + ".Font = 2;\n" + box + ".Area = 10;\n" + box +
                 ".Area = 5;\n";
    }
    CheckReport report = CheckChanged({
        {"gui/StoryScreen.scene", "Widget = story;\nWidget = text;\nWidget = one;\nWidget = first;\n"
                                  "Widget = second;\nstory.Type = StoryScreen;\nstory.dialogueText = text;\n"
                                  "story.singleResponse = one;\nstory.doubleResponse = first;\n"
                                  "story.doubleResponse = second;\n" +
                                      boxes},
        {"dialogue/actors/smile.png", PngBytes()},
        {"dialogue/scripts/quay.config", "Actor = A, face, Left;\nPage = A, B, Gone;\nPage = B, C;\nPage = C, B;\n"
                                         "Page = D, End;\nEmote = A, smile;\nA = AAAA;\nA = AA;\nA = AA;\n"
                                         "B = AAAAAAAA;\nB = AA;\nC = AA;\nC = AA AA AA AA AA;\nD = AA;\nD = AA;\n"},
    });
    std::vector<std::string> story;
    for (const std::string& line : Lines(report)) {
        if (line.find("dialogue/scripts/quay.config") != std::string::npos) {
            story.push_back(line);
        }
    }
    const std::string file = "dialogue/scripts/quay.config: ";
    EXPECT_EQ(Joined(story),
              Joined({
                  "error: " + file + "the picture of the actor \"A\" \"dialogue/actors/face.png\" does not load",
                  "error: " + file + "page \"A\": answer 2 leads to \"Gone\", a page the story does not have",
                  "error: " + file + "page \"B\": the text does not fit the story screen's box \"text\"",
                  "error: " + file + "page \"C\": answer 1 does not fit the story screen's box \"one\"",
                  "warning: " + file + "page \"A\": no answers lead on to the end: only skipping leaves",
                  "warning: " + file + "page \"B\": no answers lead on to the end: only skipping leaves",
                  "warning: " + file + "page \"C\": no answers lead on to the end: only skipping leaves",
                  "warning: " + file + "page \"D\": no answer leads here from the start page",
              }));
}

TEST(DataCheck, MapMarkersNeighboursReachAndChangesAgainstTheLevelList) {
    // Levels garden, pond, shed: shed has no marker, pond is an island, the
    // marker attic is no level; bend lists a waypoint that does not exist;
    // one change names an unknown level, one a missing widget.
    CheckReport report = CheckChanged({
        {"config/globals.scene", std::string("Widget = settings;\nsettings.Type = Globals;\n"
                                             "settings.String_Ok = str.ok;\n"
                                             "settings.Music_Game = music/theme.ogg;\n"
                                             "settings.Path_DunhavenUI = gui/Title.scene;\n"
                                             "settings.LevelCount = 3;\nsettings.Levels = garden;\n"
                                             "settings.Levels = pond;\nsettings.Levels = shed;\n") +
                                     kSettingsEveryGameReads},
        {"gui/MapScreen.scene", "Widget = map_screen;\nmap_screen.Type = MapScreen;\n"
                                "map_screen.map = map/town.scene;\nmap_screen.changes = map/changes.scene;\n"},
        {"map/town.scene", "Widget = garden;\nWidget = bend;\nWidget = attic;\nWidget = pond;\nWidget = roof;\n"
                           "garden.Type = LevelMarker;\ngarden.neighbors = bend;\n"
                           "bend.Type = Waypoint;\nbend.neighbors = attic;\nbend.neighbors = nowhere;\n"
                           "attic.Type = LevelMarker;\npond.Type = LevelMarker;\nroof.Type = Bitmap;\n"},
        {"map/changes.scene", "Widget = c1;\nWidget = c2;\nWidget = c3;\n"
                              "c1.Type = MapChange;\nc1.Level = cellar;\nc1.Target = roof;\n"
                              "c2.Type = MapChange;\nc2.Level = garden;\nc2.Target = ghost;\n"
                              "c3.Type = MapChange;\nc3.Level = pond;\nc3.Target = sky;\n"},
    });
    const std::string text = Joined(Lines(report));
    auto has = [&text](const std::string& fragment) { return text.find(fragment) != std::string::npos; };
    EXPECT_TRUE(has("error: map/town.scene: the level \"shed\" has no LevelMarker")) << text;
    EXPECT_TRUE(has("warning: map/town.scene: ") && has("attic") && has("names no entry of the Levels")) << text;
    EXPECT_TRUE(has("the neighbour \"nowhere\" is no other waypoint")) << text;
    EXPECT_TRUE(has("cannot be reached from the first level's marker \"garden\"")) << text;
    EXPECT_TRUE(has("error: map/changes.scene: ") && has("the level \"cellar\" is no entry of Levels")) << text;
    EXPECT_TRUE(has("the target \"ghost\" is no widget of the map")) << text;
    EXPECT_FALSE(has("\"sky\"")) << "the sky is a target of its own";
    EXPECT_FALSE(has("\"roof\" is no widget")) << text;
    // attic is reached through bend; only pond is cut off.
    EXPECT_FALSE(has("attic\" cannot be reached") || has("attic cannot be reached")) << text;
}

namespace {

// The errors the check of the clean data set plus `changes` finds in `file`.
std::string ErrorsIn(const std::string& file, const Files& changes) {
    std::string errors;
    for (const std::string& line : Lines(CheckChanged(changes))) {
        if (line.rfind("error: " + file + ": ", 0) == 0) {
            errors += line + "\n";
        }
    }
    return errors;
}

// The window's default pieces, each 2 × 2 pixels.
void AddWindowPieces(Files& files) {
    const std::string png = PngBytes();
    for (const char* piece : {"TL", "T", "TR", "L", "R", "BL", "B", "BR"}) {
        files[std::string("gui/Window/frame_") + piece + ".png"] = png;
        files[std::string("gui/Window/fill_") + piece + ".png"] = png;
    }
    files["gui/Window/fill_BG.png"] = png;
}

} // namespace

TEST(DataCheck, TextBoxesAndTextWindowsWhoseStringKeysAreMissing) {
    const std::string scene = "Widget = box;\nWidget = other;\nWidget = plain;\nWidget = note;\n"
                              "box.Type = TextBox;\nbox.Text = str.welcome;\n"
                              "other.Type = TextBox;\nother.Text = menus.welcome;\n"
                              // Literal texts and a box that shows its text as it is.
                              "plain.Type = TextBox;\nplain.Text = Welcome home.;\n"
                              "note.Type = TextBox;\nnote.Text = str.raw;\nnote.UseLookup = false;\n";
    const std::string window = "Widget = w;\nw.Type = TextWindow;\nw.font = fonts/plain.config;\n"
                               "w.text = str.welcome;\nw.area = 10;\nw.area = 10;\n";
    EXPECT_EQ(ErrorsIn("gui/Texts.scene", {{"gui/Texts.scene", scene}}),
              "error: gui/Texts.scene: TextBox \"box\": text string table \"str\" has no key \"welcome\"\n"
              "error: gui/Texts.scene: TextBox \"other\": text no string table \"menus\" holds "
              "\"menus.welcome\"\n");
    Files withWindow = {{"gui/Window.scene", window}};
    AddWindowPieces(withWindow);
    EXPECT_EQ(ErrorsIn("gui/Window.scene", withWindow),
              "error: gui/Window.scene: TextWindow \"w\": text string table \"str\" has no key \"welcome\"\n");
    // With the key in the table and the table that was named wrongly renamed.
    Files fixed = {{"gui/Texts.scene", scene},
                   {"gui/Window.scene", window},
                   {"text/str.config", "ok = OK;\npaused = Paused;\nwelcome = A;\n"},
                   {"text/menus.config", "welcome = AA;\n"}};
    AddWindowPieces(fixed);
    EXPECT_EQ(ErrorsIn("gui/Texts.scene", fixed), "");
    EXPECT_EQ(ErrorsIn("gui/Window.scene", fixed), "");
}

TEST(DataCheck, TextsThatDoNotFitTheirAreaWithTheirFont) {
    // The plain font: 'A' advances 2 pixels, a blank 0, lines are 2 pixels apart.
    auto scene = [](const char* boxHeight, const char* windowTiles) {
        return std::string("Widget = wide;\nWidget = tall;\nWidget = w;\n"
                           "wide.Type = TextBox;\nwide.Font = 2;\nwide.Text = str.wide;\n"
                           "wide.Area = 12;\nwide.Area = 40;\n"
                           "tall.Type = TextBox;\ntall.Font = 2;\ntall.Text = str.tall;\n"
                           "tall.Area = 12;\ntall.Area = ") +
               boxHeight +
               ";\n"
               // Window pieces of 2 × 2 pixels: the middle is 2 pixels per tile.
               "w.Type = TextWindow;\nw.font = fonts/plain.config;\nw.text = str.tall;\nw.area = 5;\n"
               "w.area = " +
               windowTiles + ";\n";
    };
    Files files = {{"text/str.config", "ok = OK;\npaused = Paused;\nwide = AAA AAAAAA AA;\n"
                                       "tall = AAAA AAAA AAAA;\n"},
                   {"gui/Texts.scene", scene("6", "2")}};
    AddWindowPieces(files);
    // Three lines of 2 pixels reach the box's bottom edge: the last must end above it.
    EXPECT_EQ(ErrorsIn("gui/Texts.scene", files),
              "error: gui/Texts.scene: TextBox \"wide\": text \"str.wide\" does not fit its area: the word "
              "\"AAAAAA\" is 12 px wide, the area 12 px (1 px too narrow: a line must be narrower than the "
              "area)\n"
              "error: gui/Texts.scene: TextBox \"tall\": text \"str.tall\" does not fit its area: 3 lines of 2 "
              "px take 6 px, the area is 6 px high (1 px too low)\n"
              "error: gui/Texts.scene: TextWindow \"w\": text \"str.tall\" does not fit its middle: 3 lines of "
              "2 px take 6 px, the area is 4 px high (2 px too low)\n");
    files["text/str.config"] = "ok = OK;\npaused = Paused;\nwide = AAA AAAAA AA;\ntall = AAAA AAAA AAAA;\n";
    files["gui/Texts.scene"] = scene("7", "3");
    EXPECT_EQ(ErrorsIn("gui/Texts.scene", files), "");
}

TEST(DataCheck, WindowsWithMissingFrameOrBackgroundPieces) {
    Files files = {{"gui/Frames.scene", "Widget = framed;\nWidget = bare;\n"
                                        "framed.Type = Window;\nframed.segments = gui/Window/frame_TL.png;\n"
                                        "framed.segments = gui/Window/frame_T.png;\n"
                                        // The text window draws neither frame nor background:
                                        // its missing pieces are no fault.
                                        "bare.Type = TextWindow;\nbare.font = fonts/plain.config;\n"
                                        "bare.segments = gui/none.png;\nbare.backgrounds = gui/none.png;\n"
                                        "bare.drawFrame = false;\nbare.drawBackground = false;\n"}};
    AddWindowPieces(files);
    Files broken = files;
    broken["gui/Window/frame_T.png"] = "";
    broken["gui/Window/fill_BG.png"] = "";
    EXPECT_EQ(ErrorsIn("gui/Frames.scene", broken),
              "error: gui/Frames.scene: Window \"framed\": frame piece top: sprite \"gui/Window/frame_T.png\" "
              "not found\n"
              "error: gui/Frames.scene: Window \"framed\": background piece centre: sprite "
              "\"gui/Window/fill_BG.png\" not found\n");
    EXPECT_EQ(ErrorsIn("gui/Frames.scene", files), "");
}
