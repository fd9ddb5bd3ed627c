// Gadgets on a small level loaded from files, played through the real click
// walk: the click rules and their order, keys spent or kept, a switch that
// silences the failure hook, stacks and tools, a second gadget of one name,
// and every gadget's state saved and loaded with the level.
#include "../data/GameDataFixture.h"

#include "app/EngineClasses.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "play/Doodad.h"
#include "play/ItemDatabase.h"
#include "play/LevelScenes.h"
#include "play/QuestScreen.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "render/Sprite.h"
#include "script/ScriptHooks.h"
#include "ui/Cursor.h"
#include "ui/InputManagerCallback.h"
#include "ui/UI.h"

#include <memory>
#include <string>

namespace {

// Every doodad is a 20 × 20 opaque picture with its top left corner at (x, 0).
const struct {
    const char* name;
    int x;
} kDoodads[] = {{"chest_closed", 0},  {"chest_open", 0},   {"lever_off", 100}, {"lever_on", 100},
                {"key", 200},         {"door", 300},       {"crank", 400},     {"coins_a", -100},
                {"coins_b", -200},    {"shell", -300},     {"statue", -400},   {"gate", 460},
                {"vault_closed", -460}, {"vault_open", -460}};

const char* const kScript = R"(
events = ""
allowStatue = true
function Note(text) events = events .. text .. ";" end
function Initialize()
    CreateLock("chest", "chest_closed", "chest_open", "key")
    CreateSwitch("lever", "lever_off", "lever_on")
    BindItem("key")
    CreateLevelLink("door_link", "door", "cellar")
    CreateToggle("crank", "crank", "crank")
    StackItem("coin", "coins_a")
    StackItem("coin", "coins_b")
    BindItem("shell")
    SetItemRequiresTool("shell", "hook")
    CreateSimple("statue")
    CreateLock("gate", "gate", "gate", "key")
    SetLockExpendKey("gate", false)
    CreateLock("vault", "vault_closed", "vault_open", "skeleton")
    for _, name in ipairs({"chest", "lever", "key", "door_link", "crank", "coins_a", "coins_b", "shell",
                           "gate", "vault"}) do
        EnableObject(name)
    end
end
function chest_OnUnlock() Note("unlock") end
function lever_OnSwitch() Note("switch") end
function lever_OnFail() Note("lever fails") end
function crank_OnToggle() Note("toggle") end
function key_OnAcquire() Note("acquire") end
function statue_ValidateAction() return allowStatue end
function statue_OnUse() Note("statue used") return true end
function knot_OnCombine() Note("knot") end
function cove_cellar_OnCompleted() Note("cellar done") end
)";

const char* const kItems = "Item = key;\nItem = rope;\nItem = hook;\nItem = skeleton;\nItem = shell;\nItem = coin;\n"
                           "Product = knot rope statue;\nProduct = coin_pair coin coin;\n"
                           "Persist = hook;\nPersist = skeleton;\n";

