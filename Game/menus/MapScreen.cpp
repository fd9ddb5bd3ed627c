#include "menus/MapScreen.h"

#include "anim/SceneAnims.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/Random.h"
#include "data/Globals.h"
#include "data/Options.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "menus/MapChange.h"
#include "menus/MapMarkers.h"
#include "menus/Waypoint.h"
#include "play/LevelScenes.h"
#include "render/Bitmap.h"
#include "render/BlendMode.h"
#include "render/RenderContext.h"
#include "render/RenderState.h"
#include "render/ScreenDraw.h"
#include "render/Sprite.h"
#include "ui/UI.h"

#include <algorithm>
#include <cmath>
#include <cstring>

// Index: camera / set-up / per frame / input and messages / changes / walking / leaving / MapMenu

namespace {

constexpr int32_t kMenuTransition = 1;
constexpr float kAlphaHidden[4] = {1.0f, 1.0f, 1.0f, 0.0f};
/// A disappearing change starts this long after the appearing ones.
constexpr float kHideLater = 4.0f;
constexpr float kSparkleInterval = 0.01f;

State* Player() {
    return CurrentPlayer();
}

bool InSecondWorld() {
    State* player = Player();
    return player && player->InSecondWorld();
}

/// Index of `name` in Globals "Levels", or -1.
int32_t LevelIndex(const String& name) {
    Globals* settings = GetGlobals();
    if (!settings || name.Empty()) {
        return -1;
    }
    const Var& levels = settings->Setting("Levels");
    for (int32_t i = 0; i < levels.GetCount(); ++i) {
        if (levels.GetString(i) == name) {
            return i;
        }
    }
    return -1;
}

const String* LevelName(int32_t index) {
    Globals* settings = GetGlobals();
    if (!settings) {
        return nullptr;
    }
    const Var& levels = settings->Setting("Levels");
    return index >= 0 && index < levels.GetCount() ? &levels.GetString(index) : nullptr;
}

void SetColour(Widget& widget, const float colour[4]) {
    for (int32_t i = 0; i < 4; ++i) {
        widget.Color.SetFloat(i, colour[i]);
    }
}

} // namespace

// ---- camera -----------------------------------------------------------------

Vec2 EaseCamera(Vec2 position, Vec2 target, float seconds) {
    const float dx = target.x - position.x;
    const float dy = target.y - position.y;
    if (dx * dx + dy * dy <= 1.0f) {
        return target;
    }
    // A long frame must not carry the camera past its target.
    const float share = std::clamp(3.0f * seconds, 0.0f, 1.0f);
    return Vec2{position.x + dx * share, position.y + dy * share};
}

Vec2 ClampCamera(Vec2 position, const float extents[4], float width, float height) {
    const float left = extents[0];
    const float top = extents[1];
    const float right = extents[2];
    const float bottom = extents[3];
    if (left > position.x - width / 2) {
        position.x = left + width / 2;
    }
    if (top > position.y - height / 2) {
        position.y = top + height / 2;
    }
    if (right < position.x + width / 2) {
        position.x = right - width / 2;
    }
    if (bottom < position.y + height / 2) {
        position.y = bottom - height / 2;
    }
    return position;
}

// ---- set-up -----------------------------------------------------------------

MapScreen::MapScreen() {
    Name.SetFirstString("NewMapScreen");
    DeclareNamedString("map", map, 1, this);
    DeclareNamedString("changes", changesScene, 1, this);
    DeclareNamedString("backgrounds", backgrounds, 2, this);
    DeclareNamedString("buttonGroup", buttonGroup, 1, this);
    DeclareNamedString("playButton", playButton, 1, this);
    DeclareNamedString("menuButton", menuButton, 1, this);
    DeclareNamedString("changeEmitter", changeEmitter, 1, this);
    DeclareNamedString("gleamWidget", gleamWidget, 1, this);
    DeclareNamedString("gleamAnim", gleamAnim, 1, this);
}

PlayerMarker* MapScreen::Player() const {
    Scene* mapScene = map.Get();
    if (!mapScene) {
        return nullptr;
    }
    for (auto& entry : mapScene->Elements().Entries()) {
        if (auto* marker = ObjectCast<PlayerMarker>(entry.value)) {
            return marker;
        }
    }
    return nullptr;
}

