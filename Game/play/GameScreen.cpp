#include "play/GameScreen.h"

#include "anim/EffectsHold.h"
#include "anim/SceneAnims.h"
#include "audio/Sound.h"
#include "core/ClassRegistry.h"
#include "core/EngineState.h"
#include "core/Log.h"
#include "core/Redraw.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "data/Options.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "io/File.h"
#include "io/Resources.h"
#include "menus/ProfilePrompt.h"
#include "menus/StoryScreen.h"
#include "play/Doodad.h"
#include "play/Flashlight.h"
#include "play/LevelOptions.h"
#include "play/LevelScenes.h"
#include "render/BlendMode.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenDraw.h"
#include "ui/ConsoleCommands.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>
#include <cstdlib>

namespace {

/// Where an inventory item's icon is found until the item catalogue names it.
constexpr const char* kItemIconPattern = "items/%s.png";
/// Most hint emissions one frame makes up for after a long frame.
constexpr int32_t kMaxHintEmissionsPerFrame = 8;
constexpr const char* kPanelControl = "inventoryPanel";
constexpr const char* kGoalControl = "goalPanel";
constexpr const char* kHudControl = "hud";
constexpr const char* kGuideControl = "guide";
constexpr const char* kJournalControl = "journal";
/// The transition to black (and back) of a level that asks for it.
constexpr int32_t kBlackTransition = 8;

void PlayGlobalSound(const char* setting, float volume) {
    if (Sound* sound = GameScreen::RandomGlobalSound(setting); sound && sound->Implementation()) {
        sound->Implementation()->Play(false, volume, 1.0f);
    }
}

/// `pattern` with its one "%s" replaced by `text` and "%%" by "%"; any other
/// directive is kept as it stands (patterns come from files).
String FormatOneString(const char* pattern, const char* text) {
    String out;
    bool used = false;
    for (const char* c = pattern ? pattern : ""; *c; ++c) {
        if (c[0] == '%' && c[1] == 's' && !used) {
            out.Append(text);
            used = true;
            ++c;
        } else if (c[0] == '%' && c[1] == '%') {
            out.Append("%");
            ++c;
        } else {
            const char one[2] = {*c, 0};
            out.Append(one);
        }
    }
    return out;
}

Vec3 WidgetPoint(Widget* widget) {
    if (!widget) {
        return Vec3{};
    }
    return widget->WorldMatrix().TransformPoint(Vec3{});
}

bool PlayPair(Scene* scene, const Link<Anim>& anims, int32_t index, const char* control, float* duration) {
    Anim* anim = anims.Get(index);
    return anim && PlayAnim(scene, anim, control, false, duration);
}

GameScreen* TopGameScreen() {
    return ObjectCast<GameScreen>(GetUI().TopmostGameScreen());
}

} // namespace

// ---- found-flight hooks ----------------------------------------------------------

class GameScreenFlightHooks : public FoundFlightHooks {
public:
    bool GameScreenShown() override { return GetUI().TopmostGameScreen() != nullptr; }
    void Arrived(Doodad& /*doodad*/, const Vec3& target) override {
        if (GameScreen* screen = TopGameScreen()) {
            screen->OnFlightArrived(target);
        }
    }
};

namespace {
GameScreenFlightHooks flightHooks;
}

// ---- binding ---------------------------------------------------------------------