class Gadgets : public GameDataTest {
protected:
    void SetUp() override {
        GameDataTest::SetUp();
        ClearRegistry();
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        startup.RegisterGameClasses();
        InstallRenderResourceLoaders();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        std::string scene = "Widget = options;\noptions.Type = LevelOptions;\noptions.GameMode = 0;\n";
        for (const auto& doodad : kDoodads) {
            const std::string n = doodad.name;
            scene += "Widget = " + n + ";\n" + n + ".Type = Doodad;\n" + n + ".Position = " +
                     std::to_string(doodad.x) + ";\n" + n + ".Position = 0;\n";
        }
        ASSERT_TRUE(testing_support::WriteFile("levels/cove/cove.scene", scene));
        ASSERT_TRUE(testing_support::WriteFile("levels/cove/cove.lua", kScript));
        ASSERT_TRUE(testing_support::WriteFile("config/items.config", kItems));
        ASSERT_TRUE(testing_support::WriteFile("text/hint.config", "cove_statue = A stone sailor;\n"));
        ASSERT_TRUE(testing_support::WriteFile("text/fail.config", "cove_chest = It will not open;\n"));
        ASSERT_TRUE(LoadStringTables());
        ASSERT_TRUE(LoadItemDatabase());
        LoadStateFile();
        ASSERT_TRUE(SelectPlayer(CreatePlayer("Ann")));
        ResetScreenCamera();
        frameTime = 1.0f / 65.0f;
    }
    void TearDown() override {
        quest.reset();
        GameDataTest::TearDown();
    }
    QuestScreen& Load() {
        quest = std::make_unique<QuestScreen>();
        EXPECT_TRUE(quest->LoadLevel("cove"));
        GivePictures(*quest);
        return *quest;
    }
    // Every doodad of the level gets an opaque 20 × 20 picture.
    static void GivePictures(QuestScreen& level) {
        for (const auto& entry : level.LevelScene()->Elements().Entries()) {
            if (auto* doodad = ObjectCast<::Doodad>(entry.value)) {
                auto picture = std::make_unique<Sprite>();
                picture->Create(20, 20);
                std::fill(picture->Pixels(), picture->Pixels() + 20 * 20 * 4, uint8_t(255));
                doodad->AdoptSprite(std::move(picture));
            }
        }
        level.LevelScene()->Update();
    }
    ::Doodad* Object(const char* name) { return Object(*quest, name); }
    static ::Doodad* Object(QuestScreen& level, const char* name) {
        return ObjectCast<::Doodad>(level.LevelScene()->FindElement(name));
    }
    // Clicks the middle of the doodad, as a player would.
    void Click(const char* name) { Click(*quest, name); }
    static void Click(QuestScreen& level, const char* name) {
        const ::Doodad* doodad = Object(level, name);
        ClickAt(level, int(doodad->Position.GetFloat(0)) + 10 + 512, 10 + 384);
    }
    static void ClickAt(QuestScreen& level, int x, int y) {
        GetInputManager().mouseX = x;
        GetInputManager().mouseY = y;
        level.MouseButton(0, true);
        level.MouseButton(0, false);
        level.LevelScene()->Update();
    }
    void Hold(const char* item) { CurrentPlayer()->ActiveItem.SetFirstString(item); }
    std::string Held() { return CurrentPlayer()->ActiveItem.FirstString().CStr(); }
    std::string Events() {
        String text;
        GetGlobalText("events", quest->script.state, text);
        return text.CStr();
    }
    bool Run(const char* code) { return quest->script.Run(code); }
    std::unique_ptr<QuestScreen> quest;
};

} // namespace

TEST_F(Gadgets, ClickRulesActInTheirOrderAndOnlyOnTheirOwnGadgets) {
    QuestScreen& q = Load();
    // Information first: the statue is no enabled gadget's object and has a text.
    Click("statue");
    EXPECT_EQ(q.lastClicked, nullptr) << "the information rule ends the click before anything else";
    EXPECT_EQ(Events(), "");
    EXPECT_TRUE(q.clickHandled);
    ASSERT_TRUE(Run("EnableObject('statue')"));

    // Item: an empty hand picks the key up.
    Click("key");
    EXPECT_EQ(Events(), "acquire;");
    EXPECT_TRUE(CurrentPlayer()->HasItem("key"));
    EXPECT_FALSE(q.gadgets.Find("key")->enabled);
    EXPECT_TRUE(q.gadgets.Find("key")->used);

    // Lock: the wrong item does nothing but show the lock's failure text.
    Hold("rope");
    Click("chest_closed");
    EXPECT_FALSE(static_cast<Lock*>(q.gadgets.Find("chest"))->state);
    EXPECT_EQ(Events(), "acquire;");
    EXPECT_EQ(q.lastClicked, Object("chest_closed"));
    EXPECT_TRUE(q.clickHandled) << "the failure text takes the click";
    // The key opens it and is spent.
    CurrentPlayer()->RemoveInventoryItemAt(CurrentPlayer()->FindInventoryItem("key"));
    Hold("key");
    Click("chest_closed");
    EXPECT_EQ(Events(), "acquire;unlock;");
    EXPECT_TRUE(static_cast<Lock*>(q.gadgets.Find("chest"))->state);
    EXPECT_TRUE(Object("chest_open")->Visible.FirstBool());
    EXPECT_EQ(Held(), "");
    EXPECT_FALSE(CurrentPlayer()->HasItem("key")) << "a spent key is gone";

    // Switch: flips with an empty hand; its own _OnUse is not asked when a rule acted.
    ASSERT_TRUE(Run("function lever_OnUse() Note('lever used') return true end"));
    Click("lever_off");
    EXPECT_EQ(Events(), "acquire;unlock;switch;");
    EXPECT_TRUE(static_cast<Switch*>(q.gadgets.Find("lever"))->state);

    // Toggle: only its hook, the state stays.
    Click("crank");
    EXPECT_EQ(Events(), "acquire;unlock;switch;toggle;");
    EXPECT_FALSE(static_cast<Toggle*>(q.gadgets.Find("crank"))->state);

    // Validation can refuse; then the held item is used on the object.
    ASSERT_TRUE(Run("allowStatue = false"));
    Click("statue");
    EXPECT_EQ(Events(), "acquire;unlock;switch;toggle;");
    ASSERT_TRUE(Run("allowStatue = true"));
    Hold("rope");
    Click("statue");
    EXPECT_EQ(Held(), "knot") << "the product of rope and statue is put in hand";
    EXPECT_EQ(Events(), "acquire;unlock;switch;toggle;knot;");
    Hold("");
    Click("statue");
    EXPECT_EQ(Events(), "acquire;unlock;switch;toggle;knot;statue used;") << "no rule: the gadget's _OnUse";
    EXPECT_TRUE(q.gadgets.Find("statue")->used);
}

