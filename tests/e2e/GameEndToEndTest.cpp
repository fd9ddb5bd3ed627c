// End to end: the real game binary on its data under a private X server,
// driven with real input, judged by what a player would see and keep:
// screenshots, the window's answers to mouse and focus, the files saved.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "PngWriter.h"
#include "support/TestEnvironment.h"

#include "core/ConfigTable.h"
#include "render/Image.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr const char* kShutdownLine = "Dunhaven shut down after ";

// Starts the game and waits for its window; the test stops when it cannot.
#define START_GAME(session)                                                                                  \
    ASSERT_TRUE((session).Display().Ready()) << (session).Problem();                                         \
    ASSERT_TRUE((session).WaitForWindow()) << (session).Problem()

// The start-up log lines show for 5 s as the console's status line: waits
// until it has faded, on slow machines too.
void WaitOutTheStatusLine() {
    std::this_thread::sleep_for(std::chrono::milliseconds(static_cast<int>(6000 * GameSession::TimeScale())));
}

// Where two pictures differ: how many differing pixels lie in each of two
// boxes, and how many outside both.
struct DifferenceSpread {
    long inFirst = 0;
    long inSecond = 0;
    long elsewhere = 0;
};

struct Box {
    int left, top, right, bottom;
    bool Holds(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// The cursor's picture hangs below and to the right of the pointer; the box
// allows for a hotspot inside the picture.
Box CursorBox(int x, int y) {
    return {x - 16, y - 16, x + 64, y + 64};
}

DifferenceSpread SpreadOfDifferences(const Image& a, const Image& b, Box first, Box second) {
    DifferenceSpread spread;
    for (uint32_t y = 0; y < a.Height() && y < b.Height(); ++y) {
        for (uint32_t x = 0; x < a.Width() && x < b.Width(); ++x) {
            const uint8_t* p = a.PixelAt(x, y);
            const uint8_t* q = b.PixelAt(x, y);
            if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) <= 12) {
                continue;
            }
            const int px = static_cast<int>(x), py = static_cast<int>(y);
            if (first.Holds(px, py)) {
                ++spread.inFirst;
            } else if (second.Holds(px, py)) {
                ++spread.inSecond;
            } else {
                ++spread.elsewhere;
            }
        }
    }
    return spread;
}

// A data set of one first screen: a card of four coloured quarters,
// 200 x 100 pixels, in the middle of the picture.
std::string WriteSmallDataSet() {
    const std::string folder = testing_support::TestTempDir() + "/small-data";
    testing_support::WriteFile(folder + "/gui/IntroScreen.scene", "Widget = intro;\n"
                                                                  "Widget = card;\n"
                                                                  "intro.Type = Screen;\n"
                                                                  "card.Type = Bitmap;\n"
                                                                  "card.SpritePath = gui/card.png;\n"
                                                                  "card.Position = -100;\n"
                                                                  "card.Position = -50;\n");
    constexpr uint32_t kWidth = 200, kHeight = 100;
    std::vector<uint8_t> pixels(kWidth * kHeight * 4);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            const bool right = x >= kWidth / 2, bottom = y >= kHeight / 2;
            // Blue, green, red, alpha: red, green / blue, white.
            const uint8_t quarter[4][4] = {
                {0, 0, 255, 255}, {0, 255, 0, 255}, {255, 0, 0, 255}, {255, 255, 255, 255}};
            std::memcpy(&pixels[(y * kWidth + x) * 4], quarter[(bottom ? 2 : 0) + (right ? 1 : 0)], 4);
        }
    }
    std::string error;
    EXPECT_TRUE(WritePng((folder + "/gui/card.png").c_str(), pixels.data(), kWidth, kHeight, error)) << error;
    return folder;
}

// The colour of a pixel as "r,g,b".
std::string ColourAt(const Image& picture, uint32_t x, uint32_t y) {
    const uint8_t* pixel = picture.PixelAt(x, y);
    if (!pixel) {
        return "outside";
    }
    return std::to_string(pixel[2]) + "," + std::to_string(pixel[1]) + "," + std::to_string(pixel[0]);
}

} // namespace

