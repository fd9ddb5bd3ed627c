// End to end: the demo's chapter played in the real game as a player plays
// it, from a fresh profile: the name typed, the intro skipped, the stories
// read with their answers clicked, the map walked by clicking the place the
// player stands at, every hidden object found by clicking it (where each
// lies is read from the level files), the boathouse's items used and the
// keeper's Leapfrog board solved from a computed solution. At each step the
// test checks what the player would see: the screen reached (the log lines
// the screens write), the list lines struck, the profile's save. Every step
// leaves a screenshot in playthrough/ (restart/ for the second test) in the
// build folder.
//
// The second test closes the window in the middle of the chapter, starts
// the game again on the same profile and finishes from where it was.
//
// The places are a table: the order of the chapter, how each is played
// (its scene file's mode, its script's steps for the adventure) and which
// answer its stories get. The console is never used: everything here is
// done by a player's clicks and keys.
#include "harness/GameSession.h"
#include "harness/Pictures.h"
#include "harness/Playing.h"

#include "core/Matrix.h"
#include "menus/MapScreen.h"
#include "render/Image.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class Chapter;

struct Place {
    const char* level;
    /// The answer (1 or 2) chosen where a story of this place offers two.
    int answer;
    /// Steps of a level played through its script (mode 0); finds are made
    /// for the other modes.
    void (*steps)(Chapter&) = nullptr;
};

void SolveTheBoathouse(Chapter& chapter);

// The chapter in the order of the Levels setting.
const Place kChapter[] = {
    {"harbour_square", 1}, {"lighthouse", 2}, {"market_hall", 1}, {"boathouse", 1, SolveTheBoathouse},
    {"keepers_study", 2}, {"lamp_room", 1}, {"festival", 1},
};
constexpr size_t kPlaces = sizeof kChapter / sizeof kChapter[0];

constexpr const char* kPlayerName = "Wren";
// The title's play button; where the pointer rests away from every control.
constexpr int kTitlePlayX = 512, kTitlePlayY = 514;
// A text button's face: from its top-left corner to its centre, down.
constexpr float kButtonMiddleY = 34.0f;
constexpr int kRestX = 1000, kRestY = 380;
// Level modes of a scene's LevelOptions.
constexpr int kScripted = 0, kList = 1, kPairs = 2, kTypes = 3;

std::string ContentFile(const std::string& relative) {
    return std::string(TEST_SOURCE_DIR) + "/../content/" + relative;
}

bool ContentExists(const std::string& relative) {
    return fs::exists(ContentFile(relative));
}

std::string LevelFile(const std::string& level, const char* extension) {
    return "levels/" + level + "/" + level + extension;
}

// The place whose completion completes the game: LastPlayableLevel of the settings.
size_t EndingPlace() {
    const SceneFile globals("config/globals.scene");
    const std::vector<std::string> settings = globals.ElementsWith("LastPlayableLevel");
    return settings.empty() ? SIZE_MAX : size_t(globals.Number(settings[0], "LastPlayableLevel", 0, -1.0f));
}

// Where the map's camera stands over a marker: centred on it, kept inside
// the map's extents (the Map_Extents setting).
Vec2 MapCamera(const ScenePoint& marker) {
    const SceneFile globals("config/globals.scene");
    const std::vector<std::string> settings = globals.ElementsWith("Map_Extents");
    EXPECT_FALSE(settings.empty()) << "no Map_Extents setting";
    float extents[4] = {};
    for (size_t i = 0; i < 4 && !settings.empty(); ++i) {
        extents[i] = globals.Number(settings[0], "Map_Extents", i);
    }
    return ClampCamera(Vec2{marker.x, marker.y}, extents, 1024.0f, 768.0f);
}