GameScreen::GameScreen() {
    Name.SetFirstString("NewGameScreen");
    DeclareNamedString("menuButton", menuButton, 1, this);
    DeclareNamedString("hintButton", hintButton, 1, this);
    DeclareNamedString("journalButtons", journalButtons, 2, this);
    DeclareString("journalAnims", journalAnims, 2, this, "");
    DeclareNamedString("journalGroup", journalGroup, 1, this);
    DeclareNamedString("leftButton", leftButton, 1, this);
    DeclareNamedString("rightButton", rightButton, 1, this);
    DeclareNamedString("inventoryPanel", inventoryPanel, 1, this);
    DeclareNamedString("listGroup", listGroup, 1, this);
    DeclareNamedString("hintEmitter", hintEmitter, 1, this);
    DeclareNamedString("combineEmitter", combineEmitter, 1, this);
    DeclareNamedString("journalEmitter", journalEmitter, 1, this);
    DeclareNamedString("linkEmitter", linkEmitter, 1, this);
    DeclareNamedString("itemEmitter", itemEmitter, 1, this);
    DeclareNamedString("panelEmitter", panelEmitter, 1, this);
    DeclareNamedString("transformationEmitter", transformationEmitter, 1, this);
    DeclareString("goalPanelAnims", goalPanelAnims, 2, this, "");
    DeclareString("inventoryPanelAnims", inventoryPanelAnims, 2, this, "");
    DeclareString("guideAnims", guideAnims, 2, this, "");
    DeclareString("hudAnims", hudAnims, 2, this, "");
    DeclareNamedString("bogusMarker", bogusMarker, 1, this);
    DeclareString("bogusAnim", bogusAnim, 1, this, "");
    DeclareString("energySprite", energySprite, 1, this, "");
    DeclareNamedString("guideText", guideText, 1, this);
    DeclareNamedString("goalText", goalText, 1, this);
    DeclareNamedString("listBoxes", listBoxes, kListLines, this);
    DeclareNamedString("strikethroughs", strikethroughs, kListLines, this);
    DeclareNamedString("inventoryIcons", inventoryIcons, kInventorySlots, this);
    DeclareNamedString("itemNames", itemNames, kInventorySlots, this);
    DeclareNamedString("activeItemIcon", activeItemIcon, 1, this);
    DeclareNamedString("activeItemSlot", activeItemSlot, 1, this);
    DeclareNamedString("hintGaugeRoot", hintGaugeRoot, 1, this);
    DeclareNamedString("hintGauge", hintGauge, 1, this);
    DeclareNamedString("disc", disc, 1, this);
    DeclareNamedString("hintGroup", hintGroup, 1, this);
    DeclareNamedString("discGroup", discGroup, 1, this);
    DeclareNamedString("backRegions", backRegions, 2, this);
    DeclareNamedString("goalPanel", goalPanel, 1, this);
    hinted.reserve(32);
    drawOrder.reserve(8);
    sparkles.Reserve(64);
    SetFoundFlightHooks(&flightHooks);
}

GameScreen::~GameScreen() {
    if (cameraTouched) {
        ResetScreenCamera();
    }
}

bool GameScreen::Resolve() {
    return LevelScreen::Resolve();
}

// ---- level scene -----------------------------------------------------------------

bool GameScreen::LoadLevel(const char* name) {
    if (!name || !name[0]) {
        return false;
    }
    const String path = FormatLevelPath(GlobalText("Path_LevelScenes", "levels/%s/%s.scene").CStr(), name);
    std::unique_ptr<Scene> loaded = LoadScene(path.CStr());
    if (!loaded) {
        LogFormat("GameScreen: the level %s has no scene %s", name, path.CStr());
        return false;
    }
    return ShowLevelScene(std::move(loaded), name);
}

bool GameScreen::ShowLevelScene(std::unique_ptr<Scene> loaded, const char* name) {
    if (!loaded) {
        return false;
    }
    loaded->messageParent = this;
    levelScene = std::move(loaded);
    levelName = name ? name : "";
    hovered = nullptr;
    hinted.clear();
    introShown = outroShown = completed = disableDisc = false;
    gameMode = 0;
    // The first update resolves and places everything before the first draw.
    levelScene->Update();
    return true;
}

bool GameScreen::IsRootLevel() const {
    const String& root = GetLevelScenes().RootLevel();
    return root.Empty() || root.Equals(levelName.CStr());
}

bool GameScreen::EnterLevel(LevelScreen* previous) {
    // Entry may come before the HUD scene's first update: its children are
    // bound here at the latest.
    Resolve();
    PlayLevelMusic();
    State* player = CurrentPlayer();
    const auto* closeUp = previous != this ? ObjectCast<GameScreen>(previous) : nullptr;
    if (!player || !IsRegistered(*player)) {
        CallLevelHook("OnNewPlayer");
        PostMessage(kGameProfilePrompt, 2.0f);
    } else if (closeUp && closeUp->LevelFinished()) {
        // A completed close-up hands back to its level: the level's script
        // takes over when it says what follows, else the HUD is simply back.
        RefreshInventory();
        const String hook = closeUp->levelName + "_OnCompleted";
        if (!CallLevelHook(hook.CStr())) {
            if (guideShown) {
                if (guideAnims.Get(1)) {
                    SetAnimPose(guideAnims.GetString(1).CStr(), scene);
                }
                guideShown = false;
            }
            ShowHudAnimation(true, true);
        }
    } else {
        RefreshInventory();
        float startDelay = TweenSeconds();
        if (!introShown) {
            PostMessage(kGameIntro, 1.0f);
            startDelay += 1.0f;
        } else {
            ShowHudAnimation(true, false);
        }
        if (IsRootLevel()) {
            PostMessage(kGameLaunchLevel, 0.0f);
            PostMessage(kGameStartLevel, startDelay);
        }
    }
    if (Widget* group = journalGroup.Get(0)) {
        group->Visible.SetFirstBool(player && player->CurrentLevel.FirstInt() != 0);
    }
    RefreshGoals();
    return true;
}

