#pragma once
// GameScreen: the screen a level is played on, with its heads-up display.
//
// The screen's own scene is the HUD (the world's HUD scene file); the level
// itself is a second scene the screen owns and draws beneath it. Positions
// in both are scene pixels, origin at the screen centre, y down.
//
// HUD children are bound through link properties named as below, each with
// its count of items; every item names an element of the HUD scene (anims
// and the sparkle sprite name files). A child that does not resolve only
// switches off what needs it: a HUD without "disc" shows no disc, a HUD
// without "hintGauge" shows no recharge, and nothing is reported.
//
// Per frame, while this screen is the top of the stack, Update runs the
// nine HUD steps (hint sparkles, hint button, hint gauge, energy sparkles,
// camera shake, inventory panel, journal highlight, disc, back regions),
// then the element update of its timed messages, then the level scene's
// update. Draw order: black under a shaking view, the level, the captured
// background while a lock-out transition (3033) is pending, the HUD while
// the player's HUD is visible, the energy sparkles, the doodads in their
// found flight.
//
// The level's rules and script (which objects count, what a click does) are
// the quest screen's, derived from this class; GameScreen alone loads the
// level's picture scene and plays its HUD, so a level can be looked at
// before its rules exist. Main thread only.
//
// Index of GameScreen.cpp: binding / level scene / messages / update steps /
// draw / stories and journal / found-flight hooks.

#include "anim/Anim.h"
#include "anim/Emitter.h"
#include "core/Link.h"
#include "core/String.h"
#include "play/EnergySparkles.h"
#include "play/GameScreenShake.h"
#include "play/LevelScreen.h"
#include "render/Bitmap.h"
#include "render/Region.h"
#include "render/Sprite.h"
#include "ui/Button.h"
#include "ui/TextBox.h"
#include "ui/TextButton.h"

#include <memory>
#include <vector>

class Doodad;
class Flashlight;
class LevelOptions;
class Scene;
class Sound;

/// The screen's private message codes.
enum GameScreenMessage : int32_t {
    kGameHideThenFlashlight = 3001,
    kGameFadeWidgetIn = 3002,
    kGameFadeWidgetOut = 3003,
    kGameShowStory = 3004,
    kGameHudIn = 3005,
    kGameHudOut = 3006,
    kGameFlashlightSetup = 3007,
    kGameFlashlightOn = 3008,
    kGameFlashlightOff = 3009,
    kGameIntro = 3010,
    kGameOutro = 3011,
    kGameItemPrompt = 3013,
    kGameOpenInventory = 3014,
    kGameCloseInventory = 3015,
    kGameShowGuide = 3016,
    kGameHideGuide = 3017,
    kGameShowRootLevel = 3018,
    kGameOpenMap = 3019,
    kGameLevelEnd = 3020,
    kGameHoldInventory = 3021,
    kGameReleaseInventory = 3022,
    kGameRestartLevel = 3023,
    kGameStartLevel = 3024,
    kGameLaunchLevel = 3025,
    kGameJournalHighlightOn = 3026,
    kGameJournalHighlightOff = 3027,
    kGameOpenJournal = 3028,
    kGameLevelEntryAgain = 3029,
    kGameProfilePrompt = 3030,
    kGameSaveAndQuit = 3031,
    kGameDeferredFade = 3032,
    kGameLockOutTransition = 3033,
    kGameJournalGiven = 3034,
    kGameCredits = 3036,
};

/// The hint gauge's fill for `left` seconds of cool-down left out of
/// `cooldown`: it fills during the first second after a hint (cooldown − left
/// below 1), then drains linearly to empty as the cool-down runs out.
float HintGaugeFill(float left, float cooldown);

class GameScreen : public LevelScreen {
    ENGINE_CLASS(GameScreen, LevelScreen)

public:
    /// The level's flashlight; with `create` one is made when there is none.
    Flashlight* LevelFlashlight(bool create);
    /// The time of the level's eased moves (Globals "Tween", 0.5 s by default).
    static float TweenSeconds();
    /// One sound of a numbered Globals sound list, at random; null when none loads.
    static Sound* RandomGlobalSound(const char* setting);

    static constexpr int32_t kListLines = 12;
    static constexpr int32_t kInventorySlots = 8;
    /// Seconds the inventory panel stays open after the cursor leaves it.
    static constexpr float kPanelOpenTime = 1.0f;
    /// Fade of the hint gauge root, the disc and the item names, in seconds.
    static constexpr float kQuickFade = 0.25f;

    GameScreen();
    ~GameScreen() override;

