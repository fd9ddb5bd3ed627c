// The title, credits, options and profiles screens on the real screen stack,
// loaded from small scene files, driven by frames of 0.1 s, messages and
// clicks as their controls send them.
#include "../data/GameDataFixture.h"

#include "anim/AnimResources.h"
#include "app/EngineClasses.h"
#include "audio/Audio.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "menus/ContinueGame.h"
#include "menus/CreditsScreen.h"
#include "menus/OptionsMenu.h"
#include "menus/ProfilesMenu.h"
#include "menus/TitleScreen.h"
#include "render/Image.h"
#include "support/TestEnvironment.h"
#include "support/VirtualPlatform.h"
#include "ui/Prompt.h"
#include "ui/UI.h"

#include <string>

using testing_support::WriteFile;

namespace {

// Scene text: one line per item, "name.Key = value;".
std::string Lines(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + ";\n";
    }
    return text;
}

std::string Declare(const std::string& name, const std::string& type) {
    return Lines({"Widget = " + name, name + ".Type = " + type});
}

class MenuScreens : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
        InstallAnimResourceLoader();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        LoadStateFile();
        ASSERT_NE(gameState, nullptr);
        frameTime = 0.1f;
        ASSERT_TRUE(
            WriteFile("gui/idle.anim", "FrameCount = 10;\nChannel = nobody.Position.0,k;\nk = 0,0;\n"));
    }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            GetUI().Update();
        }
    }
    template <typename T> T* Push(const char* className) {
        EXPECT_TRUE(GetUI().PushScreenByName(className, 0));
        return ObjectCast<T>(GetUI().TopScreen());
    }
    Element* Find(Screen* screen, const char* name) { return screen->scene->FindElement(name); }
    void Click(Screen* screen, const char* button) { screen->Message(kButtonClicked, Find(screen, button)); }

    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
};

TEST_F(MenuScreens, TheTitleGreetsThePlayerAndItsMenuWaitsTwoSecondsOnlyTheFirstTime) {
    ASSERT_TRUE(WriteFile("text/str.config", "player_welcome = Welcome back, %s!;\n"));
    ASSERT_TRUE(LoadStringTables());
    ASSERT_TRUE(SelectPlayer(CreatePlayer("Mira")));
    std::string scene = Declare("title", "TitleScreen") + Lines({"title.idleAnim = gui/idle.anim"});
    for (const char* name : {"overlay_group", "welcome_text"}) {
        scene += Declare(name, std::string(name) == "overlay_group" ? "Widget" : "TextBox");
    }
    for (const char* name : {"play_button", "options_button", "quit_button", "help_button"}) {
        scene += Declare(name, "Button");
    }
    ASSERT_TRUE(WriteFile("gui/TitleScreen.scene", scene));
    TitleScreen::titleShownBefore = false;

    auto* title = Push<TitleScreen>("TitleScreen");
    ASSERT_NE(title, nullptr);
    Widget* overlay = title->overlayGroup.Get();
    EXPECT_STREQ(title->welcomeText.Get()->Text.FirstString().CStr(), "Welcome back, Mira!");
    Frames(19);
    EXPECT_FALSE(overlay->Visible.FirstBool()) << "hidden for the first two seconds";
    Frames(2);
    EXPECT_TRUE(overlay->Visible.FirstBool());

    GetUI().PopScreen(0);
    title = Push<TitleScreen>("TitleScreen");
    ASSERT_NE(title, nullptr);
    Frames(1);
    EXPECT_TRUE(title->overlayGroup.Get()->Visible.FirstBool()) << "at once on a second showing";
}

TEST_F(MenuScreens, AFinishedGameOfFewerLevelsThanTheListContinuesOnItsOwnLastLevel) {
    Globals* settings = GetGlobals();
    settings->FindProperty("LevelCount")->SetFirstInt(3);
    settings->FindProperty("LastPlayableLevel")->SetFirstInt(2);
    Var* levels = settings->FindProperty("Levels");
    ASSERT_GT(levels->GetCount(), 3) << "the list keeps its full count of names";
    levels->SetString(0, "garden");
    levels->SetString(1, "attic");
    levels->SetString(2, "ending");
    ASSERT_TRUE(SelectPlayer(CreatePlayer("Mira")));
    State* player = CurrentPlayer();
    ASSERT_NE(player, nullptr);
    player->CurrentLevel.SetFirstInt(2);
    ASSERT_TRUE(player->IsGameFinished());
    ASSERT_TRUE(WriteFile("gui/TitleScreen.scene", Declare("title", "TitleScreen")));
    testing_support::LogCapture log;
    ContinueGame();
    EXPECT_TRUE(log.Contains("'ending'")) << "the ending is the last of the game's three levels";
    EXPECT_FALSE(log.Contains(levels->GetString(levels->GetCount() - 1).CStr()))
        << "not the unused last name of the list";
}