void GameScreen::RefreshInventory() {
    const State* player = CurrentPlayer();
    for (int32_t slot = 0; slot < kInventorySlots; ++slot) {
        Bitmap* icon = inventoryIcons.Get(slot);
        if (!icon) {
            continue;
        }
        const int32_t item = slot + inventoryOffset;
        const bool has =
            player && item < player->Inventory.GetCount() && !player->Inventory.GetString(item).Empty();
        icon->Visible.SetFirstBool(has);
        if (has) {
            icon->SpritePath.SetFirstString(
                FormatOneString(kItemIconPattern, player->Inventory.GetString(item).CStr()).CStr());
        }
    }
}

void GameScreen::RefreshGoals() {
    struct Goal {
        String type;
        bool found = true;
    };
    std::vector<Goal> goals;
    if (levelScene) {
        for (const auto& entry : levelScene->Elements().Entries()) {
            Doodad* doodad = ObjectCast<Doodad>(entry.value);
            if (!doodad || !doodad->IsTreasure()) {
                continue;
            }
            const String& type = doodad->fancyName.FirstString();
            auto same = std::find_if(goals.begin(), goals.end(),
                                     [&type](const Goal& goal) { return goal.type.Equals(type.CStr()); });
            if (same == goals.end()) {
                if (goals.size() == size_t(kListLines)) {
                    continue;
                }
                same = goals.insert(goals.end(), Goal{type, true});
            }
            same->found = same->found && doodad->used.FirstBool();
        }
    }
    const String pattern = GlobalText("Path_ItemNames", "item.%s");
    for (int32_t line = 0; line < kListLines; ++line) {
        const bool shown = line < int32_t(goals.size());
        if (TextBox* box = listBoxes.Get(line)) {
            box->Text.SetFirstString(shown ? FormatOneString(pattern.CStr(), goals[line].type.CStr()).CStr()
                                           : "");
        }
        if (Bitmap* stroke = strikethroughs.Get(line)) {
            stroke->Visible.SetFirstBool(shown && goals[line].found);
        }
    }
}

bool GameScreen::OnPush() {
    SetFoundFlightHooks(&flightHooks);
    return true;
}

bool GameScreen::OnPop() {
    if (cameraTouched) {
        shake.Stop();
        ResetScreenCamera();
        cameraTouched = false;
    }
    return true;
}

bool GameScreen::OnReturn(Screen* popped) {
    if (!popped || !popped->IsA("ProfilePrompt")) {
        return true;
    }
    auto* prompt = static_cast<ProfilePrompt*>(popped);
    if (!prompt->accepted) {
        return true;
    }
    const String name = prompt->EnteredName();
    if (FindPlayerByName(name.CStr())) {
        LogFormat("GameScreen: the profile name '%s' is taken", name.CStr());
        return true;
    }
    const int32_t id = CreatePlayer(name.CStr());
    if (id >= 0 && SelectPlayer(id)) {
        PostMessage(kGameLevelEntryAgain, 1.0f);
    }
    return true;
}

// ---- messages --------------------------------------------------------------------

void GameScreen::NeedsScreen(const char* what) {
    LogFormat("GameScreen %s: the %s screen is not part of this build", levelName.CStr(), what);
}