TEST(EndToEnd, ClosingTheWindowEndsTheGameAndWritesTheOptionsFile) {
    GameSession game;
    START_GAME(game);
    EXPECT_FALSE(game.Display().WindowTitle(game.Window()).empty());
    Image picture;
    ASSERT_TRUE(game.WaitForStillPicture(picture)) << "the picture never settled";
    EXPECT_EQ(picture.Width(), 1024u);
    EXPECT_EQ(picture.Height(), 768u);
    ASSERT_EQ(GameSession::FindSaveFile("options.widget"), "") << "written before the game ended";

    EXPECT_EQ(game.Close(), 0) << game.Log();
    EXPECT_NE(game.Log().find(kShutdownLine), std::string::npos) << game.Log();
    const std::string saved = GameSession::FindSaveFile("options.widget");
    ASSERT_NE(saved, "") << "no options.widget below XDG_DATA_HOME; the game's log:\n" << game.Log();
    ConfigTable options;
    ASSERT_TRUE(options.Load(saved.c_str()));
    const String* type = options.Value(0, "options.Type");
    ASSERT_NE(type, nullptr);
    EXPECT_EQ(type->View(), "Options");
    int32_t build = 0;
    EXPECT_TRUE(options.GetInt(0, "options.BuildVersion", build));
    EXPECT_GT(build, 0);
}

TEST(EndToEnd, FirstScreenAppearsAndLooksAsExpected) {
    GameSession game;
    START_GAME(game);
    // The pointer rests in a corner so that the cursor is drawn at one place.
    ASSERT_TRUE(game.MoveMouse(960, 700));
    Image picture;
    ASSERT_TRUE(game.WaitForStillPicture(picture)) << "the first screen never settled";
    EXPECT_TRUE(LooksLikeExpected(picture, "first_screen"));
    EXPECT_EQ(game.Close(), 0) << game.Log();
}

TEST(EndToEnd, CursorFollowsTheMouse) {
    GameSession game;
    START_GAME(game);
    Image atFirst, atSecond, atThird;
    // Going full screen puts the pointer in the middle of the picture: the
    // pointer is moved once the first screen is there.
    ASSERT_TRUE(game.WaitForStillPicture(atFirst));
    ASSERT_TRUE(game.MoveMouse(200, 150));
    // The pictures compared below are taken once the status line has faded.
    WaitOutTheStatusLine();
    ASSERT_TRUE(game.WaitForStillPicture(atFirst));
    ASSERT_TRUE(game.MoveMouse(700, 560));
    ASSERT_TRUE(game.WaitForStillPicture(atSecond));
    // Only the cursor moved: everything that changed lies where it was and where it is.
    const DifferenceSpread moved =
        SpreadOfDifferences(atFirst, atSecond, CursorBox(200, 150), CursorBox(700, 560));
    EXPECT_GT(moved.inFirst, 20);
    EXPECT_GT(moved.inSecond, 20);
    EXPECT_EQ(moved.elsewhere, 0);

    // Back to the first place: the same picture as before.
    ASSERT_TRUE(game.MoveMouse(200, 150));
    ASSERT_TRUE(game.WaitForStillPicture(atThird));
    EXPECT_LT(DifferingShare(atFirst, atThird), 0.0005);
    EXPECT_EQ(game.Close(), 0) << game.Log();
}

TEST(EndToEnd, SmallDataSetShowsItsFirstScreenAndClosingWritesTheOptions) {
    GameSession game(WriteSmallDataSet());
    START_GAME(game);
    Image picture;
    ASSERT_TRUE(game.WaitForStillPicture(picture)) << "the first screen never settled; the log:\n"
                                                   << game.Log();
    // The card's quarters, centred on the picture, on black.
    EXPECT_EQ(ColourAt(picture, 462, 359), "255,0,0");
    EXPECT_EQ(ColourAt(picture, 562, 359), "0,255,0");
    EXPECT_EQ(ColourAt(picture, 462, 409), "0,0,255");
    EXPECT_EQ(ColourAt(picture, 562, 409), "255,255,255");
    EXPECT_EQ(ColourAt(picture, 100, 100), "0,0,0");
    EXPECT_EQ(ColourAt(picture, 411, 384), "0,0,0");
    EXPECT_EQ(ColourAt(picture, 612, 384), "0,0,0");
    EXPECT_TRUE(LooksLikeExpected(picture, "small_data_first_screen"));

    EXPECT_EQ(game.Close(), 0) << game.Log();
    EXPECT_NE(GameSession::FindSaveFile("options.widget"), "") << game.Log();
}