// The screen point of the middle of text button `button` of a screen's scene file.
std::pair<int, int> ButtonMiddle(const SceneFile& screen, const std::string& button) {
    const ScenePoint corner = screen.Position(button);
    return {ScreenX(corner.x + screen.Number(button, "MinWidth", 0) / 2.0f), ScreenY(corner.y + kButtonMiddleY)};
}

// "key = value;" of the profile's player state, "" when missing.
std::string SavedValue(const std::string& key) {
    std::istringstream lines(testing_support::ReadFile(GameSession::FindSaveFile("state.scene")));
    std::string line;
    while (std::getline(lines, line)) {
        const size_t dot = line.find('.');
        const std::string prefix = key + " = ";
        if (dot != std::string::npos && line.compare(dot + 1, prefix.size(), prefix) == 0) {
            const size_t begin = dot + 1 + prefix.size();
            return line.substr(begin, line.find(';', begin) - begin);
        }
    }
    return "";
}

// The treasures of a level a save records as found.
std::set<std::string> FoundInSave(const std::string& level) {
    std::set<std::string> found;
    const std::string path = GameSession::FindSaveFile("0_" + level + ".save");
    std::istringstream lines(path.empty() ? "" : testing_support::ReadFile(path));
    std::string line;
    const std::string used = ".used = true;";
    while (std::getline(lines, line)) {
        if (line.size() > used.size() && line.compare(line.size() - used.size(), used.size(), used) == 0) {
            const std::string head = line.substr(0, line.size() - used.size());
            found.insert(head.substr(head.rfind('.') + 1));
        }
    }
    return found;
}

// "type N, type N": the list's lines as the level last wrote them to the log.
std::vector<std::pair<std::string, int>> ListLines(const std::string& log, const std::string& level) {
    const std::string prefix = "Level " + level + ": the list reads ";
    const size_t at = log.rfind(prefix);
    std::vector<std::pair<std::string, int>> lines;
    if (at == std::string::npos) {
        return lines;
    }
    const size_t begin = at + prefix.size();
    std::istringstream entries(log.substr(begin, log.find('\n', begin) - begin));
    std::string entry;
    while (std::getline(entries, entry, ',')) {
        const size_t first = entry.find_first_not_of(' ');
        const size_t space = entry.rfind(' ');
        if (first != std::string::npos && space != std::string::npos && space > first) {
            lines.emplace_back(entry.substr(first, space - first), std::atoi(entry.c_str() + space + 1));
        }
    }
    return lines;
}

class Chapter {
public:
    Chapter(GameSession& session, const std::string& folder) : game(session), watch(session), shots(folder) {
        if (!shotsCleared.count(folder)) {
            fs::remove_all(shots);
            shotsCleared.insert(folder);
        }
        fs::create_directories(shots);
    }

    GameSession& game;
    LogWatch watch;