bool GameScreen::Message(int32_t message, Object* sender) {
    Widget* widget = ObjectCast<Widget>(sender);
    switch (message) {
    case kGameHideThenFlashlight:
        if (widget) {
            widget->Visible.SetFirstBool(false);
        }
        return Message(kGameFlashlightSetup, nullptr);
    case kGameFadeWidgetIn:
    case kGameFadeWidgetOut:
        FadeWidget(message == kGameFadeWidgetIn, widget, false);
        return true;
    case kGameShowStory:
        if (!pendingStory.Empty() && !ShowStory(pendingStory.CStr())) {
            LogFormat("GameScreen %s: the story %s did not open", levelName.CStr(), pendingStory.CStr());
        }
        pendingStory = "";
        return true;
    case kGameHudIn:
    case kGameHudOut:
        ShowHudAnimation(message == kGameHudIn, false);
        return true;
    case kGameFlashlightSetup:
        if (Flashlight* light = LevelFlashlight(false)) {
            light->Setup();
        }
        return true;
    case kGameFlashlightOn:
        if (Flashlight* light = LevelFlashlight(true)) {
            light->SwitchOn();
        }
        return true;
    case kGameFlashlightOff:
        if (Flashlight* light = LevelFlashlight(false)) {
            light->SwitchOff();
        }
        return true;
    case kGameIntro:
    case kGameOutro:
        if (!TryLevelStory(message == kGameIntro)) {
            ShowHudAnimation(message == kGameIntro, false);
        }
        return true;
    case kGameItemPrompt:
        GetUI().PushScreenByName("ItemPrompt", 1);
        return true;
    case kGameOpenInventory:
    case kGameCloseInventory:
        panelTimer = message == kGameOpenInventory ? kPanelOpenTime : 0.0f;
        if (panelOpen != (panelTimer > 0.0f)) {
            SetInventoryPanel(panelTimer > 0.0f);
        }
        return true;
    case kGameShowGuide:
        if (!guideShown) {
            PlayPair(scene, guideAnims, 0, kGuideControl, nullptr);
            guideShown = true;
        }
        return true;
    case kGameHideGuide:
        if (guideShown) {
            PlayPair(scene, guideAnims, 1, kGuideControl, nullptr);
            guideShown = false;
        }
        return true;
    case kGameShowRootLevel:
        GetLevelScenes().SwitchToLevel(GetLevelScenes().RootLevel().CStr(), true);
        return true;
    case kGameOpenMap:
        OpenMap();
        return true;
    case kGameLevelEnd: {
        CallLevelHook("OnLevelCompleted");
        const LevelOptions* level = Options();
        const float delay = level ? level->LevelEndDelay.FirstFloat() : 5.0f;
        const float seconds = delay * (level ? level->LevelEndDelayFactor.FirstFloat() : 0.5f);
        if (!level || !level->NoStopMusicOnComplete.FirstBool()) {
            GetUI().services.StopMusic(delay);
        }
        const bool black = level && level->BlackMapTransition.FirstBool();
        GetUI().services.StartTransition(black ? kBlackTransition : 1, seconds, -1);
        PostMessage(kGameOpenMap, seconds);
        return true;
    }
    case kGameHoldInventory:
        ++panelHolds;
        return true;
    case kGameReleaseInventory:
        panelHolds = std::max(0, panelHolds - 1);
        return true;
    case kGameRestartLevel:
        GetLevelScenes().StartCurrentLevel();
        return true;
    case kGameStartLevel:
        CallLevelHook("StartLevel");
        PlayLevelMusic();
        return true;
    case kGameLaunchLevel:
        CallLevelHook("LaunchLevel");
        return true;
    case kGameJournalHighlightOn:
    case kGameJournalHighlightOff:
        PlayJournalHighlight(message == kGameJournalHighlightOn);
        return true;
    case kGameOpenJournal:
        if (!GetUI().PushScreenByName("JournalMenu", 1)) {
            NeedsScreen("journal");
        }
        return true;
    case kGameLevelEntryAgain:
        EnterLevel(nullptr);
        return true;
    case kGameProfilePrompt:
        GetUI().PushScreenByName("ProfilePrompt", 1);
        return true;
    case kGameSaveAndQuit:
        if (const LevelOptions* level = Options(); !level || !level->NoPartialSaves.FirstBool()) {
            if (State* player = CurrentPlayer()) {
                player->StowActiveItem();
            }
            if (GetLevelScenes().SaveLevels()) {
                GetUI().services.SaveBackground();
            }
        }
        if (FindClass("TitleScreen")) {
            GetUI().SetScreen("TitleScreen", 1);
        } else {
            NeedsScreen("title");
        }
        return true;
    case kGameDeferredFade:
        // An object whose fade the level deferred (until its use was shown)
        // fades away now.
        FadeWidget(false, widget, false);
        return true;
    case kGameLockOutTransition:
        GetUI().services.StartTransition(1, TweenSeconds(), -1);
        return true;
    case kGameJournalGiven:
        if (Widget* group = journalGroup.Get(0)) {
            group->Visible.SetFirstBool(true);
            if (Var* color = group->FindProperty("Color")) {
                color->SetFloat(3, 1.0f);
            }
        }
        return true;
    case kGameCredits:
        if (!GetUI().SetScreen("CreditsScreen", 1)) {
            NeedsScreen("credits");
        }
        return true;
    case kButtonClicked:
        return OnHudButton(sender);
    default:
        return LevelScreen::Message(message, sender);
    }
}

void GameScreen::PlayLevelMusic() {
    // Playing the music already playing does nothing, so entry and the
    // level's start may both ask for it.
    const LevelOptions* level = Options();
    if (level && !level->Music.FirstString().Empty()) {
        GetUI().services.PlayMusicByName(level->Music.FirstString().CStr());
    }
}

void GameScreen::OpenMap() {
    // The level screen leaves the stack here; the map fades in from the
    // picture the level's end transition left.
    LogFormat("Level %s: the map opens", levelName.CStr());
    if (!GetUI().SetScreen("MapScreen", 0)) {
        NeedsScreen("map");
        return;
    }
    const LevelOptions* level = Options();
    const bool black = level && level->BlackMapTransition.FirstBool();
    GetUI().services.StartTransition(black ? kBlackTransition : 1, GlobalFloat("Game_ShowMapDelay", 0, 2.0f),
                                     -1);
}