TEST_F(MenuScreens, CreditsLoopTheirPagesEveryFiveAndAHalfSecondsAndAClickTurnsAtOnce) {
    ASSERT_TRUE(WriteFile("text/credits.config", "line_1 = One;\nline_2 = Two;\nline_3 = Three;\n"));
    ASSERT_TRUE(LoadStringTables());
    ASSERT_TRUE(WriteFile("gui/CreditsScreen.scene",
                          Declare("credits", "CreditsScreen") + Lines({"credits.idleAnim = gui/idle.anim"}) +
                              Declare("current_text", "TextBox") + Declare("ok_button", "Button")));
    auto* credits = Push<CreditsScreen>("CreditsScreen");
    ASSERT_NE(credits, nullptr);
    TextBox* text = credits->currentText.Get();
    auto shown = [&] { return text->Visible.FirstBool() ? text->Text.FirstString().CStr() : std::string(); };
    // Frames of 0.1 s until the page shows (200 when it never does).
    auto framesUntil = [&](const std::string& page) {
        int frames = 0;
        while (shown() != page && frames < 200) {
            Frames(1);
            ++frames;
        }
        return frames;
    };
    EXPECT_NEAR(framesUntil("One"), 20, 2) << "the first page after two seconds";
    EXPECT_NEAR(framesUntil("Two"), 55, 2) << "a page every five seconds and a half";
    EXPECT_TRUE(credits->MouseButton(0, true)) << "a press on no control turns the page";
    EXPECT_LE(framesUntil("Three"), 8) << "at once: only the fade out and the short gap";
    EXPECT_NEAR(framesUntil("One"), 55, 2) << "after the last page the first comes again";
}

TEST_F(MenuScreens, OptionsApplyLiveCancelRestoresAndOkKeeps) {
    std::string scene = Declare("options_menu", "OptionsMenu") + Declare("fullscreen_button", "CheckBox");
    for (const char* name : {"ok_button", "cancel_button", "credits_button"}) {
        scene += Declare(name, "Button");
    }
    for (const char* name : {"sound_volume_slider", "music_volume_slider", "brightness_slider"}) {
        scene += Declare(name, "Slider");
    }
    ASSERT_TRUE(WriteFile("gui/OptionsMenu.scene", scene));
    Options* stored = GetOptions();
    stored->MusicVolume.SetFirstFloat(0.8f);
    stored->SoundVolume.SetFirstFloat(0.6f);
    Audio::SetSoundVolume(0.6f);

    auto* menu = Push<OptionsMenu>("OptionsMenu");
    ASSERT_NE(menu, nullptr);
    Slider* music = menu->musicVolumeSlider.Get();
    Slider* sound = menu->soundVolumeSlider.Get();
    EXPECT_FLOAT_EQ(music->Value.FirstFloat(), 0.8f);
    EXPECT_FLOAT_EQ(sound->Value.FirstFloat(), 0.6f);
    music->Value.SetFirstFloat(0.25f);
    menu->Message(kSliderMoved, music);
    EXPECT_FLOAT_EQ(stored->MusicVolume.FirstFloat(), 0.25f) << "the music follows the drag";
    sound->Value.SetFirstFloat(0.1f);
    menu->Message(kSliderMoved, sound);
    EXPECT_FLOAT_EQ(Audio::GetSoundVolume(), 0.6f) << "the sound volume waits for the release";
    menu->Message(kSliderReleased, sound);
    EXPECT_FLOAT_EQ(Audio::GetSoundVolume(), 0.1f);
    Click(menu, "cancel_button");
    EXPECT_FLOAT_EQ(stored->MusicVolume.FirstFloat(), 0.8f);
    EXPECT_FLOAT_EQ(Audio::GetSoundVolume(), 0.6f);
    EXPECT_FLOAT_EQ(stored->SoundVolume.FirstFloat(), 0.6f);
    Frames(1);

    menu = Push<OptionsMenu>("OptionsMenu");
    ASSERT_NE(menu, nullptr);
    menu->musicVolumeSlider.Get()->Value.SetFirstFloat(0.5f);
    menu->Message(kSliderReleased, menu->musicVolumeSlider.Get());
    menu->soundVolumeSlider.Get()->Value.SetFirstFloat(0.3f);
    menu->Message(kSliderReleased, menu->soundVolumeSlider.Get());
    Click(menu, "ok_button");
    EXPECT_FLOAT_EQ(stored->MusicVolume.FirstFloat(), 0.5f);
    EXPECT_FLOAT_EQ(stored->SoundVolume.FirstFloat(), 0.3f);
    EXPECT_TRUE(GetUI().Stack().empty());
}