    // ---- Element / Screen ----
    bool Resolve() override;
    void Update() override;
    bool Draw() override;
    bool HoverTest() override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Message(int32_t message, Object* sender) override;
    bool OnPush() override;
    bool OnPop() override;
    bool OnReturn(Screen* popped) override;

    // ---- LevelScreen ----
    /// Loads the level's picture scene (Globals "Path_LevelScenes" with the
    /// name); false when it does not load. The quest screen adds the rules.
    bool LoadLevel(const char* name) override;
    /// Makes `level` (owned from now on) this screen's level scene under
    /// `name`, with the level state cleared; false for a null scene.
    bool ShowLevelScene(std::unique_ptr<Scene> level, const char* name);
    /// Level entry: refreshes the HUD, offers the intro on the first entry,
    /// else plays the HUD in, and starts the level after the HUD's delay.
    bool EnterLevel(LevelScreen* previous) override;
    /// Saves nothing here (the quest screen saves the level); false.
    bool SaveLevel() override { return SaveLevelProgress(); }

    // ---- operations the level rules override, in this order ----
    virtual bool SaveLevelProgress() { return false; }
    virtual bool LoadLevelProgress() { return false; }
    /// Return to the map with the level's map changes.
    virtual void LevelCompleted();
    /// Return to the map without completing the level.
    virtual void LevelLeft();
    virtual void GameCompleted();
    /// Plays "hudAnims" 0 (show) or 1 (hide); see ShowHudAnimation.
    virtual bool PlayHudAnimation(bool show, float* duration, bool stop);
    virtual bool IsHintAvailable() { return true; }
    /// The misclick lock-out runs: a 3033 transition is pending.
    virtual bool IsLockedOut();
    virtual bool InputBlocked() { return false; }
    /// The rules choose the orb disc over the hint group.
    virtual bool UsesDisc() { return false; }
    /// The level's settings ("ShowIntro", "ShowOutro") ask for its story.
    virtual bool LevelStoryWanted(bool intro);
    /// Whether the player finished this level (a close-up finishes without
    /// the root level's completion path).
    virtual bool LevelFinished() const { return completed; }
    /// The hint button was clicked; the rules give the hint.
    virtual void HintRequested() {}
    /// Shows the level's goals in the HUD: here the names of its treasure
    /// types in the list lines (first found first, at most twelve), each
    /// struck through once every treasure of its type is used. The rules
    /// replace it with their game mode's display.
    virtual void RefreshGoals();
    /// The inventory slots show the player's items from the scroll offset on.
    virtual void RefreshInventory();
    /// Calls a level script hook by name; without a script nothing happens
    /// and false is returned.
    virtual bool CallLevelHook(const char* /*hook*/) { return false; }

    // ---- operations used by other screens and objects ----
    /// Adds one energy sparkle (scene pixels).
    void SpawnEnergySparkle(const Vec3& start, const Vec3& target, const Vec3& spread);
    /// A shake of Globals "Game_CameraShakeTime" and "Game_CameraShakeMagnitude".
    void ShakeCamera();
    /// Plays "hudAnims" 0 (show) or 1 (hide) and gives its duration; with
    /// `stop` its end pose is applied at once. False, nothing done, while
    /// the HUD is disabled or the anim is missing. Showing unlocks input.
    bool ShowHudAnimation(bool show, bool stop, float* duration = nullptr);
    /// Fades the widget's "Color" alpha in or out over Globals "Tween"
    /// seconds (proportional to the alpha still to go); `instant` only sets
    /// its visibility.
    void FadeWidget(bool show, Widget* widget, bool instant);
    /// The journal gift: its scene and animation as an overlay, or else the
    /// journal buttons fading in.
    void GiveJournal();
    /// Offers the level's intro or outro story once; true when one started.
    bool TryLevelStory(bool intro);
    /// A story a level script asks for: with `hideHud` the HUD plays out
    /// first and the story starts when it has; with `restoreHud` the HUD
    /// plays in again after Globals "Tween" plus that time.
    void TellStory(const char* story, bool hideHud, bool restoreHud);
    /// Marks doodads to be hinted for `seconds` (sparkles on each).
    void ShowHint(const std::vector<Doodad*>& objects, float seconds);

    // ---- state ----
    Scene* LevelScene() const { return levelScene.get(); }
    const String& LevelName() const { return levelName; }
    bool IsRootLevel() const;
    bool InventoryPanelOpen() const { return panelOpen; }
    /// The inventory entry slot 0 shows.
    int32_t InventoryOffset() const { return inventoryOffset; }
    float InventoryPanelTimer() const { return panelTimer; }
    float HintGaugeValue() const { return hintGaugeFill; }
    const EnergySparkles& Sparkles() const { return sparkles; }
    const GameScreenShake& Shake() const { return shake; }
    Doodad* HoveredDoodad() const { return hovered; }
    /// Whether the HUD's scene is drawn this frame.
    bool HudShown() const;
    /// The draw order of the last Draw, as names: "black", "level",
    /// "background", "hud", "sparkles", "flights" (kept for inspection).
    const std::vector<const char*>& LastDrawOrder() const { return drawOrder; }