bool GameScreen::OnHudButton(Object* sender) {
    if (!sender) {
        return LevelScreen::Message(kButtonClicked, sender);
    }
    if (sender == menuButton.Get(0)) {
        if (!GetUI().PushScreenByName("GameMenu", 1)) {
            NeedsScreen("game menu");
        }
        return true;
    }
    if (sender == hintButton.Get(0)) {
        HintRequested();
        return true;
    }
    if (sender == journalButtons.Get(0) || sender == journalButtons.Get(1)) {
        return Message(kGameOpenJournal, nullptr);
    }
    if (sender == leftButton.Get(0) || sender == rightButton.Get(0)) {
        const State* player = CurrentPlayer();
        const int32_t items = player ? player->Inventory.GetCount() : 0;
        const int32_t step = sender == leftButton.Get(0) ? -1 : 1;
        inventoryOffset = std::clamp(inventoryOffset + step, 0, std::max(0, items - kInventorySlots));
        RefreshInventory();
        return true;
    }
    return LevelScreen::Message(kButtonClicked, sender);
}

LevelOptions* GameScreen::Options() const {
    return levelScene ? FindLevelOptions(*levelScene) : nullptr;
}

bool GameScreen::LevelStoryWanted(bool intro) {
    const LevelOptions* level = Options();
    return level && (intro ? level->ShowIntro.FirstBool() : level->ShowOutro.FirstBool());
}

float GameScreen::TweenSeconds() {
    return GlobalFloat("Tween", 0, 0.5f);
}

Sound* GameScreen::RandomGlobalSound(const char* setting) {
    const int32_t count = GlobalCount(setting);
    if (count <= 0) {
        return nullptr;
    }
    const String path = GlobalText(setting, "", std::rand() % count);
    return path.Empty() ? nullptr : Resources::FindSound(path.CStr());
}

Flashlight* GameScreen::LevelFlashlight(bool create) {
    if (!levelScene) {
        return nullptr;
    }
    for (const auto& entry : levelScene->Elements().Entries()) {
        if (Flashlight* light = ObjectCast<Flashlight>(entry.value)) {
            return light;
        }
    }
    return create ? ObjectCast<Flashlight>(levelScene->CreateElement("Flashlight")) : nullptr;
}

// ---- operations ------------------------------------------------------------------

void GameScreen::SpawnEnergySparkle(const Vec3& start, const Vec3& target, const Vec3& spread) {
    sparkles.Spawn(start, target, spread, GlobalFloat("VaporizeFloatSpeed", 0, 10.0f));
    RequestRedraw();
}

void GameScreen::ShakeCamera() {
    shake.Start(GlobalFloat("Game_CameraShakeTime", 0, 0.3f),
                GlobalFloat("Game_CameraShakeMagnitude", 0, 4.0f));
}

bool GameScreen::PlayHudAnimation(bool show, float* duration, bool stop) {
    if (duration) {
        *duration = 0.0f;
    }
    if (!hudEnabled) {
        return false;
    }
    Anim* anim = hudAnims.Get(show ? 0 : 1);
    if (!anim) {
        return false;
    }
    if (show) {
        GetUI().UnlockInput();
    }
    if (stop) {
        return SetAnimPose(hudAnims.GetString(show ? 0 : 1).CStr(), scene);
    }
    return PlayAnim(scene, anim, kHudControl, false, duration);
}

bool GameScreen::ShowHudAnimation(bool show, bool stop, float* duration) {
    return PlayHudAnimation(show, duration, stop);
}

void GameScreen::FadeWidget(bool show, Widget* widget, bool instant) {
    if (!widget) {
        return;
    }
    if (instant) {
        widget->Visible.SetFirstBool(show);
        return;
    }
    if (show) {
        FadeIn(this, widget, TweenSeconds());
    } else {
        FadeOut(widget, this, TweenSeconds(), 0);
    }
}

void GameScreen::ShowHint(const std::vector<Doodad*>& objects, float seconds) {
    hinted.assign(objects.begin(), objects.end());
    hintTimeLeft = seconds;
    hintAccumulator = 0.0f;
}

bool GameScreen::IsLockedOut() {
    const auto& queued = Messages();
    return std::any_of(queued.begin(), queued.end(),
                       [](const DelayedMessage& entry) { return entry.message == kGameLockOutTransition; });
}

bool GameScreen::HudShown() const {
    const State* player = CurrentPlayer();
    return !player || player->hudVisible;
}

// ---- update ----------------------------------------------------------------------

