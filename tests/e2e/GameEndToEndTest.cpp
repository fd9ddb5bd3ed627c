// End to end: the real game binary on its data under a private X server,
// driven with real input, judged by what a player would see and keep:
// screenshots, the window's answers to mouse and focus, the files saved.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "core/ConfigTable.h"
#include "render/Image.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kShutdownLine = "Dunhaven shut down after ";

// Starts the game and waits for its window; the test stops when it cannot.
#define START_GAME(session)                                                                                  \
    ASSERT_TRUE((session).Display().Ready()) << (session).Problem();                                         \
    ASSERT_TRUE((session).WaitForWindow()) << (session).Problem()

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