TEST_F(Gadgets, ASwitchClickedWithAnItemInHandShowsItsFailureWithoutTheHook) {
    QuestScreen& q = Load();
    Hold("rope");
    Click("lever_off");
    EXPECT_FALSE(static_cast<Switch*>(q.gadgets.Find("lever"))->state);
    EXPECT_EQ(Events(), "") << "the switch cleared the failure hook for this click";
    EXPECT_TRUE(q.clickHandled) << "the failure text is shown instead";
    // A lock clicked with the wrong item still runs failure hooks where they exist.
    ASSERT_TRUE(Run("function chest_OnFail() Note('chest fails') end"));
    Click("chest_closed");
    EXPECT_EQ(Events(), "chest fails;");
}

TEST_F(Gadgets, AKeyIsSpentUnlessTheLockKeepsItOrItPersists) {
    QuestScreen& q = Load();
    Hold("key");
    Click("gate");
    EXPECT_TRUE(static_cast<Lock*>(q.gadgets.Find("gate"))->state) << "one doodad for both states";
    EXPECT_EQ(Held(), "");
    EXPECT_TRUE(CurrentPlayer()->HasItem("key")) << "the gate does not spend its key";

    Hold("skeleton");
    Click("vault_closed");
    EXPECT_TRUE(static_cast<Lock*>(q.gadgets.Find("vault"))->state);
    EXPECT_EQ(Held(), "");
    EXPECT_TRUE(CurrentPlayer()->HasItem("skeleton")) << "a persisting key comes back";
}

TEST_F(Gadgets, StacksFillOneSlotAndAToolPicksUpWithoutBeingSpent) {
    QuestScreen& q = Load();
    Click("coins_a");
    Click("coins_b");
    State* player = CurrentPlayer();
    EXPECT_EQ(std::string(player->InventoryItemAt(0).CStr()), "coin_pair") << "the second coin joins the first";
    EXPECT_EQ(player->FirstEmptyInventorySlot(), 1);

    Click("shell");
    EXPECT_FALSE(player->HasItem("shell")) << "the shell needs the hook";
    EXPECT_FALSE(q.gadgets.Find("shell")->used);
    Hold("hook");
    Click("shell");
    EXPECT_TRUE(player->HasItem("shell"));
    EXPECT_EQ(Held(), "hook") << "the tool stays in hand";
}

TEST_F(Gadgets, AFinishedCloseUpHandsBackToItsLevelsScriptAndAnUnfinishedOneDoesNot) {
    QuestScreen& q = Load();
    ASSERT_TRUE(testing_support::WriteFile("levels/cove_cellar/cove_cellar.scene",
                                           "Widget = options;\noptions.Type = LevelOptions;\n"));
    ASSERT_TRUE(testing_support::WriteFile("levels/cove_cellar/cove_cellar.lua",
                                           "function Initialize() SetRootLevel('cove') end\n"));
    QuestScreen cellar;
    ASSERT_TRUE(cellar.LoadLevel("cove_cellar"));
    q.EnterLevel(&cellar);
    EXPECT_EQ(Events(), "") << "the close-up was only left";
    cellar.CompleteLevel(0.0f);
    q.EnterLevel(&cellar);
    EXPECT_EQ(Events(), "cellar done;");
    q.EnterLevel(&q);
    EXPECT_EQ(Events(), "cellar done;") << "the level entered again from itself";
}