void GameScreen::Update() {
    const float dt = frameTime;
    if (GetUI().TopScreen() == this) {
        // The scene resolves links after its elements' updates: the HUD is
        // bound before the first step reads it (later frames find nothing
        // changed and return at once).
        Resolve();
        UpdateHover();
        StepHintSparkles(dt);
        StepHintButton();
        StepHintGauge(dt);
        sparkles.Step(dt);
        StepCameraShake(dt);
        StepInventoryPanel(dt);
        StepJournalHighlight();
        StepDisc();
        StepBackRegions();
        // A glow pulses while its doodad is hovered; held effects keep the
        // picture still for screenshots.
        const bool pulsing = hovered && hovered->Glow() && !EffectsHeld();
        if (pulsing || sparkles.LiveCount() > 0 || shake.Running() || hintTimeLeft > 0.0f) {
            RequestRedraw();
        }
    }
    LevelScreen::Update();
    if (levelScene) {
        levelScene->Update();
    }
}

void GameScreen::StepHintSparkles(float dt) {
    if (hintTimeLeft <= 0.0f) {
        return;
    }
    const float rate = GlobalFloat("HintSparkleRate", 0, 25.0f);
    const float interval = rate > 0.0f ? 1.0f / rate : 0.1f;
    hintAccumulator += dt;
    Emitter* emitter = hintEmitter.Get(0);
    for (int32_t n = 0; hintAccumulator >= interval && n < kMaxHintEmissionsPerFrame; ++n) {
        hintAccumulator -= interval;
        for (Doodad* object : hinted) {
            Vec3 point;
            if (emitter && object && object->GetHintPoint(point)) {
                emitter->SpawnAt(1, point.x, point.y);
            }
        }
    }
    hintAccumulator = std::min(hintAccumulator, interval);
    hintTimeLeft -= dt;
    if (hintTimeLeft <= 0.0f) {
        hintTimeLeft = 0.0f;
        hinted.clear();
    }
}

void GameScreen::StepHintButton() {
    const int32_t available = IsHintAvailable() ? 1 : 0;
    if (available == hintShownState) {
        return;
    }
    hintShownState = available;
    FadeWidget(available == 1, hintButton.Get(0), false);
}

float HintGaugeFill(float left, float cooldown) {
    const float elapsed = cooldown - left;
    if (elapsed < 1.0f) {
        return std::clamp(elapsed, 0.0f, 1.0f);
    }
    return cooldown > 1.0f ? std::clamp(left / (cooldown - 1.0f), 0.0f, 1.0f) : 0.0f;
}

void GameScreen::StepHintGauge(float dt) {
    State* player = CurrentPlayer();
    if (player) {
        const float left = player->HintCooldown.FirstFloat();
        bool ready = left <= 0.0f;
        if (!ready) {
            float next = left - dt;
            if (next < 0.0f) {
                next = 0.0f;
                ready = true;
                if (Emitter* burst = combineEmitter.Get(0)) {
                    const Vec3 at = WidgetPoint(hintButton.Get(0));
                    burst->SpawnAt(-1, at.x, at.y);
                }
            } else {
                hintGaugeFill = HintGaugeFill(next, GlobalFloat("Game_HintCooldownTime", 0, 45.0f));
                if (Bitmap* gauge = hintGauge.Get(0)) {
                    gauge->Scale.SetFloat(0, hintGaugeFill);
                }
            }
            player->HintCooldown.SetFirstFloat(next);
        }
        if (ready) {
            hintGaugeFill = 0.0f;
        }
        if (int32_t state = ready ? 1 : 0; state != hintReadyState) {
            hintReadyState = state;
            if (Button* button = hintButton.Get(0)) {
                button->enablePress.SetFirstBool(ready);
            }
            if (Widget* root = hintGaugeRoot.Get(0)) {
                if (ready) {
                    FadeOut(root, this, kQuickFade, 0);
                } else {
                    FadeIn(this, root, kQuickFade);
                }
            }
        }
    }
    const bool useDisc = UsesDisc();
    if (Widget* group = hintGroup.Get(0)) {
        group->Visible.SetFirstBool(!useDisc);
    }
    if (Widget* group = discGroup.Get(0)) {
        group->Visible.SetFirstBool(useDisc);
    }
}

void GameScreen::StepCameraShake(float dt) {
    if (!cameraShakeEnabled || (levelScene && levelScene->CountElements("CameraShaker") > 0)) {
        return;
    }
    const Vec2 half{float(DisplayWidth()) * 0.5f, float(DisplayHeight()) * 0.5f};
    if (!shake.Step(dt, GlobalFloat("CameraShakeZoom", 0, 3.0f), half)) {
        return;
    }
    ScreenCamera& camera = GetScreenCamera();
    camera.pan = shake.Offset();
    camera.extraZoom = shake.Zoom();
    RebuildScreenCamera();
    cameraTouched = true;
}

void GameScreen::StepInventoryPanel(float dt) {
    Widget* panel = inventoryPanel.Get(0);
    bool inside = false;
    if (panel && panel->IsVisible(true)) {
        const int32_t before = GlobalHitMode();
        SetGlobalHitMode(2);
        inside = panel->HitTest(Button::CursorInScene());
        SetGlobalHitMode(before);
    }
    if (inside) {
        panelTimer = kPanelOpenTime;
    } else if (panelHolds == 0 && !IsLockedOut()) {
        panelTimer = std::max(0.0f, panelTimer - dt);
    }
    const bool open = panelTimer > 0.0f;
    if (open != panelOpen) {
        SetInventoryPanel(open);
    }
}