class ProfilesMenuTest : public MenuScreens {
protected:
    void SetUp() override {
        MenuScreens::SetUp();
        std::string scene =
            Declare("profiles", "ProfilesMenu") + Declare("list_scroll", "Scrollbar") +
            Lines({"list_scroll.less = a.tga", "list_scroll.less = a.tga", "list_scroll.less = a.tga",
                   "list_scroll.more = a.tga", "list_scroll.more = a.tga", "list_scroll.more = a.tga",
                   "list_scroll.thumb = a.tga", "list_scroll.pageIncrement = 3"});
        for (const char* name : {"ok_button", "create_button", "delete_button"}) {
            scene += Declare(name, "Button");
        }
        for (int j = 0; j < ProfilesMenu::kBoxCount; ++j) {
            const std::string box = "box" + std::to_string(j), lit = "lit" + std::to_string(j);
            scene += Declare(box, "TextBox") + Declare(lit, "Bitmap") +
                     Lines({"profiles.profileBoxes = " + box, "profiles.selectors = " + lit});
        }
        ASSERT_TRUE(WriteFile("gui/ProfilesMenu.scene", scene));
        ASSERT_TRUE(WriteFile("text/prompt.config", "delete_player = Delete %s?;\n"));
        ASSERT_TRUE(LoadStringTables());
        std::string prompt = Declare("prompt", "Prompt") + Declare("prompt_text", "TextBox");
        for (const char* name : {"ok_button", "ok_solo_button", "cancel_button"}) {
            prompt += Declare(name, "TextButton");
        }
        ASSERT_TRUE(WriteFile(
            "gui/Prompt.scene",
            prompt + Lines({"prompt.okButton = ok_button", "prompt.okSoloButton = ok_solo_button",
                            "prompt.cancelButton = cancel_button", "prompt.promptText = prompt_text"})));
        Image picture;
        ASSERT_TRUE(picture.Create(8, 8));
        ASSERT_TRUE(picture.SaveTga("a.tga"));
    }
    std::string Shown(ProfilesMenu* menu) {
        std::string names;
        for (int j = 0; j < ProfilesMenu::kBoxCount; ++j) {
            TextBox* box = menu->profileBoxes.Get(j);
            if (box->Visible.FirstBool()) {
                names += std::string(box->Text.FirstString().CStr()) +
                         (menu->selectors.Get(j)->Visible.FirstBool() ? "* " : " ");
            }
        }
        return names;
    }
    // Deletes the selected profile through the question, answered `yes`.
    void AnswerDelete(ProfilesMenu* menu, bool yes) {
        Click(menu, "delete_button");
        auto* prompt = ObjectCast<Prompt>(GetUI().TopScreen());
        ASSERT_NE(prompt, nullptr) << "deleting asks first";
        EXPECT_EQ(std::string("Delete ") + CurrentPlayer()->PlayerName.FirstString().CStr() + "?",
                  prompt->promptText.Get()->Text.FirstString().CStr());
        prompt->answer = yes;
        GetUI().PopScreen(0);
    }
};

TEST_F(ProfilesMenuTest, TenProfilesScrollIntoTheEightBoxesAndAClickChoosesTheCurrentPlayer) {
    for (const char* name : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}) {
        CreatePlayer(name);
    }
    SelectPlayer(2);
    auto* menu = Push<ProfilesMenu>("ProfilesMenu");
    ASSERT_NE(menu, nullptr);
    Scrollbar* bar = menu->listScroll.Get();
    EXPECT_TRUE(bar->Visible.FirstBool());
    EXPECT_EQ(bar->range.GetInt(1), 2) << "the range is based on the eight boxes, not the page step";
    EXPECT_EQ(bar->value.FirstInt(), 2) << "scrolled to the current player, within the range";
    EXPECT_EQ(Shown(menu), "C* D E F G H I J ");
    SetScrollValue(bar, 0);
    menu->Message(kScrollChanged, bar);
    EXPECT_EQ(Shown(menu), "A B C* D E F G H ");
    menu->Message(message::kTextClicked, menu->profileBoxes.Get(3));
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "D")
        << "the click makes it current at once";
    EXPECT_EQ(Shown(menu), "A B C D* E F G H ");
}

TEST_F(ProfilesMenuTest, DeletingTheCurrentProfileSelectsAnotherAndTheLastOneClosesTheMenu) {
    for (const char* name : {"A", "B", "C"}) {
        CreatePlayer(name);
    }
    SelectPlayer(1);
    auto* menu = Push<ProfilesMenu>("ProfilesMenu");
    ASSERT_NE(menu, nullptr);
    EXPECT_FALSE(menu->listScroll.Get()->Visible.FirstBool()) << "no scroll bar for three";
    AnswerDelete(menu, false);
    EXPECT_EQ(Shown(menu), "A B* C ") << "No keeps the profile";
    AnswerDelete(menu, true);
    EXPECT_EQ(FindPlayerByName("B"), nullptr);
    EXPECT_EQ(Shown(menu), "A C* ") << "the next profile takes the deleted one's place";
    EXPECT_STREQ(CurrentPlayer()->PlayerName.FirstString().CStr(), "C");
    AnswerDelete(menu, true);
    AnswerDelete(menu, true);
    EXPECT_TRUE(GetUI().Stack().empty()) << "without a registered profile the menu closes";
}

} // namespace