Widget* MapScreen::MapWidget(const String& name) const {
    Scene* mapScene = map.Get();
    return mapScene && !name.Empty() ? ObjectCast<Widget>(mapScene->FindElement(name.CStr())) : nullptr;
}

void MapScreen::BuildGraph() {
    std::vector<Waypoint*> waypoints;
    for (auto& entry : map.Get()->Elements().Entries()) {
        if (auto* waypoint = ObjectCast<Waypoint>(entry.value)) {
            waypoint->RebuildNeighbourTable();
            waypoints.push_back(waypoint);
        }
    }
    graph.Build(waypoints);
}

void MapScreen::BuildChangeList() {
    Scene* source = changesScene.Get();
    Globals* settings = GetGlobals();
    if (!source || !settings) {
        return;
    }
    const Var& levels = settings->Setting("Levels");
    std::vector<MapChange*> all;
    for (auto& entry : source->Elements().Entries()) {
        if (auto* change = ObjectCast<MapChange>(entry.value)) {
            all.push_back(change);
        }
    }
    std::sort(all.begin(), all.end(),
              [](MapChange* a, MapChange* b) { return std::strcmp(a->GetName(), b->GetName()) < 0; });
    for (int32_t i = 0; i < levels.GetCount(); ++i) {
        for (MapChange* change : all) {
            if (change->Level.FirstString() == levels.GetString(i)) {
                changes.push_back(change);
            }
        }
    }
}

void MapScreen::ApplyWorldScenery(bool secondWorld) {
    for (auto& entry : map.Get()->Elements().Entries()) {
        auto* widget = ObjectCast<Widget>(entry.value);
        const char* name = entry.value->GetName();
        if (!widget || std::strlen(name) < 2) {
            continue;
        }
        if (std::strncmp(name, kFirstWorldPrefix, 2) == 0) {
            widget->Visible.SetFirstBool(!secondWorld);
        } else if (std::strncmp(name, kSecondWorldPrefix, 2) == 0) {
            widget->Visible.SetFirstBool(secondWorld);
        }
    }
}

int32_t MapScreen::ApplyCompletedChanges() {
    int32_t applied = 0;
    for (MapChange* change : changes) {
        if (!ApplyMapChange(*change)) {
            break;
        }
        ++applied;
    }
    return applied;
}

void MapScreen::HidePlayButton() {
    if (Button* play = playButton.Get()) {
        play->Visible.SetFirstBool(false);
        SetColour(*play, kAlphaHidden);
    }
}

bool MapScreen::OnPush() {
    Resolve();
    Scene* mapScene = map.Get();
    if (!mapScene) {
        LogFormat("MapScreen: the map scene \"%s\" did not load; the map stays empty",
                  map.FirstString().CStr());
        GetUI().ShowCursor(true);
        return true;
    }
    BuildGraph();
    if (changes.empty()) {
        BuildChangeList();
    }
    HidePlayButton();

    mapScene->sceneMatrix = Matrix4::Identity();
    mapScene->Update();
    State* player = ::Player();
    const bool secondWorld = InSecondWorld();
    PlayerMarker* marker = Player();
    if (marker && player) {
        const String* level = LevelName(player->CurrentLevel.FirstInt());
        if (!level || !mapScene->FindElement(level->CStr(), "LevelMarker")) {
            LogFormat("MapScreen: no level marker for level %d (\"%s\")", player->CurrentLevel.FirstInt(),
                      level ? level->CStr() : "");
        }
        marker->StandOnCurrentLevel();
    }
    ApplyWorldScenery(secondWorld);
    ApplyCompletedChanges();
    mapScene->Update();
    if (marker) {
        cameraPosition = cameraTarget = ScenePositionOf(*marker);
    }
    mapScene->sceneMatrix = Matrix4::Translation(-cameraPosition.x, -cameraPosition.y, 0.0f);
    mapScene->Update();

    const bool showMapOnLoad = player && player->ShowMapOnLoad.FirstBool();
    if (showMapOnLoad) {
        FadeIn(this, playButton.Get(), 0.25f);
    } else if (player && player->mapChangePending) {
        AnimateLevelChanges(player->CurrentLevel.FirstInt(), secondWorld ? 3.0f : 1.0f);
    } else if (player && player->CurrentLevel.FirstInt() == 2) {
        // The first level of the second world: nothing to walk from.
        FadeIn(this, playButton.Get(), 0.25f);
    } else {
        PostMessage(kWalkToNextLevel, 3.0f);
    }
    // Back from a level the map has its own music in either world (the
    // level's stopped as it ended); a map shown on load keeps what plays.
    if (!showMapOnLoad) {
        Globals* settings = GetGlobals();
        PostMessage(kPlayMusic, settings ? settings->GetFloat("Game_ShowMapDelay") : 2.0f);
    }
    GetUI().ShowCursor(true);
    PlayerMarker::arrived = [](PlayerMarker&) {
        if (auto* screen = ObjectCast<MapScreen>(GetUI().FindScreen("MapScreen", true))) {
            screen->OnPlayerArrived();
        }
    };
    return true;
}