    // Saved with the level by the rules.
    int32_t gameMode = 0;
    bool introShown = false;
    bool outroShown = false;
    bool completed = false;
    bool disableDisc = false;
    /// EnableHud of the level script; false blocks the HUD animations.
    bool hudEnabled = true;
    /// EnableCameraShake of the level script.
    bool cameraShakeEnabled = true;
    /// The story a pending 3004 shows.
    String pendingStory;

    // ---- HUD children ----
    Link<Button> menuButton;
    Link<Button> hintButton;
    Link<Button> journalButtons;
    Link<Anim> journalAnims;
    Link<Widget> journalGroup;
    Link<Button> leftButton;
    Link<Button> rightButton;
    Link<Widget> inventoryPanel;
    Link<Widget> listGroup;
    Link<Emitter> hintEmitter;
    Link<Emitter> combineEmitter;
    Link<Emitter> journalEmitter;
    Link<Emitter> linkEmitter;
    Link<Emitter> itemEmitter;
    Link<Emitter> panelEmitter;
    Link<Emitter> transformationEmitter;
    Link<Anim> goalPanelAnims;
    Link<Anim> inventoryPanelAnims;
    Link<Anim> guideAnims;
    Link<Anim> hudAnims;
    Link<Widget> bogusMarker;
    Link<Anim> bogusAnim;
    Link<Sprite> energySprite;
    Link<TextBox> guideText;
    Link<TextBox> goalText;
    Link<TextBox> listBoxes;
    Link<Bitmap> strikethroughs;
    Link<Bitmap> inventoryIcons;
    Link<TextButton> itemNames;
    Link<Bitmap> activeItemIcon;
    Link<Bitmap> activeItemSlot;
    Link<Widget> hintGaugeRoot;
    Link<Bitmap> hintGauge;
    Link<Bitmap> disc;
    Link<Widget> hintGroup;
    Link<Widget> discGroup;
    Link<Region> backRegions;
    Link<Bitmap> goalPanel;

protected:
    // The nine steps of the per-frame update.
    void StepHintSparkles(float dt);
    void StepHintButton();
    void StepHintGauge(float dt);
    void StepCameraShake(float dt);
    void StepInventoryPanel(float dt);
    void StepJournalHighlight();
    void StepDisc();
    void StepBackRegions();

    /// The doodad of the level under the cursor, front to back; null when none.
    Doodad* DoodadUnderCursor();
    /// Glows the hovered doodad and drops the glow of the one left.
    void UpdateHover();
    /// Whether the doodad under the cursor glows. Never a treasure: the glow
    /// would show the player what to find.
    virtual bool HoverGlows(const Doodad& doodad) const;
    void SetInventoryPanel(bool open);
    void PlayJournalHighlight(bool on);
    /// The item the flight of a found doodad reaches next arrives at `target`.
    void OnFlightArrived(const Vec3& target);
    /// A click of a HUD button: the menu, hint, journal and scroll buttons.
    bool OnHudButton(Object* sender);
    /// The level's settings element; null without one.
    LevelOptions* Options() const;
    /// Logs that a screen of a later build is needed.
    void NeedsScreen(const char* what);
    /// The level's own music ("Music" of its settings), when it names one.
    void PlayLevelMusic();
    /// The map replaces the level screens, fading in over "Game_ShowMapDelay".
    void OpenMap();

private:
    friend class GameScreenFlightHooks;

    void ApplyCamera();
    void DrawFlights();

    std::unique_ptr<Scene> levelScene;
    String levelName;

    std::vector<Doodad*> hinted;
    float hintTimeLeft = 0.0f;
    float hintAccumulator = 0.0f;

    EnergySparkles sparkles;
    GameScreenShake shake;
    bool cameraTouched = false;

    int32_t inventoryOffset = 0;
    float panelTimer = 0.0f;
    bool panelOpen = false;
    int32_t panelHolds = 0;

    bool journalHighlight = false;
    bool guideShown = false;
    int32_t hintShownState = -1; ///< −1 unknown, 0 hidden, 1 shown
    int32_t hintReadyState = -1; ///< −1 unknown, 0 recharging, 1 ready
    float hintGaugeFill = 0.0f;
    float activeItemFade = 0.0f;

    Doodad* hovered = nullptr;
    std::vector<const char*> drawOrder;
};
