// The journal: only the pieces found show on a page, back and next follow
// the filled pages, a page turn locks input for half a second, a page
// without a scene shows nothing, and the journal opens where a found page is.
#include "menus/JournalMenu.h"

#include "../data/GameDataFixture.h"
#include "app/EngineClasses.h"
#include "core/FrameTime.h"
#include "core/Widget.h"
#include "io/Resources.h"
#include "menus/MenuSupport.h"
#include "render/RenderResources.h"
#include "support/VirtualPlatform.h"
#include "ui/UI.h"

using testing_support::WriteFile;

namespace {

class JournalMenuTest : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
        InstallRenderResourceLoaders();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        frameTime = 0.1f;
        ASSERT_TRUE(WriteFile("gui/JournalMenu.scene",
                              "Widget = journal;\nWidget = back;\nWidget = next;\nWidget = close;\n"
                              "journal.Type = JournalMenu;\njournal.backButton = back;\n"
                              "journal.nextButton = next;\njournal.closeButton = close;\n"
                              "back.Type = Button;\nnext.Type = Button;\nclose.Type = Button;\n"));
        ASSERT_TRUE(WriteFile("journal/quay.scene", "Widget = quay;\nWidget = note;\nWidget = sketch;\n"
                                                    "quay.Type = Widget;\nnote.Type = Widget;\n"
                                                    "sketch.Type = Widget;\n"));
        ASSERT_TRUE(WriteFile("journal/tower.scene", "Widget = tower;\nWidget = map;\n"
                                                     "tower.Type = Widget;\nmap.Type = Widget;\n"));
        Var* levels = GetGlobals()->FindProperty("Levels");
        levels->SetString(0, "quay");
        levels->SetString(1, "tower");
        levels->SetString(2, "attic"); // a page without a scene file
        LoadStateFile();
        ASSERT_TRUE(SelectPlayer(CreatePlayer("Ann")));
        player = RegisteredCurrentPlayer();
        ASSERT_TRUE(player->AddJournalElement("note", "quay"));
        ASSERT_TRUE(player->AddJournalElement("map", "tower"));
        ASSERT_TRUE(player->AddJournalElement("key", "attic"));
    }
    JournalMenu* Open() {
        EXPECT_TRUE(GetUI().PushScreenByName("JournalMenu", 0));
        return ObjectCast<JournalMenu>(GetUI().TopScreen());
    }
    bool Shown(JournalMenu& journal, const char* piece) {
        auto* widget = journal.PageScene() ? ObjectCast<Widget>(journal.PageScene()->FindElement(piece)) : nullptr;
        return widget && widget->Visible.FirstBool();
    }
    static bool Shown(Link<Button>& button) { return button.Get(0)->Visible.FirstBool(); }
    void Click(JournalMenu& journal, Link<Button>& button) {
        journal.Message(message::kButtonClicked, button.Get(0));
    }

    State* player = nullptr;
    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
};

} // namespace

TEST_F(JournalMenuTest, PagesShowTheirFoundPiecesAndTheButtonsFollowTheFilledPages) {
    player->CurrentLevel.SetFirstInt(0);
    JournalMenu* journal = Open();
    ASSERT_NE(journal, nullptr);
    EXPECT_FALSE(player->JournalUpdated.FirstBool()) << "opening the journal reads the news";
    EXPECT_TRUE(Shown(*journal, "quay")) << "the page itself is its first piece";
    EXPECT_TRUE(Shown(*journal, "note"));
    EXPECT_FALSE(Shown(*journal, "sketch")) << "not found yet";
    EXPECT_FALSE(Shown(journal->backButton)) << "the first page";
    EXPECT_TRUE(Shown(journal->nextButton));

    Click(*journal, journal->nextButton);
    EXPECT_STREQ(player->ActiveJournalPage.FirstString().CStr(), "tower");
    EXPECT_TRUE(Shown(*journal, "map"));
    EXPECT_FALSE(Shown(*journal, "note")) << "the old page is gone";
    EXPECT_TRUE(Shown(journal->backButton));
    EXPECT_TRUE(Shown(journal->nextButton));

    // The last filled page has no scene: nothing of it shows, the buttons still follow the entries.
    Click(*journal, journal->nextButton);
    EXPECT_EQ(journal->PageScene(), nullptr);
    EXPECT_TRUE(Shown(journal->backButton));
    EXPECT_FALSE(Shown(journal->nextButton)) << "the last filled page";

    Click(*journal, journal->backButton);
    Click(*journal, journal->backButton);
    EXPECT_STREQ(player->ActiveJournalPage.FirstString().CStr(), "quay");
    Click(*journal, journal->closeButton);
    EXPECT_EQ(GetUI().TopScreen(), nullptr);
}

TEST_F(JournalMenuTest, ATurnLocksInputForHalfASecondAndAFailedTurnDoesNot) {
    JournalMenu* journal = Open();
    ASSERT_NE(journal, nullptr);
    UI& ui = GetUI();
    EXPECT_EQ(ui.inputLock, 0.0f);
    Click(*journal, journal->backButton); // no page before the first
    EXPECT_EQ(ui.inputLock, 0.0f);
    Click(*journal, journal->nextButton);
    EXPECT_FLOAT_EQ(ui.inputLock, 0.5f);
    for (int frame = 0; frame < 4; ++frame) {
        ui.Update();
    }
    EXPECT_GT(ui.inputLock, 0.0f) << "still locked after 0.4 s";
    ui.Update();
    ui.Update();
    EXPECT_EQ(ui.inputLock, 0.0f);
}

TEST_F(JournalMenuTest, OpensAtTheCurrentLevelsPageOrAFoundOneWhileThatHasNone) {
    player->CurrentLevel.SetFirstInt(1);
    JournalMenu* journal = Open();
    ASSERT_NE(journal, nullptr);
    EXPECT_STREQ(player->ActiveJournalPage.FirstString().CStr(), "tower");
    GetUI().PopScreen(0);

    // A level whose page has no entry yet: the page shown last stays.
    GetGlobals()->FindProperty("Levels")->SetString(3, "cellar");
    player->CurrentLevel.SetFirstInt(3);
    journal = Open();
    ASSERT_NE(journal, nullptr);
    EXPECT_STREQ(player->ActiveJournalPage.FirstString().CStr(), "tower");
    EXPECT_TRUE(Shown(*journal, "map"));
    EXPECT_TRUE(Shown(journal->backButton));
}