    // Keeps the picture as NN-step.png.
    void Keep(const Image& picture, const std::string& step) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d-", ++shotCounts[shots]);
        const std::string path = (fs::path(shots) / (number + step + ".png")).string();
        if (SavePicture(picture, path) && announce) {
            std::cout << "screenshot " << path << std::endl;
        }
    }
    /// Names every screenshot on the standard output as it is written.
    bool announce = false;
    void Shot(const std::string& step) {
        Image picture;
        if (!game.WaitForStillPicture(picture, 10.0)) {
            game.Capture(picture);
        }
        Keep(picture, step);
    }

    // A fresh profile: the name is asked, typed; the intro movie is skipped.
    void BeginNewGame() {
        ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(watch.WaitFor("IntroScreen: a new player is asked for a name", 30.0)) << game.Log();
        Shot("name-asked");
        ASSERT_TRUE(game.Type(kPlayerName));
        Shot("name-typed");
        ASSERT_TRUE(game.Key("Return"));
        ASSERT_TRUE(watch.WaitFor(
            "IntroScreen: the new player '" + std::string(kPlayerName) + "' is the current profile", 20.0))
            << game.Log();
        EXPECT_EQ(SavedValue("PlayerName"), kPlayerName) << "the new profile is saved";
        ASSERT_TRUE(watch.WaitFor("PlayMovie: intro plays", 20.0)) << game.Log();
        Pause(2.0);
        Image movie;
        ASSERT_TRUE(game.Capture(movie));
        Keep(movie, "intro-movie");
        ASSERT_TRUE(game.Key("Escape"));
        ASSERT_TRUE(watch.WaitFor("IntroScreen: the player's level starts", 30.0, nullptr, true))
            << game.Log();
    }

    // A returning player: the title greets; its play button goes on where
    // the profile was, on the map (the player clicks the place) or in the place.
    void ContinueFromTitle(size_t place) {
        ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        Image title;
        ASSERT_TRUE(game.WaitForStillPicture(title, 20.0));
        // The title's menu fades in after two seconds.
        Pause(4.0);
        Shot("title-welcome-back");
        ASSERT_TRUE(game.Click(kTitlePlayX, kTitlePlayY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        // The place shows when it was loaded behind the title; else the map
        // opens. (Its line comes once it shows, not while it waits behind.)
        const bool inThePlace =
            watch.WaitFor("Level " + std::string(kChapter[place].level) + ": on screen", 15.0, nullptr, true);
        if (!inThePlace) {
            TravelTo(place);
        }
    }

    // On the map after a place: the marker walks to the next place, where
    // the player clicks. The camera stands over the marker, kept inside the
    // map's extents.
    void TravelTo(size_t place) {
        const std::string level = kChapter[place].level;
        Image map;
        // The walk pauses between the map's changes and its steps; it has
        // ended once the picture stays still for longer than those pauses,
        // or, with the map's lamps and smoke moving, after the longest walk.
        if (!WaitForQuiet(game, map, 4.0, 20.0)) {
            ASSERT_TRUE(game.Capture(map));
        }
        Keep(map, "map-to-" + level);
        if (lastMap.Create(map.Width(), map.Height())) {
            std::memcpy(lastMap.Pixels(), map.Pixels(), map.PixelBytes());
        }
        const SceneFile town("map/town.scene");
        ASSERT_TRUE(town.Has(level, "Position")) << "no marker for " << level;
        const ScenePoint marker = town.Position(level);
        const Vec2 camera = MapCamera(marker);
        watch.SkipAhead();
        ASSERT_TRUE(game.Click(ScreenX(marker.x - camera.x), ScreenY(marker.y - camera.y)));
        ASSERT_TRUE(watch.WaitFor("Level " + level + ": on screen", 30.0, nullptr, true))
            << "a click on the marker of " << level << " did not start it\n"
            << game.Log();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        EXPECT_EQ(SavedValue("CurrentLevel"), std::to_string(place)) << "the profile records the place";
    }

    // Plays the place the player has just entered, up to its end.
    void PlayPlace(size_t place, size_t findLimit = SIZE_MAX) {
        const Place& here = kChapter[place];
        const std::string level = here.level;
        if (ContentExists("dialogue/scripts/" + level + "_intro.config")) {
            ASSERT_TRUE(watch.WaitFor("ShowStory: '" + level + "_intro' is told", 30.0, nullptr, true))
                << game.Log();
            ASSERT_TRUE(ReadStory(game, watch, level + "_intro", here.answer,
                                  [this](const Image& page, const std::string& name) { Keep(page, name); }));
        }
        Pause(2.0);
        if (ScriptPlaysPuzzle(level)) {
            SolvePuzzle();
        }
        Shot(level);
        const SceneFile scene(LevelFile(level, ".scene"));
        const int mode = int(scene.Number("options", "GameMode", 0));
        if (mode == kScripted) {
            ASSERT_NE(here.steps, nullptr) << level << " is played through its script: it needs its steps";
            here.steps(*this);
        } else {
            FindEverything(level, scene, mode, findLimit);
        }
        if (testing::Test::HasFatalFailure() || findLimit != SIZE_MAX) {
            return;
        }
        // A movie may play before the level ends (the lamp failing at the point).
        // The ending completes the game instead of the level.
        const bool ending = place == EndingPlace();
        const std::string finished =
            "Level " + level + (ending ? ": the game is completed" : ": the player finished the level");
        bool movieKept = false;
        for (int wait = 0; wait < 180 && !watch.WaitFor(finished, 0.5, nullptr, true); ++wait) {
            if (!movieKept && watch.WaitFor("PlayMovie: ", 0.0, nullptr, true)) {
                Pause(1.5);
                Image movie;
                ASSERT_TRUE(game.Capture(movie));
                Keep(movie, "movie-" + level);
                movieKept = true;
            }
        }
        ASSERT_TRUE(watch.WaitFor(finished, 1.0))
            << "every treasure of " << level << " was clicked, yet the level did not finish\n"
            << game.Log();
        if (ending) {
            return;
        }
        if (ContentExists("dialogue/scripts/" + level + "_outro.config")) {
            ASSERT_TRUE(watch.WaitFor("ShowStory: '" + level + "_outro' is told", 30.0, nullptr, true))
                << game.Log();
            ASSERT_TRUE(ReadStory(game, watch, level + "_outro", here.answer,
                                  [this](const Image& page, const std::string& name) { Keep(page, name); }));
        }
        ASSERT_TRUE(watch.WaitFor("Level " + level + ": the map opens", 60.0)) << game.Log();
    }

    // Plays from place `from` to the chapter's end.
    void PlayOn(size_t from) {
        for (size_t place = from; place < kPlaces; ++place) {
            if (place > 0) {
                TravelTo(place);
            }
            if (testing::Test::HasFatalFailure()) {
                return;
            }
            PlayPlace(place);
            if (testing::Test::HasFatalFailure()) {
                return;
            }
            if (place > 0 && place != EndingPlace()) {
                SeeTheLampRelit(place);
            }
        }
    }

    // The map opening after the place that relights the lighthouse shows its
    // lamp burning: before the traveller sets off, the camera stands where it
    // stood when the player arrived there, and the glow is where that map
    // showed the lamp dark.
    void SeeTheLampRelit(size_t place) {
        const SceneFile changes("map/changes.scene");
        const std::vector<std::string>& lights = changes.Values("lamp_relit", "Level");
        if (lights.empty() || lights[0] != kChapter[place].level || lastMap.Width() == 0) {
            return;
        }
        const SceneFile town("map/town.scene");
        const Vec2 camera = MapCamera(town.Position(kChapter[place].level));
        // The middle of the lamp's glow, a square of 60 pixels around it.
        const ScenePoint lamp = town.Position("lamp_lit");
        constexpr float size = 300.0f; // the glow picture's side
        const int x = ScreenX(lamp.x + size / 2 - camera.x), y = ScreenY(lamp.y + size / 2 - camera.y);
        ASSERT_TRUE(x >= 30 && x < 994 && y >= 30 && y < 738) << "the lamp lies off the screen";
        const auto glow = [&](const Image& picture) {
            double sum = 0.0;
            for (int row = y - 30; row < y + 30; ++row) {
                const uint8_t* pixel = picture.Pixels() + (size_t(row) * picture.Width() + size_t(x - 30)) * 4;
                for (int column = 0; column < 60; ++column, pixel += 4) {
                    sum += pixel[0] + pixel[1] + pixel[2];
                }
            }
            return sum / (60.0 * 60.0 * 3.0);
        };
        const double dark = glow(lastMap);
        Image now;
        double lit = 0.0;
        for (int attempt = 0; attempt < 24 && lit < dark + 40.0; ++attempt) {
            Pause(0.25);
            ASSERT_TRUE(game.Capture(now));
            lit = glow(now);
        }
        Keep(now, "map-lamp-relit");
        EXPECT_GE(lit, dark + 40.0) << "the lighthouse's lamp does not burn on the map after "
                                    << kChapter[place].level << " (mean " << dark << " before, " << lit
                                    << " after)";
    }

    // After the ending: the credits roll over the finished game, and their
    // OK leads to the title, with the ending loaded behind it.
    void WatchTheCredits() {
        ASSERT_TRUE(watch.WaitFor("CreditsScreen: the credits roll", 30.0)) << game.Log();
        // The first page fades in after two seconds.
        Pause(3.5);
        Image credits;
        ASSERT_TRUE(game.Capture(credits));
        Keep(credits, "credits");
        EXPECT_EQ(SavedValue("CurrentLevel"), std::to_string(kPlaces - 1)) << "the finished game is saved";
        const auto [okX, okY] = ButtonMiddle(SceneFile("gui/CreditsScreen.scene"), "ok_button");
        watch.SkipAhead();
        ASSERT_TRUE(game.Click(okX, okY));
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        ASSERT_TRUE(watch.WaitFor("Level " + std::string(kChapter[kPlaces - 1].level) + ": on screen", 30.0))
            << "the credits' OK did not lead back to the title over the ending\n"
            << game.Log();
        // The title's menu fades in after two seconds.
        Pause(4.0);
        Shot("title-after-the-credits");
    }

    // The title's play button on a finished game asks whether to start
    // again; Yes starts a new game for the same player: the intro movie,
    // then the first place, with nothing found.
    void StartOver() {
        Image title;
        ASSERT_TRUE(game.Capture(title));
        ASSERT_TRUE(game.Click(kTitlePlayX, kTitlePlayY));
        ASSERT_TRUE(watch.WaitFor("TitleScreen: the game is finished; starting over is offered", 20.0))
            << game.Log();
        ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
        Pause(1.5);
        Image question;
        ASSERT_TRUE(game.Capture(question));
        Keep(question, "start-over-question");
        EXPECT_GT(DifferingShare(title, question), 0.05) << "the question shows over the title";
        const auto [yesX, yesY] = ButtonMiddle(SceneFile("gui/Prompt.scene"), "ok");
        ASSERT_TRUE(game.Click(yesX, yesY));
        ASSERT_TRUE(watch.WaitFor("TitleScreen: the player starts over", 20.0)) << game.Log();
        ASSERT_TRUE(watch.WaitFor("PlayMovie: intro plays", 30.0)) << game.Log();
        EXPECT_EQ(SavedValue("CurrentLevel"), "0") << "the new game is saved";
        EXPECT_EQ(SavedValue("PlayerName"), kPlayerName) << "the player keeps the name";
        Pause(1.0);
        ASSERT_TRUE(game.Key("Escape"));
        const std::string first = kChapter[0].level;
        ASSERT_TRUE(watch.WaitFor("Level " + first + ": on screen", 30.0)) << game.Log();
        EXPECT_TRUE(FoundInSave(first).empty()) << "the new game finds nothing found in " << first;
        Shot("started-over");
    }

    // Finds every treasure a save does not record as found: the kinds on
    // the list (List), each with its twin (Pairs), or all (Types).
    void FindEverything(const std::string& level, const SceneFile& scene, int mode, size_t limit = SIZE_MAX) {
        std::set<std::string> found = FoundInSave(level);
        size_t clicks = 0;
        const std::vector<std::string> treasures = scene.ElementsWith("fancyName");
        ASSERT_FALSE(treasures.empty()) << level << " hides nothing";
        auto kindOf = [&](const std::string& name) { return scene.Values(name, "fancyName")[0]; };
        auto find = [&](const std::string& name) {
            ASSERT_TRUE(ClickElement(game, scene, name, 0, 0.45)) << "no click on " << name << "\n"
                                                                  << game.Log();
            found.insert(name);
            ++clicks;
        };
        if (mode == kPairs) {
            for (size_t i = 0; i < treasures.size() && clicks < limit; ++i) {
                for (size_t j = i + 1; j < treasures.size() && !found.count(treasures[i]); ++j) {
                    if (!found.count(treasures[j]) && kindOf(treasures[j]) == kindOf(treasures[i])) {
                        find(treasures[i]);
                        find(treasures[j]);
                        Pause(0.3);
                    }
                }
                if (i == 1) {
                    Shot(level + "-first-pair");
                }
            }
            return;
        }
        if (mode == kTypes) {
            for (size_t i = 0; i < treasures.size() && clicks < limit; ++i) {
                if (!found.count(treasures[i])) {
                    find(treasures[i]);
                }
                if (i == 2) {
                    Shot(level + "-three-found");
                }
            }
            return;
        }
        ASSERT_EQ(mode, kList) << level;
        // The list names the kinds to find; a found kind's line is struck,
        // then it takes a kind not yet listed.
        std::set<std::string> listed, struck;
        std::set<std::string> kinds;
        for (const std::string& name : treasures) {
            kinds.insert(kindOf(name));
        }
        for (int round = 0; found.size() < treasures.size() && clicks < limit && round < 40; ++round) {
            const auto lines = ListLines(game.Log(), level);
            ASSERT_FALSE(lines.empty()) << "the list of " << level << " was never written\n" << game.Log();
            bool clicked = false;
            for (const auto& [kind, left] : lines) {
                listed.insert(kind);
                if (left == 0) {
                    struck.insert(kind);
                    continue;
                }
                for (const std::string& name : treasures) {
                    if (kindOf(name) == kind && !found.count(name)) {
                        find(name);
                        clicked = true;
                    }
                }
            }
            if (round == 0) {
                Shot(level + "-first-kinds-found");
            }
            if (!clicked) {
                Pause(0.5);
            } else {
                // The finds fly to their lines, the lines are struck, new kinds come.
                Pause(1.5);
            }
        }
        if (clicks >= limit) {
            return;
        }
        EXPECT_EQ(listed, kinds) << "every kind came onto the list of " << level;
        for (const auto& [kind, left] : ListLines(game.Log(), level)) {
            if (left == 0) {
                struck.insert(kind);
            }
        }
        EXPECT_GE(struck.size() + 12, kinds.size()) << "the kinds found were struck on the list";
        // The ending's last find completes the game before its line is struck.
        const size_t ending = EndingPlace();
        EXPECT_TRUE(!struck.empty() || (ending < kPlaces && level == kChapter[ending].level))
            << "a found kind's line was struck in " << level;
    }

    bool ScriptPlaysPuzzle(const std::string& level) {
        return testing_support::ReadFile(ContentFile(LevelFile(level, ".lua"))).find("PlayPuzzle(") !=
               std::string::npos;
    }

    // The board the level opened, solved with clicks from a computed solution.
    void SolvePuzzle() {
        std::string line;
        ASSERT_TRUE(watch.WaitFor("PlayPuzzle: ", 20.0, &line)) << game.Log();
        const std::string opens = " opens with layout ";
        const size_t name = line.find("PlayPuzzle: ") + 12;
        const size_t at = line.find(opens);
        ASSERT_NE(at, std::string::npos) << line;
        const std::string puzzle = line.substr(name, at - name);
        const std::string layout = line.substr(at + opens.size());
        const LeapfrogPlan plan = PlanLeapfrog(puzzle, layout);
        ASSERT_FALSE(plan.moves.empty()) << "the board " << puzzle << " / " << layout << " can be solved";
        Pause(2.0); // the board slides in
        Image board;
        ASSERT_TRUE(game.Capture(board));
        Keep(board, "puzzle-" + puzzle);
        ASSERT_TRUE(PlayLeapfrog(game, plan));
        ASSERT_TRUE(watch.WaitFor("Puzzle " + puzzle + ": solved", 15.0)) << game.Log();
        Pause(2.0);
        Shot("puzzle-" + puzzle + "-solved");
    }

private:
    std::string shots;
    // The map as the player last arrived at a place.
    Image lastMap;
    // Per folder: the sessions of one test number their steps on.
    static inline std::map<std::string, int> shotCounts;
    static inline std::set<std::string> shotsCleared;
};

// The boathouse, solved as its script lays it out: the rope, the hook in
// the workbench's close-up, the two combined into a grapple, which reaches
// the key; the key opens the chest, whose handle fits the winch; the winch
// lowers the boat.
void SolveTheBoathouse(Chapter& chapter) {
    GameSession& game = chapter.game;
    LogWatch& watch = chapter.watch;
    const SceneFile root(LevelFile("boathouse", ".scene"));
    const SceneFile bench(LevelFile("boathouse_bench", ".scene"));
    Inventory inventory(game);
    ASSERT_TRUE(ClickElement(game, root, "rope"));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: picked up rope", 10.0)) << game.Log();
    ASSERT_TRUE(ClickElement(game, root, "workbench"));
    ASSERT_TRUE(watch.WaitFor("Level boathouse_bench: on screen", 10.0)) << game.Log();
    chapter.Shot("boathouse-bench");
    ASSERT_TRUE(ClickElement(game, bench, "hook", 0, 1.5));
    ASSERT_TRUE(watch.WaitFor("Level boathouse_bench: picked up hook", 10.0)) << game.Log();
    // The left edge of the close-up leads back.
    ASSERT_TRUE(game.Click(30, 384));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: on screen", 10.0)) << game.Log();
    Pause(1.5);
    // Rope (slot 1) in hand, dropped on the hook (slot 2): the grapple.
    ASSERT_TRUE(inventory.ClickSlot(0));
    ASSERT_TRUE(inventory.ClickSlot(1));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: combined rope and hook into grapple", 10.0)) << game.Log();
    chapter.Shot("boathouse-grapple");
    ASSERT_TRUE(inventory.ClickSlot(1));
    ASSERT_TRUE(ClickElement(game, root, "key"));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: picked up key", 10.0)) << game.Log();
    Pause(1.5);
    ASSERT_TRUE(inventory.ClickSlot(0));
    ASSERT_TRUE(ClickElement(game, root, "chest_closed"));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: key opens the lock chest", 10.0)) << game.Log();
    chapter.Shot("boathouse-chest-open");
    ASSERT_TRUE(ClickElement(game, root, "handle", 0, 1.5));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: picked up handle", 10.0)) << game.Log();
    ASSERT_TRUE(inventory.ClickSlot(0));
    ASSERT_TRUE(ClickElement(game, root, "winch_bare"));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: handle opens the lock winch_socket", 10.0)) << game.Log();
    Pause(1.0);
    ASSERT_TRUE(ClickElement(game, root, "winch_off", 4));
    ASSERT_TRUE(watch.WaitFor("Level boathouse: the switch winch turns on", 10.0, nullptr, true))
        << game.Log();
    chapter.Shot("boathouse-boat-lowered");
}

// Below the build folder: the test's own working folder goes with the test.
std::string ShotsFolder(const char* name) {
    const std::string folder = (fs::path(TEST_BINARY_DIR) / name).string();
    std::cout << "Screenshots of every step: " << folder << std::endl;
    return folder;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

} // namespace

TEST(PlaythroughEndToEnd, TheWholeChapterIsPlayedFromANewProfile) {
    if (kSanitized) {
        GTEST_SKIP()
            << "the whole chapter takes too long under the sanitizers; the places' own tests run there";
    }
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    Chapter chapter(game, ShotsFolder("playthrough"));
    chapter.BeginNewGame();
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    chapter.PlayOn(0);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    chapter.WatchTheCredits();
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    chapter.StartOver();
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    EXPECT_EQ(game.Log().find("MapScreen:"), std::string::npos) << "the map reports no problem\n"
                                                                << game.Log();
    EXPECT_EQ(game.Close(), 0) << game.Log();
}

// The player closes the window in the market after a few finds and starts
// the game again: the title continues the chapter in the market, whose story
// is told again, and the chapter is played on from there to the credits.
TEST(PlaythroughEndToEnd, QuitInTheMiddleTheChapterGoesOnFromWhereItWasAfterARestart) {
    if (kSanitized) {
        GTEST_SKIP()
            << "the whole chapter takes too long under the sanitizers; the places' own tests run there";
    }
    // The window closes in the market, after a few finds.
    constexpr size_t kQuitIn = 2;
    const std::string folder = ShotsFolder("restart");
    {
        GameSession game;
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        Chapter chapter(game, folder);
        chapter.BeginNewGame();
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        for (size_t place = 0; place < kQuitIn; ++place) {
            if (place > 0) {
                chapter.TravelTo(place);
            }
            ASSERT_FALSE(testing::Test::HasFatalFailure());
            chapter.PlayPlace(place);
            ASSERT_FALSE(testing::Test::HasFatalFailure());
        }
        chapter.TravelTo(kQuitIn);
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        chapter.PlayPlace(kQuitIn, 3);
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        chapter.Shot("before-quit");
        EXPECT_EQ(game.Close(), 0) << game.Log();
    }
    EXPECT_EQ(SavedValue("CurrentLevel"), std::to_string(kQuitIn)) << "the profile remembers the place";
    EXPECT_EQ(SavedValue("PlayerName"), kPlayerName);
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    Chapter chapter(game, folder);
    chapter.ContinueFromTitle(kQuitIn);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    chapter.PlayPlace(kQuitIn);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    chapter.PlayOn(kQuitIn + 1);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    chapter.WatchTheCredits();
    EXPECT_EQ(game.Close(), 0) << game.Log();
}

// The short tour that ./play.sh shows on a machine without a display (not
// part of the suite): a new player named, the intro movie, a story read, a
// few finds on the harbour square, the map, the keeper's board solved, and
// the title greeting the player when the game starts again. The console
// ends the square and opens the study, to keep the tour short. The
// screenshots go to DUNHAVEN_TOUR_DIR (else tour/ in the build folder).
TEST(PlaythroughEndToEnd, DISABLED_ShortTour) {
    const char* named = std::getenv("DUNHAVEN_TOUR_DIR");
    const std::string folder = named && *named ? std::string(named) : ShotsFolder("tour");
    {
        GameSession game;
        ASSERT_TRUE(game.Display().Ready()) << game.Problem();
        Chapter chapter(game, folder);
        chapter.announce = true;
        chapter.BeginNewGame();
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        chapter.PlayPlace(0, 6);
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        chapter.Shot("harbour_square-a-few-found");
        ASSERT_TRUE(game.Console("completeLevel"));
        ASSERT_TRUE(chapter.watch.WaitFor("Level harbour_square: the map opens", 60.0)) << game.Log();
        chapter.TravelTo(1);
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        Pause(3.0);
        chapter.Shot("lighthouse");
        ASSERT_TRUE(game.Console("loadLevel keepers_study"));
        chapter.SolvePuzzle();
        ASSERT_FALSE(testing::Test::HasFatalFailure());
        EXPECT_EQ(game.Close(), 0) << game.Log();
    }
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    Chapter chapter(game, folder);
    chapter.announce = true;
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    ASSERT_TRUE(game.MoveMouse(kRestX, kRestY));
    Image title;
    ASSERT_TRUE(game.WaitForStillPicture(title, 20.0));
    Pause(4.0); // the title's menu fades in
    chapter.Shot("title-welcome-back");
    EXPECT_EQ(game.Close(), 0) << game.Log();
}