// ---- per frame --------------------------------------------------------------

Scene* MapScreen::Backdrop() const {
    return backgrounds.Get(sky || !InSecondWorld() ? 0 : 1);
}

void MapScreen::UpdateCamera() {
    cameraPosition = EaseCamera(cameraPosition, cameraTarget, frameTime);
    Globals* settings = GetGlobals();
    const Var* extents = settings ? &settings->Setting("Map_Extents") : nullptr;
    if (extents && extents->GetCount() > 0) {
        const float edges[4] = {extents->GetFloat(0), extents->GetFloat(1), extents->GetFloat(2),
                                extents->GetFloat(3)};
        cameraPosition = ClampCamera(cameraPosition, edges, float(DisplayWidth()), float(DisplayHeight()));
    }
}

void MapScreen::UpdateSparkles() {
    Emitter* emitter = changeEmitter.Get();
    if (glows.empty() || !emitter) {
        return;
    }
    sparkleTimer -= frameTime;
    if (sparkleTimer > 0.0f) {
        return;
    }
    for (Bitmap* glow : glows) {
        const Sprite* picture = glow->GetSprite();
        int32_t x = 0;
        int32_t y = 0;
        if (picture && picture->RandomOpaquePoint(false, x, y)) {
            const Vec2 at = glow->WorldMatrix().TransformPoint(Vec2{float(x), float(y)});
            emitter->SpawnAt(1, at.x, at.y);
        }
    }
    sparkleTimer += kSparkleInterval;
}

void MapScreen::Update() {
    Screen::Update();
    Scene* mapScene = map.Get();
    if (!mapScene) {
        return;
    }
    UI& ui = GetUI();
    const bool onTop = ui.TopScreen() == this && ui.inputLock == 0.0f;
    if (PlayerMarker* marker = Player()) {
        const bool walking = marker->IsWalking();
        if (walking) {
            cameraTarget = ScenePositionOf(*marker);
        }
        const bool shown = walking || onTop;
        if (marker->Visible.FirstBool() != shown) {
            marker->Visible.SetFirstBool(shown);
        }
    }
    if (Widget* group = buttonGroup.Get()) {
        if (group->Visible.FirstBool() != onTop) {
            group->Visible.SetFirstBool(onTop);
        }
    }
    // The map updates under the camera its world matrices were made with,
    // so positions read from them and the matrix agree during the update;
    // the camera's new place shows from the next update on.
    mapScene->Update();
    UpdateCamera();
    mapScene->sceneMatrix = Matrix4::Translation(-cameraPosition.x, -cameraPosition.y, 0.0f);
    if (Scene* backdrop = Backdrop()) {
        backdrop->Update();
    }
    UpdateSparkles();
}

bool MapScreen::Draw() {
    Scene* mapScene = map.Get();
    if (!mapScene) {
        return Screen::Draw();
    }
    if (Scene* backdrop = Backdrop()) {
        backdrop->Draw();
    }
    mapScene->Draw();
    if (GetUI().TopScreen() != this) {
        RenderStackScope scope;
        RenderStack::SetProjectionMatrix(MakeScreenProjection(DisplayWidth(), DisplayHeight()));
        RenderStack::SetCameraMatrix(Matrix4::Identity());
        RenderStack::SetModelMatrix(Matrix4::Identity());
        RenderStack::SetTexturing(false);
        RenderStack::SetBlendMode(kBlendAlphaBlend);
        RenderStack::SetColor(0.0f, 0.0f, 0.0f, 0.25f);
        DrawRectQuad(Vec2{0.0f, 0.0f}, Vec2{float(DisplayWidth()), float(DisplayHeight())});
    }
    return Screen::Draw();
}