void GameScreen::SetInventoryPanel(bool open) {
    panelOpen = open;
    PlayPair(scene, inventoryPanelAnims, open ? 0 : 1, kPanelControl, nullptr);
    if (open) {
        PlayGlobalSound("Sound_InventoryOpen", 1.0f);
    }
    if (gameMode != 0) {
        PlayPair(scene, goalPanelAnims, open ? 1 : 0, kGoalControl, nullptr);
    }
}

void GameScreen::PlayJournalHighlight(bool on) {
    journalHighlight = on;
    PlayPair(scene, journalAnims, on ? 0 : 1, kJournalControl, nullptr);
    if (Sound* sound = RandomGlobalSound(on ? "Sound_JournalOpen" : "Sound_JournalClose");
        sound && sound->Implementation()) {
        sound->Implementation()->Play(false, 0.2f, 1.0f);
    }
}

void GameScreen::StepJournalHighlight() {
    const State* player = CurrentPlayer();
    if (!player || IsLockedOut()) {
        return;
    }
    const bool updated = player->JournalUpdated.FirstBool();
    if (updated != journalHighlight) {
        PlayJournalHighlight(updated);
    }
}

void GameScreen::StepDisc() {
    Bitmap* orb = disc.Get(0);
    if (!orb) {
        return;
    }
    if (disableDisc) {
        FadeOut(orb, this, kQuickFade, 1);
        return;
    }
    const State* player = CurrentPlayer();
    const String color = player ? player->LevelDiscColor() : String();
    if (color.Empty() || (!player->OrbsActive() && color.Equals("red"))) {
        orb->Visible.SetFirstBool(false);
        return;
    }
    const String path = FormatOneString(GlobalText("Path_DiscFrames", "").CStr(), color.CStr());
    if (!orb->SpritePath.FirstString().Equals(path.CStr())) {
        orb->SpritePath.SetFirstString(path.CStr());
    }
    orb->FrameIndex.SetFirstInt(std::max(0, player->OrbCount.FirstInt()));
    orb->Visible.SetFirstBool(true);
}

void GameScreen::StepBackRegions() {
    const bool sublevel = !IsRootLevel();
    for (int32_t i = 0; i < backRegions.ResolvedCount(); ++i) {
        if (Region* region = backRegions.Get(i)) {
            region->Visible.SetFirstBool(sublevel);
        }
    }
}

// ---- hover and input -------------------------------------------------------------

Doodad* GameScreen::DoodadUnderCursor() {
    if (!levelScene) {
        return nullptr;
    }
    const Vec2 cursor = Button::CursorInScene();
    const std::vector<Widget*>& order = levelScene->BuildDrawList();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Doodad* doodad = ObjectCast<Doodad>(*it);
        if (doodad && doodad->IsVisible(true) && !doodad->used.FirstBool() && doodad->HitTest(cursor)) {
            return doodad;
        }
    }
    return nullptr;
}

void GameScreen::UpdateHover() {
    // The HUD is in front: while the cursor is over it nothing below glows.
    Doodad* now = scene && scene->Hovered() ? nullptr : DoodadUnderCursor();
    if (now && !HoverGlows(*now)) {
        now = nullptr;
    }
    if (now == hovered) {
        return;
    }
    if (hovered) {
        hovered->DeleteGlow();
    }
    hovered = now;
    if (hovered) {
        ShowGlow(*hovered);
    }
    RequestRedraw();
}

bool GameScreen::HoverGlows(const Doodad& doodad) const {
    return !doodad.IsTreasure();
}

bool GameScreen::HoverTest() {
    if (LevelScreen::HoverTest()) {
        return true;
    }
    return levelScene && levelScene->HoverTest();
}

bool GameScreen::MouseButton(int32_t button, bool pressed) {
    if (InputBlocked()) {
        return true;
    }
    if (LevelScreen::MouseButton(button, pressed)) {
        return true;
    }
    return levelScene && levelScene->MouseButton(button, pressed);
}

void GameScreen::OnFlightArrived(const Vec3& target) {
    if (Emitter* burst = combineEmitter.Get(0)) {
        burst->SpawnAt(-1, target.x, target.y);
    }
    PlayGlobalSound("Sound_TreasureDock", 1.0f);
}

// ---- draw ------------------------------------------------------------------------