TEST_F(Gadgets, ASecondGadgetOfOneNameIsReportedWithItsOperation) {
    QuestScreen& q = Load();
    testing_support::LogCapture log;
    const size_t before = q.gadgets.All().size();
    ASSERT_TRUE(Run("CreateLock('chest', 'gate', 'gate', 'rope')"));
    EXPECT_TRUE(log.Contains("QuestScreen::CreateLock()")) << "the numbered error line names the operation";
    EXPECT_EQ(q.gadgets.All().size(), before + 1) << "both locks are kept";
    EXPECT_EQ(q.gadgets.Find("chest"), q.gadgets.locks.back()) << "the name finds the newer";
    ASSERT_TRUE(Run("CreateSimple('statue')"));
    EXPECT_TRUE(log.Contains("QuestScreen::CreateSimple()"));
    EXPECT_EQ(q.gadgets.All().size(), before + 1) << "a simple gadget is refused";
}

TEST_F(Gadgets, EveryGadgetsStateIsSavedAndLoadedWithTheLevel) {
    {
        QuestScreen& q = Load();
        Hold("key");
        Click("chest_closed");
        Click("lever_off");
        ASSERT_TRUE(Run("SetToggleState('crank', true) SetLockExpendKey('vault', false) "
                        "IgnoreObject('door_link', true) DisableObject('shell') SetObjectBlocking('lever', false)"));
        auto* link = static_cast<LevelLink*>(q.gadgets.Find("door_link"));
        link->linkPath = "attic";
        link->treasureOrQuest = true;
        ASSERT_TRUE(q.SaveLevelProgress());
    }
    QuestScreen& q = Load();
    auto* chest = static_cast<Lock*>(q.gadgets.Find("chest"));
    EXPECT_TRUE(chest->state);
    EXPECT_TRUE(chest->used);
    EXPECT_FALSE(static_cast<Lock*>(q.gadgets.Find("vault"))->expendKey);
    EXPECT_TRUE(static_cast<Switch*>(q.gadgets.Find("lever"))->state);
    EXPECT_FALSE(q.gadgets.Find("lever")->block);
    EXPECT_TRUE(static_cast<Toggle*>(q.gadgets.Find("crank"))->state);
    auto* link = static_cast<LevelLink*>(q.gadgets.Find("door_link"));
    EXPECT_TRUE(link->ignore);
    EXPECT_EQ(std::string(link->linkPath.CStr()), "attic");
    EXPECT_TRUE(link->treasureOrQuest);
    EXPECT_FALSE(q.gadgets.Find("shell")->enabled);
    EXPECT_TRUE(q.gadgets.Find("shell")->used);
    EXPECT_TRUE(Object("chest_open")->Visible.FirstBool()) << "the pictures come back with the scene's properties";
}

TEST_F(Gadgets, TheCursorTellsInformationLinksAndUsableThingsApart) {
    QuestScreen& q = Load();
    // The hover rules run for the screen on top only.
    ASSERT_TRUE(GetUI().PushScreen(&q, 0));
    // The fixture owns the level: it leaves the stack without being handed
    // to the stack's release queue, which would free it a second time.
    struct PopAtEnd {
        ~PopAtEnd() { GetUI().ReplaceStack(nullptr); }
    } popAtEnd;
    const auto cursorOver = [&](const char* name) {
        GetInputManager().mouseX = int(Object(name)->Position.GetFloat(0)) + 10 + 512;
        GetInputManager().mouseY = 10 + 384;
        q.Update();
        return q.HoverCursor();
    };
    EXPECT_EQ(cursorOver("statue"), kCursorInfo) << "no enabled gadget, but a text about it";
    EXPECT_EQ(cursorOver("door"), kCursorLink);
    EXPECT_EQ(cursorOver("lever_off"), kCursorUse);
    EXPECT_EQ(cursorOver("chest_closed"), kCursorUse);
    EXPECT_EQ(cursorOver("key"), kCursorDefault) << "an item is picked up, not used";
    EXPECT_EQ(cursorOver("crank"), kCursorDefault) << "a toggle is left to its script";
    ASSERT_TRUE(Run("DisableObject('door_link')"));
    Click("lever_off");
    EXPECT_EQ(cursorOver("door"), kCursorDefault) << "a disabled link, asked again after a click";
}