// ---- input and messages -----------------------------------------------------

bool MapScreen::HoverTest() {
    if (Screen::HoverTest()) {
        return true;
    }
    Scene* mapScene = map.Get();
    PlayerMarker* marker = Player();
    if (!mapScene || (marker && marker->IsWalking())) {
        return false;
    }
    return mapScene->HoverTest();
}

bool MapScreen::MouseButton(int32_t button, bool pressed) {
    const Options* settings = GetOptions();
    if (settings && settings->Editing.FirstBool()) {
        return false;
    }
    if (Screen::MouseButton(button, pressed)) {
        return true;
    }
    // Only a click made on the map plays: a release over one of its buttons
    // belongs to the button, and the release of a press made on a screen
    // that has gone since (the title's buttons) must not start the level.
    if (button != 0 || !map.Get() || (scene && scene->Hovered())) {
        return false;
    }
    if (pressed) {
        pressedOnMap = true;
        return true;
    }
    if (!pressedOnMap) {
        return false;
    }
    pressedOnMap = false;
    Play();
    return true;
}

bool MapScreen::OnReturn(Screen* popped) {
    if (popped && popped->IsA("TitleScreen")) {
        PostMessage(kPlayMusic, 1.0f);
    }
    return true;
}

bool MapScreen::Message(int32_t message, Object* sender) {
    auto* change = ObjectCast<MapChange>(sender);
    auto* widget = ObjectCast<Widget>(sender);
    switch (message) {
    case kButtonClicked:
        if (sender && sender == playButton.Get()) {
            Play();
            return true;
        }
        if (sender && sender == menuButton.Get()) {
            GetUI().PushScreenByName("MapMenu", kMenuTransition);
            return true;
        }
        return Screen::Message(message, sender);
    case kPlay:
        Play();
        return true;
    case kAnimateChange:
        if (change) {
            AnimateMapChange(*change);
        }
        return true;
    case kApplyChange:
        if (change) {
            ApplyMapChange(*change);
        }
        return true;
    case kFadeInWidget:
        FadeIn(this, widget, 1.0f);
        return true;
    case kFadeOutWidget:
        FadeOut(widget, this, 1.0f, 1);
        return true;
    case kStopSparkles:
        glows.clear();
        return true;
    case kWalkToNextLevel:
        WalkToNextLevel();
        return true;
    case kGleam:
        if (change) {
            Gleam(*change);
        }
        return true;
    case kSkyOn:
        sky = true;
        return true;
    case kFadeInPlayer:
        FadeIn(this, Player(), 0.25f);
        return true;
    case kStartLevel:
        StartLevel();
        return true;
    case kLeaveToTitle:
        LeaveToTitle();
        return true;
    case kPlayMusic: {
        Globals* settings = GetGlobals();
        if (settings) {
            const char* key = InSecondWorld() ? "Music_EmberlowMap" : "Music_DunhavenMap";
            const String path = settings->GetString(key);
            // Not under "MapScreen:", which starts the map's problem lines.
            LogFormat("Map music: %s (%s)", path.CStr(), key);
            GetUI().services.PlayMusicByName(path.CStr());
        }
        return true;
    }
    default:
        return Screen::Message(message, sender);
    }
}

void MapScreen::Play() {
    UI& ui = GetUI();
    ui.LockInputFor(1.0f);
    ui.services.StopMusic(1.0f);
    ui.services.StartTransition(InSecondWorld() ? 8 : 10, 1.0f, kStartLevel);
}

void MapScreen::StartLevel() {
    const bool secondWorld = InSecondWorld();
    if (!GetLevelScenes().StartCurrentLevel()) {
        LogLine("MapScreen: the current level could not be started; the map stays");
    }
    GetUI().services.StartTransition(secondWorld ? 9 : 11, 1.0f, -1);
}

