#pragma once
// QuestScreen: the rules of one level and its script.
//
// Loading a level opens its script state (bare names for strings, messages,
// items and elements; the level function table), loads its scene and runs
// "config/items.lua" and the level's script, calls "Initialize", and restores
// the level's saved progress. The game mode comes from the scene's
// LevelOptions: List finds the treasures of up to twelve target types shown
// in the list lines, Pairs finds two of a kind clicked one after the other,
// Types finds any treasure; Puzzle and Silhouette leave finding to the
// script.
//
// A click goes to the HUD first, then the inventory (pick up, put back,
// combine), then the doodads under the cursor front to back; a click nothing
// takes counts as a misclick while there is something to find, and four quick
// misclicks lock the player out for a few seconds behind a blurred picture.
// Hints show an unfound treasure (or what the "OnHint" hook names) and start
// the cool-down. The level saves its scene's properties, its targets, its
// counters and its script parameters to the player's level save.
//
// Index of the files: QuestScreen.cpp (load, update, click walk, finds,
// hints, goals, completion), QuestProgress.cpp (save and load),
// QuestInventory.cpp (inventory clicks and flights), QuestFunctions.cpp (the
// level function table), QuestGadgets.cpp (the gadgets: creation, state
// changes, their click rules, item pick-up and sub-level exits),
// QuestGadgetFunctions.cpp (the script's gadget functions).

#include "play/Gadget.h"
#include "play/GameScreen.h"
#include "play/LevelOptions.h"
#include "play/LevelProgress.h"
#include "play/LevelScript.h"
#include "play/Misclicks.h"
#include "play/Treasures.h"

#include <vector>

class QuestScreen : public GameScreen {
    ENGINE_CLASS(QuestScreen, GameScreen)

public:
    /// The rules' own timed messages.
    enum Code : int32_t {
        kClearActiveItem = 3038,
        kHudIn = 3043,
        kHudOut = 3044,
        kRefreshIcons = 3047,
        kRefreshHand = 3048,
        kChooseTargets = 3049,
        kRefreshGoal = 3050,
        kCompletionCheck = 3051,
        kReplaceWhenDone = 3052,
        kFindAnimation = 3053,
        kReplaceSomeComplete = 3054,
        kReplaceTargets = 3055,
        kAllFoundCheck = 3056,
        kCombineBurst = 3057,
        kHintReveal = 3058,
        kLockOutEnd = 3059,
        kPlaySound = 3060,
        kReturnItem = 3061,
        kCompleteNow = 3062,
        kOpenMenu = 3063,
        kOpenJournal = 3064,
        kGiveOrb = 3065,
    };

    QuestScreen();
    ~QuestScreen() override;

    bool LoadLevel(const char* name) override;
    void Update() override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Message(int32_t message, Object* sender) override;
    bool Draw() override;
    /// A closed story: the hook "OnStoryDone" with its name, and the HUD in.
    bool OnReturn(Screen* popped) override;
    /// A board puzzle closed: the hook "OnPuzzleFinish" with "solved" or "skipped".
    bool OnPuzzleFinished(Element* puzzle) override;
    /// A movie the level played has closed: the hook "OnVideoStop".
    bool OnMovieFinished() override;

    bool SaveLevelProgress() override;
    bool LoadLevelProgress() override;
    bool IsHintAvailable() override;
    bool InputBlocked() override;
    bool LevelStoryWanted(bool intro) override;
    void HintRequested() override { UseHint(); }
    void RefreshGoals() override;
    bool CallLevelHook(const char* hook) override;
    bool LevelFinished() const override { return completionDone || GameScreen::LevelFinished(); }