TEST_F(Gadgets, ALinkLeadsIntoItsCloseUpAndTheBackRegionOutWithBothLevelsAsTheyWereLeft) {
    // The HUD every level screen loads, with a back region on the left edge
    // (screen x 0 … 60, y 134 … 634).
    ASSERT_TRUE(testing_support::WriteFile("gui/DunhavenHud.scene",
                                           "Widget = hud;\nWidget = back;\nhud.Type = QuestScreen;\n"
                                           "hud.backRegions = back;\nback.Type = Region;\n"
                                           "back.Region = 0,0, 60,0, 60,500, 0,500;\nback.Visible = false;\n"
                                           "back.Position = -512;\nback.Position = -250;\n"));
    ASSERT_TRUE(testing_support::WriteFile("levels/cove_cellar/cove_cellar.scene",
                                           "Widget = options;\noptions.Type = LevelOptions;\noptions.GameMode = 0;\n"
                                           "Widget = rope;\nrope.Type = Doodad;\nrope.Position = 200;\n"
                                           "rope.Position = 0;\n"));
    ASSERT_TRUE(testing_support::WriteFile("levels/cove_cellar/cove_cellar.lua",
                                           "function Initialize() SetRootLevel('cove') BindItem('rope') "
                                           "EnableObject('rope') end\n"));
    LevelScenes& levels = GetLevelScenes();
    levels.Attach();
    ASSERT_TRUE(levels.LoadLevelSet("cove", true));
    auto* cove = ObjectCast<QuestScreen>(levels.FindLevel("cove"));
    auto* cellar = ObjectCast<QuestScreen>(levels.FindLevel("cove_cellar"));
    ASSERT_TRUE(cove && cellar);
    GivePictures(*cove);
    GivePictures(*cellar);
    ASSERT_EQ(GetUI().TopScreen(), cove);
    const auto events = [&] {
        String text;
        GetGlobalText("events", cove->script.state, text);
        return std::string(text.CStr());
    };

    // In the level: the key found, the chest opened with it, the lever thrown.
    Click(*cove, "key");
    ASSERT_TRUE(CurrentPlayer()->HasItem("key"));
    // Taken from the inventory into the hand, as a drag would.
    CurrentPlayer()->RemoveInventoryItemAt(CurrentPlayer()->FindInventoryItem("key"));
    Hold("key");
    Click(*cove, "chest_closed");
    Click(*cove, "lever_off");
    ASSERT_EQ(events(), "acquire;unlock;switch;");
    static_cast<LevelLink*>(cove->gadgets.Find("door_link"))->linkPath = "cove_cellar";
    Click(*cove, "door");
    ASSERT_EQ(GetUI().TopScreen(), cellar) << "the link shows its close-up";

    // In the close-up: the rope found, then out through the back region.
    Click(*cellar, "rope");
    EXPECT_TRUE(CurrentPlayer()->HasItem("rope"));
    cellar->Update();
    cellar->scene->Update();
    ClickAt(*cellar, 20, 384);
    ASSERT_EQ(GetUI().TopScreen(), cove) << "the back region leads to the root level";

    // The level is as it was left, its script not started over.
    EXPECT_EQ(events(), "acquire;unlock;switch;");
    EXPECT_TRUE(static_cast<Lock*>(cove->gadgets.Find("chest"))->state);
    EXPECT_TRUE(static_cast<Switch*>(cove->gadgets.Find("lever"))->state);
    EXPECT_TRUE(cove->gadgets.Find("key")->used);
    Click(*cove, "key");
    EXPECT_FALSE(CurrentPlayer()->HasItem("key")) << "a found item is not found twice";
    EXPECT_TRUE(Object(*cove, "chest_open")->Visible.FirstBool());
    EXPECT_TRUE(CurrentPlayer()->HasItem("rope")) << "the close-up's find is carried out";
    cove->Update();
    cove->scene->Update();
    ClickAt(*cove, 20, 384);
    EXPECT_EQ(GetUI().TopScreen(), cove) << "the root level has no way back";

    // And the close-up, visited again, keeps its own find.
    Click(*cove, "door");
    ASSERT_EQ(GetUI().TopScreen(), cellar);
    EXPECT_TRUE(cellar->gadgets.Find("rope")->used);
    const int32_t emptySlot = CurrentPlayer()->FirstEmptyInventorySlot();
    Click(*cellar, "rope");
    EXPECT_EQ(CurrentPlayer()->FirstEmptyInventorySlot(), emptySlot) << "nor is the close-up's";
    // The script's way out leads to the same place.
    ASSERT_TRUE(cellar->script.Run("ShowRootLevel()"));
    EXPECT_EQ(GetUI().TopScreen(), cove);
    EXPECT_TRUE(static_cast<Lock*>(cove->gadgets.Find("chest"))->state);
}
