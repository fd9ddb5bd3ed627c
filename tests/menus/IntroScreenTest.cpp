// The intro a new game opens with, in-process on small files: a new player
// names a profile first, the intro movie plays, and its end starts the
// player's level; without a movie the level starts at once.
#include "menus/IntroScreen.h"

#include "../data/GameDataFixture.h"
#include "anim/AnimResources.h"
#include "app/EngineClasses.h"
#include "core/FrameTime.h"
#include "io/Resources.h"
#include "menus/MenuSupport.h"
#include "menus/MovieScreen.h"
#include "menus/ProfilePrompt.h"
#include "play/LevelScenes.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "support/VirtualPlatform.h"
#include "ui/TextBox.h"
#include "ui/UI.h"

using testing_support::WriteFile;

namespace {

// One second of a panel moving: the whole movie.
const char* const kAnim = "FrameCount = 12;\nFrameRate = 12;\nChannel = panel.Position.1,y;\n"
                          "y = 0,0.0;\ny = 12,10.0;\n";

class IntroScreenTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
        InstallRenderResourceLoaders();
        InstallAnimResourceLoader();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        ResetScreenCamera();
        frameTime = 0.05f;
        ASSERT_TRUE(WriteFile("gui/IntroScreen.scene", "Widget = intro;\nintro.Type = IntroScreen;\n"));
        ASSERT_TRUE(WriteFile("gui/ProfilePrompt.scene",
                              "Widget = prompt;\nWidget = ok;\nWidget = name;\nprompt.Type = ProfilePrompt;\n"
                              "prompt.okButton = ok;\nprompt.nameText = name;\nok.Type = Button;\n"
                              "name.Type = TextBox;\nname.Edit = true;\n"));
        ASSERT_TRUE(WriteFile("video/slide.anim", kAnim));
        ASSERT_TRUE(WriteFile("video/intro.scene", "Widget = movie;\nWidget = panel;\nmovie.Type = MovieScreen;\n"
                                                   "movie.anim = video/slide.anim;\npanel.Type = Widget;\n"));
        ASSERT_TRUE(WriteFile("gui/DunhavenHud.scene", "Widget = hud;\nhud.Type = QuestScreen;\n"));
        ASSERT_TRUE(WriteFile("levels/cove/cove.scene", "Widget = options;\noptions.Type = LevelOptions;\n"));
        ASSERT_TRUE(WriteFile("levels/cove/cove.lua", "function Initialize() SetRootLevel('cove') end\n"));
        GetGlobals()->FindProperty("Levels")->SetString(0, "cove");
        startup.LoadOptionsAndState();
    }
    void Run(float seconds) {
        for (float t = 0.0f; t < seconds; t += frameTime) {
            GetUI().Update();
        }
    }
    const char* TopClass() {
        Screen* top = GetUI().TopScreen();
        return top ? top->GetClassName() : "(none)";
    }

    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
};

} // namespace

TEST_F(IntroScreenTest, ANewPlayerNamesAProfileThenSeesTheMovieThenTheLevel) {
    ASSERT_EQ(RegisteredCurrentPlayer(), nullptr);
    ASSERT_TRUE(GetUI().SetScreen("IntroScreen", 0));
    Run(0.1f);
    auto* prompt = ObjectCast<ProfilePrompt>(GetUI().TopScreen());
    ASSERT_NE(prompt, nullptr) << TopClass();
    Run(1.0f);
    EXPECT_STREQ(TopClass(), "ProfilePrompt") << "the movie waits for the name";
    prompt->nameText.Get()->SetText("Ann");
    prompt->Message(message::kTextEntered, prompt->nameText.Get());

    Run(0.2f);
    EXPECT_STREQ(TopClass(), "MovieScreen");
    State* player = RegisteredCurrentPlayer();
    ASSERT_NE(player, nullptr);
    EXPECT_STREQ(player->PlayerName.FirstString().CStr(), "Ann");
    EXPECT_TRUE(Has("state.scene")) << "the new profile is saved at once";

    Run(1.5f);
    Screen* level = GetUI().TopScreen();
    ASSERT_NE(level, nullptr);
    EXPECT_TRUE(level->IsA("QuestScreen")) << TopClass();
    EXPECT_EQ(GetUI().Stack().size(), 1u);
}

TEST_F(IntroScreenTest, WithoutAMovieTheLevelStartsAtOnceAndWithoutALevelTheTitleShows) {
    ASSERT_GE(CreatePlayer("Bo"), 0);
    ASSERT_TRUE(SelectPlayer(0));
    ASSERT_TRUE(std::filesystem::remove("video/intro.scene"));
    ASSERT_TRUE(GetUI().SetScreen("IntroScreen", 0));
    Run(0.2f);
    ASSERT_NE(GetUI().TopScreen(), nullptr);
    EXPECT_TRUE(GetUI().TopScreen()->IsA("QuestScreen")) << TopClass();

    // A player past the last level has nothing to start.
    ASSERT_TRUE(WriteFile("gui/TitleScreen.scene", "Widget = title;\ntitle.Type = TitleScreen;\n"));
    RegisteredCurrentPlayer()->CurrentLevel.SetFirstInt(5);
    ASSERT_TRUE(GetUI().SetScreen("IntroScreen", 0));
    Run(0.2f);
    EXPECT_STREQ(TopClass(), "TitleScreen");
}