// ---- changes ----------------------------------------------------------------

void MapScreen::AnimateLevelChanges(int32_t level, float delay) {
    if (changes.empty()) {
        Resolve();
        BuildChangeList();
    }
    State* player = ::Player();
    PlayerMarker* marker = Player();
    if (!sky) {
        float latest = 0.0f;
        const bool pending = player && player->mapChangePending;
        for (MapChange* change : changes) {
            const int32_t index = LevelIndex(change->Level.FirstString());
            if (!pending || index < 0 || index != level ||
                player->IsLevelPassed(change->Level.FirstString().CStr())) {
                continue;
            }
            if (Widget* target = MapWidget(change->Target.FirstString())) {
                // Appearing targets start invisible, vanishing ones fully shown.
                const bool show = change->Show.FirstBool();
                target->Visible.SetFirstBool(!show);
                target->Color.SetFloat(3, show ? 0.0f : 1.0f);
            } else if (!(change->Target.FirstString() == MapChange::kSkyTarget)) {
                LogFormat("MapScreen: map change \"%s\" names no widget \"%s\" of the map", change->GetName(),
                          change->Target.FirstString().CStr());
                continue;
            }
            const float at = change->Show.FirstBool() ? delay : delay + kHideLater;
            QueueMessage(kAnimateChange, at, 0, change);
            latest = std::max(latest, at);
        }
        PostMessage(kStopSparkles, latest + 1.0f);
        PostMessage(kFadeInPlayer, latest + 3.5f);
        PostMessage(kWalkToNextLevel, latest + 4.0f);
        FadeOut(marker, this, 0.25f, 1);
    } else {
        PostMessage(kWalkToNextLevel, delay + 1.0f);
    }
    GetUI().LockInput();
    if (player) {
        player->mapChangePending = false;
    }
    HidePlayButton();
}

bool MapScreen::ApplyMapChange(MapChange& change) {
    State* player = ::Player();
    if (!player || !player->IsLevelPassed(change.Level.FirstString().CStr())) {
        return false;
    }
    if (change.Target.FirstString() == MapChange::kSkyTarget) {
        sky = change.Show.FirstBool();
        return true;
    }
    Widget* target = MapWidget(change.Target.FirstString());
    if (!target) {
        LogFormat("MapScreen: map change \"%s\" names no widget \"%s\" of the map", change.GetName(),
                  change.Target.FirstString().CStr());
        return false;
    }
    target->Visible.SetFirstBool(change.Show.FirstBool());
    return true;
}

void MapScreen::AnimateMapChange(MapChange& change) {
    if (change.Target.FirstString() == MapChange::kSkyTarget) {
        QueueMessage(kApplyChange, 1.0f, 0, &change);
        return;
    }
    auto* target = ObjectCast<Bitmap>(MapWidget(change.Target.FirstString()));
    if (!target) {
        return;
    }
    Bitmap* glow = MakeGlowCopy(*target);
    if (glow) {
        glow->Position.SetFloat(2, target->Position.GetFloat(2) + 1.0f);
        glow->Visible.SetFirstBool(false);
        SetColour(*glow, kAlphaHidden);
        FadeIn(this, glow, 1.0f);
    }
    if (change.Show.FirstBool()) {
        QueueMessage(kFadeInWidget, 1.0f, 0, target);
    } else {
        FadeOut(target, this, 1.0f, 1);
    }
    QueueMessage(kGleam, 0.5f, 0, &change);
    Globals* settings = GetGlobals();
    const char* soundKey =
        change.IsLevelLocation.FirstBool() ? "Sound_MapChangeLevel" : "Sound_MapChangeExtra";
    if (Sound* sound = settings ? Resources::FindSound(settings->GetString(soundKey).CStr()) : nullptr) {
        QueueMessage(kMessagePlaySound, 1.0f, 0, sound);
    }
    QueueMessage(kApplyChange, 1.0f, 0, &change);
    if (glow) {
        QueueMessage(kFadeOutWidget, 1.0f, 0, glow);
        glows.push_back(glow);
    }
}