    // ---- the rules ----
    /// The hint button: false while cooling down or with nothing to hint.
    bool UseHint();
    void ChooseTargets();
    /// Writes the list's types and how many of each are left to the log
    /// when they changed since the last time ("Level L: the list reads ...").
    void LogListLines();
    void ReplaceCompletedTargets();
    /// Offers a doodad the click; true when a rule took it.
    bool Click(Doodad& doodad);
    /// The fail message of a gadget (generic without a name).
    void ShowFailMessage(const char* gadget);
    /// Shows `text` (a string identifier or plain text) in the guide for
    /// `seconds` (Globals "Game_GuideMessageTime" when 0 or less).
    void ShowGuideMessage(const char* text, float seconds);
    /// Completes the level after `delay` seconds, once.
    void CompleteLevel(float delay);
    void AdvanceLevel();
    void CompleteGame();
    bool HasUnfoundTreasures() const { return treasures.HasUnfound(); }
    /// Every unfound treasure found at once (the console's findAll).
    void FindAll();
    void SetGoalMessage(const char* message);
    /// Registers every treasure of the level and chooses the targets.
    void CreateTreasures();

    // ---- inventory ----
    /// The slot index (0 … 7) under the cursor, or −1.
    int32_t SlotUnderCursor();
    /// Shows the item in hand in "activeItemIcon".
    void RefreshHandIcon();
    /// Puts the item in hand back into the first empty slot, with its flight.
    void ReturnActiveItem();
    /// Adds an item with its icon flying from `from` (scene pixels) to its slot.
    void GiveItem(const char* item, const Vec2& from);

    /// A picture flying between two scene points, eased, scaled and faded.
    struct Flight {
        Sprite* sprite = nullptr;
        Vec3 from{};
        Vec3 to{};
        float duration = 0.0f;
        float elapsed = 0.0f;
        bool shrink = true; ///< 1 → 0.2 (else 0.2 → 1)
    };
    void StartFlight(Sprite* sprite, const Vec3& from, const Vec3& to, float duration, bool shrink);
    void ClearFlights() { flights.clear(); }

    LevelScript script;
    Treasures treasures;
    Misclicks misclicks;
    LevelOptions defaultOptions;
    LevelOptions* options = &defaultOptions; ///< the level's, or the defaults
    String goalMessage;
    /// The list's lines as last written to the log ("type left, ..."), so a
    /// refresh that changes nothing writes nothing.
    String loggedList;
    Doodad* pairFirst = nullptr;
    float penalty = 0.0f;
    float energyEarned = 0.0f;
    int32_t levelProgress = 0;
    bool penaltyDecay = false;
    bool misclickPenalty = false;
    bool clickHandled = false;
    bool failHook = true;
    /// An animation started with blocking runs until this total time.
    double blockedUntil = 0.0;
    /// Widgets whose fades do not block input (EnableInputBlocking false).
    std::vector<String> nonBlockingFades;
    Doodad* lastClicked = nullptr;

    // ---- gadgets (QuestGadgets.cpp) ----
    GadgetSet gadgets;
    /// Takes a new gadget and defines its name as a script global. A taken
    /// name logs an error naming `operation` ("QuestScreen::CreateLock" …);
    /// the gadget is still added unless `refuseTaken`. Null when refused.
    Gadget* AddGadget(std::unique_ptr<Gadget> gadget, const char* operation, bool refuseTaken = false);
    /// Sets the state; differing objects fade (open/on in for true); sounds.
    void SetLockState(Lock& lock, bool state);
    void SetSwitchState(Switch& gadget, bool state);
    /// The sound file of a gadget (Globals "SoundDirectory" with `sound`).
    void SetGadgetSound(Gadget& gadget, const char* sound);
    /// The information rule: a guide text for a doodad of no enabled gadget.
    bool InformationClick(Doodad& doodad);
    /// The gadget rules in order: lock, switch, level link, toggle, item,
    /// use of the held item. True when one took the click.
    bool GadgetClick(Doodad& doodad);
    /// The failure of the first doodad under the cursor that belongs to a
    /// gadget; true when a hook ran or a text was shown.
    bool ShowGadgetFailure();
    /// The fail text of an enabled gadget (generic without its own); false,
    /// nothing shown, when `gadget` names no enabled gadget.
    bool ShowGadgetFailMessage(const char* gadget);
    /// A click over the HUD in a sub-level: over a back region (or the goal
    /// panel while the inventory is closed) with an empty hand it returns to
    /// the root level; true when it did.
    bool TryExitSubLevel();
    /// The exit test of the hover: a sub-level, the cursor over a back region
    /// or, with the inventory closed, over the goal panel.
    bool OverSubLevelExit();
    /// Link and item sparkles: enabled links to loaded levels sparkle at a
    /// steady rate; each enabled, visible item when its gleam timer runs out.
    void StepGadgetSparkles(float dt);
    float linkSparkleTimer = 0.0f;