TEST(EndToEnd, LosingTheFocusShowsThePausedViewAndRegainingItLeavesIt) {
    GameSession game;
    START_GAME(game);
    ASSERT_TRUE(game.MoveMouse(960, 700));
    Image playing, paused, back;
    // The start-up log lines show for 5 s as the console's status line: the
    // first picture is taken once it has faded (its last, faint picture
    // once stayed on screen until the focus came back).
    WaitOutTheStatusLine();
    ASSERT_TRUE(game.WaitForStillPicture(playing));

    // Another program takes the keyboard focus.
    ASSERT_TRUE(game.Display().Unfocus());
    ASSERT_TRUE(game.WaitForStillPicture(paused)) << "the paused view never settled";
    // The blur changes every edge (smooth sky and grass stay much the same) and the caption appears.
    EXPECT_GT(DifferingShare(playing, paused), 0.05) << "the picture hardly changed when the focus went";
    EXPECT_TRUE(LooksLikeExpected(paused, "paused_view"));

    // The player clicks back into the game.
    ASSERT_TRUE(game.Display().Focus(game.Window()));
    ASSERT_TRUE(game.WaitForStillPicture(back));
    EXPECT_LT(DifferingShare(playing, back), 0.0005) << "the game did not come back as it was";
    EXPECT_EQ(game.Close(), 0) << game.Log();
}

namespace {
// Asks `holds` every 50 ms until it is true or `seconds` have passed.
template <typename Condition>
bool WaitUntil(Condition holds, double seconds) {
    const auto start = std::chrono::steady_clock::now();
    while (!holds()) {
        if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >
            seconds * GameSession::TimeScale()) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}
} // namespace

TEST(EndToEnd, OnADesktopTheGameLeavesFullScreenMinimisedWhenThePlayerSwitchesAwayAndReturnsToIt) {
    GameSession game(GameSession::WithWindowManager{});
    START_GAME(game);
    VirtualDisplay& display = game.Display();
    Image before, after, returned;
    ASSERT_TRUE(game.MoveMouse(700, 600));
    ASSERT_TRUE(game.WaitForStillPicture(before));
    EXPECT_TRUE(display.IsFullScreenState(game.Window()));

    // The player switches to another program: the game steps aside.
    const unsigned long other = display.OpenOtherWindow();
    ASSERT_NE(other, 0UL);
    ASSERT_TRUE(display.Xdotool({"windowactivate", "--sync", std::to_string(other)}));
    EXPECT_TRUE(WaitUntil([&] { return display.IsIconic(game.Window()); }, 10.0)) << "the game was not minimised";
    EXPECT_FALSE(display.IsFullScreenState(game.Window()));

    // And back: full screen again, and the pointer reaches the game (the
    // cursor it draws follows the mouse).
    ASSERT_TRUE(display.Xdotool({"windowactivate", "--sync", std::to_string(game.Window())}));
    EXPECT_TRUE(WaitUntil(
        [&] { return !display.IsIconic(game.Window()) && display.IsFullScreenState(game.Window()); }, 10.0))
        << "the game did not come back full screen";
    // The cursor is drawn where the pointer was left (700, 600); each move
    // below must show in a new picture.
    ASSERT_TRUE(game.WaitForStillPicture(returned)) << game.Log();
    ASSERT_TRUE(game.MoveMouse(200, 600));
    ASSERT_TRUE(game.WaitForChangedStillPicture(returned, before)) << "the cursor did not follow the mouse";
    ASSERT_TRUE(game.MoveMouse(700, 600));
    ASSERT_TRUE(game.WaitForChangedStillPicture(before, after)) << "the cursor did not follow the mouse";
    const DifferenceSpread moved = SpreadOfDifferences(before, after, CursorBox(200, 600), CursorBox(700, 600));
    EXPECT_GT(moved.inFirst, 20);
    EXPECT_GT(moved.inSecond, 20);
    EXPECT_EQ(game.Close(), 0) << game.Log();
}