void MapScreen::Gleam(MapChange& change) {
    auto* target = ObjectCast<Bitmap>(MapWidget(change.Target.FirstString()));
    const Sprite* picture = target ? target->GetSprite() : nullptr;
    Widget* gleam = gleamWidget.Get();
    if (!picture || !gleam) {
        return;
    }
    // The gleam sits in the screen's scene: map pixels become screen-scene
    // pixels through the map's world matrix.
    const Vec2 at = target->WorldMatrix().TransformPoint(
        Vec2{float(picture->Width()) / 2.0f, float(picture->Height()) / 2.0f});
    gleam->Position.SetFloat(0, at.x);
    gleam->Position.SetFloat(1, at.y);
    gleam->Position.SetFloat(2, 1000.0f);
    PlayAnim(scene, gleamAnim.Get(), "gleam", false);
}

// ---- walking ----------------------------------------------------------------

bool MapScreen::WalkToNextLevel() {
    PlayerMarker* marker = Player();
    State* player = ::Player();
    Scene* mapScene = map.Get();
    if (!marker || !player || !mapScene || marker->IsWalking()) {
        return false;
    }
    const int32_t level = player->CurrentLevel.FirstInt();
    const String* from = LevelName(level);
    const String* to = LevelName(level + 1);
    if (!from || !to) {
        return false;
    }
    // Without a walk the marker stays, but the game goes on: the next level
    // becomes current and the play button shows, as after an arrival.
    const auto stay = [&] {
        player->CurrentLevel.SetFirstInt(level + 1);
        OnPlayerArrived();
        return false;
    };
    if (!mapScene->FindElement(from->CStr(), "LevelMarker") ||
        !mapScene->FindElement(to->CStr(), "LevelMarker")) {
        LogFormat("MapScreen: no walk from \"%s\" to \"%s\": a level marker is missing", from->CStr(),
                  to->CStr());
        return stay();
    }
    if (!graph.FindPath(from->CStr(), to->CStr())) {
        LogFormat("MapScreen: no path joins \"%s\" and \"%s\"; the player stays", from->CStr(), to->CStr());
        return stay();
    }
    if (!WalkPath(graph, *marker)) {
        LogFormat("MapScreen: the walk from \"%s\" to \"%s\" did not start; the player stays", from->CStr(),
                  to->CStr());
        return stay();
    }
    player->CurrentLevel.SetFirstInt(level + 1);
    FadeIn(this, marker, 0.25f);
    return true;
}

void MapScreen::OnPlayerArrived() {
    GetUI().UnlockInput();
    FadeIn(this, playButton.Get(), 0.25f);
}

// ---- leaving ----------------------------------------------------------------

void MapScreen::LeaveToTitle() {
    if (State* player = ::Player()) {
        player->StowActiveItem();
        player->CompactInventory();
    }
    UI& ui = GetUI();
    if (GetLevelScenes().SaveLevels()) {
        ui.services.SaveBackground();
    }
    ui.PushScreenByName("TitleScreen", kMenuTransition);
}

// ---- MapMenu ----------------------------------------------------------------

MapMenu::MapMenu() {
    Name.SetFirstString("NewMapMenu");
    DeclareNamedString("resumeGameButton", resumeGameButton, 1, this);
    DeclareNamedString("optionsButton", optionsButton, 1, this);
    DeclareNamedString("titleScreenButton", titleScreenButton, 1, this);
}

bool MapMenu::Message(int32_t message, Object* sender) {
    if (message != kButtonClicked || !sender) {
        return Screen::Message(message, sender);
    }
    UI& ui = GetUI();
    if (sender == resumeGameButton.Get()) {
        ui.PopScreen(kMenuTransition);
        return true;
    }
    if (sender == optionsButton.Get()) {
        if (!ui.PushScreenByName("OptionsMenu", kMenuTransition)) {
            LogLine("MapMenu: the options menu could not be opened");
        }
        return true;
    }
    if (sender == titleScreenButton.Get()) {
        ui.PopScreen(kMenuTransition);
        if (auto* mapScreen = ObjectCast<MapScreen>(ui.FindScreen("MapScreen", true))) {
            ui.services.StopMusic(0.5f);
            mapScreen->PostMessage(MapScreen::kLeaveToTitle, 1.0f);
            ui.LockInputFor(1.1f);
        }
        return true;
    }
    return Screen::Message(message, sender);
}