    /// The quest screen whose script state is `state`; null when none.
    static QuestScreen* ForScript(const ScriptState* state);
    /// The cursor kind the hover rules chose in the last update.
    int32_t HoverCursor() const { return cursorShape; }

protected:
    void StepRules(float dt);
    /// Only what the cursor shows as usable glows under it.
    bool HoverGlows(const Doodad& doodad) const override;
    /// The item in hand follows the cursor, fading in and out (QuestHand.cpp).
    void StepHand(float dt);
    /// The name of the inventory item under the cursor fades in over its slot.
    void StepItemNames();
    void CollectUnderCursor();
    void FindTreasure(Doodad& doodad, Widget* target, const Vec3* point);
    bool TryFind(Doodad& doodad);
    void AfterFind(Doodad& doodad);
    void RecordMisclick();
    void StartLockOut();
    void ShowGoalDisplay(bool fade);
    void AllFoundCheck();
    bool TreasureHint(Doodad*& chosen);
    void RevealHint(Doodad& doodad);
    bool InventoryClick();
    void PlayVariant(const char* setting, float delay = 0.0f);
    bool HasBlockingMessage() const;
    void ResetCounters();
    void ApplyBrightness();
    void DrawFlights();
    bool LockClick(Doodad& doodad);
    bool SwitchClick(Doodad& doodad);
    bool LevelLinkClick(Doodad& doodad);
    bool ToggleClick(Doodad& doodad);
    bool ItemClick(Doodad& doodad);
    bool UseHeldItemClick(Doodad& doodad);
    void AcquireItem(Item& item, Doodad& doodad);
    void PlayGadgetSound(const Gadget& gadget, const char* fallbackSetting);
    void FadeObject(const String& name, bool show);

    std::vector<Doodad*> underCursor; ///< frontmost first; reused
    Doodad* cursorDoodad = nullptr;   ///< the frontmost doodad the cursor shape is for
    int32_t cursorShape = 0;
    int32_t tooltipSlot = -1; ///< the slot whose item name shows; −1 none
    /// The hover walk's results for `cursorDoodad` (QuestHand.cpp).
    Doodad* hoveredObject = nullptr;
    bool hoveredTreasure = false;
    int32_t objectShape = 0;
    bool hoverStale = true;
    /// Walks the doodads under the cursor: the hovered treasure and object,
    /// and the cursor the object asks for (info, link, use or default).
    int32_t HoverObjectCursor();
    /// The information rule's text exists for the (unused) gadget.
    bool HasInformation(const Gadget& gadget) const;
    std::vector<Flight> flights;
    int32_t previousFail = -1;
    bool completionDone = false;
    bool advanceDone = false;
    bool gameDone = false;
    /// "AllTreasuresFound" has been called for the treasures registered:
    /// every find queues a check, and the last finds made within the check's
    /// delay would otherwise each call it.
    bool allFoundCalled = false;
};

/// Registers the level function table in `script` (QuestFunctions.cpp).
void RegisterQuestFunctions(ScriptState& state);
/// Shows the loaded level screen `name` (QuestGadgets.cpp); false, with a
/// log line, when it is not loaded.
bool ShowLevelScreen(const char* name);
/// Registers the gadget functions (QuestGadgetFunctions.cpp).
void RegisterGadgetFunctions(ScriptState& state);