bool GameScreen::Draw() {
    drawOrder.clear();
    if (shake.HasOffset()) {
        RenderStackScope black;
        RenderStack::SetTexturing(false);
        RenderStack::SetBlendMode(kBlendBlockCopy);
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 1.0f);
        RenderStack::SetModelMatrix(Matrix4::Identity());
        const float w = float(DisplayWidth());
        const float h = float(DisplayHeight());
        DrawRectQuad(Vec2{-w, -h}, Vec2{w, h});
        drawOrder.push_back("black");
    }
    if (levelScene) {
        levelScene->Draw();
        drawOrder.push_back("level");
    }
    if (IsLockedOut()) {
        GetUI().services.DrawBackground();
        drawOrder.push_back("background");
    }
    if (HudShown() && scene) {
        scene->Draw();
        drawOrder.push_back("hud");
    }
    sparkles.Draw(energySprite.Get(0));
    drawOrder.push_back("sparkles");
    DrawFlights();
    drawOrder.push_back("flights");
    return true;
}

void GameScreen::DrawFlights() {
    if (!levelScene) {
        return;
    }
    for (Widget* widget : levelScene->BuildDrawList()) {
        if (Doodad* doodad = ObjectCast<Doodad>(widget); doodad && doodad->IsFlying()) {
            DrawFoundFlightIcon(*doodad);
        }
    }
}

// ---- level life: completion, stories, journal ---------------------------------------

void GameScreen::LevelCompleted() {
    if (completed) {
        return;
    }
    completed = true;
    if (State* player = CurrentPlayer()) {
        player->mapChangePending = true;
        player->ShowMapOnLoad.SetFirstBool(false);
    }
    if (!TryLevelStory(false)) {
        PostMessage(kGameHudOut, TweenSeconds());
    }
    PostMessage(kGameLevelEnd, TweenSeconds());
}

void GameScreen::LevelLeft() {
    if (completed) {
        return;
    }
    if (State* player = CurrentPlayer()) {
        player->mapChangePending = false;
        player->ShowMapOnLoad.SetFirstBool(false);
    }
    if (!TryLevelStory(false)) {
        PostMessage(kGameHudOut, TweenSeconds());
    }
    PostMessage(kGameLevelEnd, TweenSeconds());
}

void GameScreen::GameCompleted() {
    if (completed) {
        return;
    }
    LogFormat("Level %s: the game is completed", levelName.CStr());
    if (State* player = CurrentPlayer()) {
        player->mapChangePending = false;
        player->ShowMapOnLoad.SetFirstBool(false);
        player->CurrentLevel.SetFirstInt(std::max(0, GlobalInt("LevelCount", 0, 1) - 1));
        player->StowActiveItem();
        SaveStateFile();
    }
    GetUI().services.StartTransition(1, 2.0f, kGameCredits);
}

bool GameScreen::TryLevelStory(bool intro) {
    bool& shown = intro ? introShown : outroShown;
    const bool dialogue = ::options && ::options->FindProperty("EnableDialogue") &&
                          ::options->FindProperty("EnableDialogue")->FirstBool();
    if (!dialogue || shown || !LevelStoryWanted(intro)) {
        return false;
    }
    shown = true;
    const String story = FormatOneString(
        GlobalText(intro ? "Path_LevelIntroStory" : "Path_LevelOutroStory", "").CStr(), levelName.CStr());
    const String file = FormatOneString(GlobalText("DialogueTextPath", "").CStr(), story.CStr());
    if (!Exists(file.CStr())) {
        return false;
    }
    TellStory(story.CStr(), true, !intro);
    return true;
}

void GameScreen::TellStory(const char* story, bool hideHud, bool restoreHud) {
    float hudOut = 0.0f;
    if (hideHud) {
        PlayHudAnimation(false, &hudOut, false);
    }
    pendingStory = story ? story : "";
    if (hudOut > 0.0f) {
        PostMessage(kGameShowStory, hudOut);
    } else {
        Message(kGameShowStory, nullptr);
    }
    if (restoreHud) {
        PostMessage(kGameHudIn, TweenSeconds() + hudOut);
    }
}

void GameScreen::GiveJournal() {
    const String scenePath = GlobalText("Path_GiveJournalScene", "");
    const String animPath = GlobalText("Path_GiveJournalAnim", "");
    std::unique_ptr<Scene> gift = scenePath.Empty() ? nullptr : LoadScene(scenePath.CStr());
    Anim* anim = animPath.Empty() ? nullptr : Resources::FindAnim(animPath.CStr());
    float length = 0.0f;
    if (gift && anim && PlayAnim(gift.get(), anim, "give_journal", false, &length)) {
        gift->Name.SetFirstString("give_journal");
        GetUI().AddOverlay(gift.release(), animPath.CStr());
        PostMessage(kGameJournalGiven, length);
        GetUI().services.StartTransition(1, 0.5f, -1);
        return;
    }
    FadeIn(this, journalGroup.Get(0), kQuickFade);
}
