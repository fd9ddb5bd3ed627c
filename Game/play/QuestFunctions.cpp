// The level function table: what a level script may call (besides the
// global functions every script has, PlayMovie and ShowStory among them). Every function
// reads its arguments into plain values first; a wrong argument count, a
// name that names nothing or a property of the wrong kind makes it do
// nothing (with one log line where an author would want to know).
#include "play/QuestScreen.h"

#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "anim/Emitter.h"
#include "anim/SceneAnims.h"
#include "audio/Audio.h"
#include "audio/Sound.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/Scene.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "play/Flashlight.h"
#include "play/GoalTexts.h"
#include "play/ItemDatabase.h"
#include "play/LevelScenes.h"
#include "puzzles/PuzzleFunctions.h"
#include "script/GlobalScriptFunctions.h"
#include "script/ScriptArgs.h"
#include "script/ScriptHooks.h"
#include "ui/Button.h"
#include "ui/ConsoleCommands.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

QuestScreen* Quest(ScriptArgs& args) {
    return QuestScreen::ForScript(args.State());
}

Element* Named(QuestScreen& quest, const char* name) {
    Scene* level = quest.LevelScene();
    return level && name ? level->FindElement(name) : nullptr;
}

Widget* NamedWidget(QuestScreen& quest, const char* name) {
    return ObjectCast<Widget>(Named(quest, name));
}

void NotFound(QuestScreen& quest, const char* function, const char* name) {
    LogFormat("%s: level %s has no element \"%s\"", function, quest.LevelName().CStr(), name ? name : "(nil)");
}

Sound* NamedSound(const char* name, const char* directorySetting, const char* fallback) {
    if (!name) {
        return nullptr;
    }
    const String path = FormatLevelPath(GlobalText(directorySetting, fallback).CStr(), name);
    Sound* sound = Resources::FindSound(path.CStr());
    if (!sound) {
        LogFormat("Level script: no sound %s", path.CStr());
    }
    return sound;
}

// ---- level and objects ----

void TestQuestFunction(ScriptArgs& args) {
    if (args.Count() != 0) {
        args.ReturnBool(false);
        return;
    }
    ScriptHost& host = GetScriptHost();
    if (host.showOnConsole) {
        host.showOnConsole("Garbage quest hook!");
    }
    args.ReturnBool(true);
}

void SetGameMode(ScriptArgs& args) {
    double mode = 0;
    if (QuestScreen* q = Quest(args); q && args.Count() == 1 && args.Number(1, mode)) {
        q->gameMode = int32_t(mode);
        q->RefreshGoals();
    }
}

void SetRootLevel(ScriptArgs& args) {
    if (args.Count() == 1 && args.Text(1)) {
        GetLevelScenes().SetRootLevel(args.Text(1));
    }
}

void Find(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    Element* element = q && args.Count() == 1 ? Named(*q, args.Text(1)) : nullptr;
    args.ReturnElement(element);
}

template <int32_t Type> void SetProperty(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() != 3) {
        return;
    }
    Element* element = Named(*q, args.Text(1));
    Var* var = element && args.Text(2) ? element->FindProperty(args.Text(2)) : nullptr;
    if (!var || var->GetType() != Type) {
        return;
    }
    double number = 0;
    switch (Type) {
    case kVarBool:
        var->SetBool(0, args.Bool(3));
        break;
    case kVarInt:
        if (args.Number(3, number)) {
            var->SetInt(0, int32_t(number));
        }
        break;
    case kVarFloat:
        if (args.Number(3, number)) {
            var->SetFloat(0, float(number));
        }
        break;
    default:
        if (const char* text = args.Text(3)) {
            var->SetString(0, text);
        }
        break;
    }
}

void IsVisible(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    Widget* widget = q && args.Count() == 1 ? NamedWidget(*q, args.Text(1)) : nullptr;
    args.ReturnBool(widget && widget->IsVisible(true));
}

template <bool Show> void ShowOrHide(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() < 1 || args.Count() > 2) {
        return;
    }
    Widget* widget = NamedWidget(*q, args.Text(1));
    if (!widget) {
        NotFound(*q, Show ? "ShowObject" : "HideObject", args.Text(1));
        return;
    }
    const bool fade = args.Count() < 2 || args.Bool(2);
    q->FadeWidget(Show, widget, !fade);
}

void CreateTreasures(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 0) {
        q->CreateTreasures();
    }
}

void AreAllTreasuresFound(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    args.ReturnBool(q && !q->HasUnfoundTreasures());
}

template <LevelScript::Kind Kind> void CreateParameter(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 1 && args.Text(1)) {
        q->script.CreateParameter(args.Text(1), Kind);
    }
}

void EnableInputBlocking(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() != 2 || !args.Text(1)) {
        return;
    }
    auto& list = q->nonBlockingFades;
    const String name(args.Text(1));
    list.erase(std::remove(list.begin(), list.end(), name), list.end());
    if (!args.Bool(2)) {
        list.push_back(name);
    }
}

// ---- inventory and hand ----

State* Player() {
    return CurrentPlayer();
}

bool IsItem(const char* name) {
    return name && GetItemDatabase().Has(name);
}

void GiveItemFunction(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (q && args.Count() == 1 && args.Text(1)) {
        q->GiveItem(args.Text(1), Button::CursorInScene());
    }
}

void GiveInventoryItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (q && Player() && args.Count() == 1 && args.Text(1)) {
        Player()->AddToInventory(args.Text(1));
        q->RefreshInventory();
    }
}

void RequireItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    const char* item = args.Count() == 1 ? args.Text(1) : nullptr;
    if (q && Player() && IsItem(item) && !Player()->HasItem(item)) {
        Player()->AddToInventory(item);
        q->RefreshInventory();
    }
}

void ClearInventoryItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (q && Player() && args.Count() == 1 && args.Text(1)) {
        Player()->RemoveInventoryItemAt(Player()->FindInventoryItem(args.Text(1)));
        q->RefreshInventory();
    }
}

void ReplaceInventoryItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || !Player() || args.Count() != 2 || !args.Text(1) || !args.Text(2)) {
        return;
    }
    const int32_t slot = Player()->FindInventoryItem(args.Text(1));
    if (slot >= 0) {
        Player()->Inventory.SetString(slot, args.Text(2));
        q->RefreshInventory();
    }
}

void HasInventoryItem(ScriptArgs& args) {
    args.ReturnBool(Player() && args.Count() == 1 && args.Text(1) && Player()->HasItem(args.Text(1)));
}

void SetActiveItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    const char* item = args.Count() == 1 ? args.Text(1) : nullptr;
    if (!q || !Player() || !IsItem(item)) {
        return;
    }
    Player()->ActiveItem.SetFirstString(item);
    q->RefreshHandIcon();
    CallHookForBool((std::string(item) + "_OnEquip").c_str(), q->script.state);
}

void GetActiveItem(ScriptArgs& args) {
    args.ReturnString(Player() ? Player()->ActiveItem.FirstString().CStr() : "");
}

void HasActiveItem(ScriptArgs& args) {
    args.ReturnBool(Player() && Player()->HasActiveItem());
}

void ClearActiveItem(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && Player()) {
        Player()->ActiveItem.SetFirstString("");
        q->RefreshHandIcon();
    }
}

void ExpendActiveItem(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || !Player() || !Player()->HasActiveItem()) {
        return;
    }
    if (Bitmap* hand = q->activeItemIcon.Get(0); hand && hand->GetSprite()) {
        const Vec2 at = Button::CursorInScene();
        q->StartFlight(hand->GetSprite(), Vec3{at.x, at.y, 0.0f}, Vec3{at.x, at.y, 0.0f},
                       GlobalFloat("Tween", 0, 0.5f), true);
    }
    Player()->ActiveItem.SetFirstString("");
    q->RefreshHandIcon();
}

void MoveActiveItemToInventory(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->ReturnActiveItem();
    }
}

void NoEffect(ScriptArgs&) {}

// ---- sound and music ----

void PlaySoundFunction(ScriptArgs& args) {
    if (args.Count() < 1 || args.Count() > 3) {
        return;
    }
    if (Sound* sound = NamedSound(args.Text(1), "SoundDirectory", "audio/%s.ogg"); sound && sound->Implementation()) {
        sound->Implementation()->Play(false, float(args.NumberOr(2, 1.0)), float(args.NumberOr(3, 1.0)));
    }
}

void PlayItemSound(ScriptArgs& args) {
    if (args.Count() != 1 || !args.Text(1)) {
        return;
    }
    if (Sound* sound = GetItemDatabase().SoundOf(args.Text(1)); sound && sound->Implementation()) {
        sound->Implementation()->Play(false, 1.0f, 1.0f);
    }
}

void VarySound(ScriptArgs& args) {
    if (args.Count() < 1 || args.Count() > 3) {
        return;
    }
    const float variation = float(args.NumberOr(2, 0.2));
    if (Sound* sound = NamedSound(args.Text(1), "SoundDirectory", "audio/%s.ogg"); sound && sound->Implementation()) {
        sound->Implementation()->Play(false, float(args.NumberOr(3, 1.0)),
                                      1.0f + Random(-variation, variation));
    }
}

void LoopSound(ScriptArgs& args) {
    if (args.Count() != 1) {
        return;
    }
    if (Sound* sound = NamedSound(args.Text(1), "SoundDirectory", "audio/%s.ogg"); sound && sound->Implementation()) {
        sound->Implementation()->Play(true, 1.0f, 1.0f);
    }
}

void StopSound(ScriptArgs& args) {
    if (args.Count() != 1) {
        return;
    }
    if (Sound* sound = NamedSound(args.Text(1), "SoundDirectory", "audio/%s.ogg"); sound && sound->Implementation()) {
        sound->Implementation()->Stop(Audio::kNoSource);
    }
}

void SetSoundVolume(ScriptArgs& args) {
    double volume = 1.0;
    if (args.Count() != 2 || !args.Number(2, volume)) {
        return;
    }
    if (Sound* sound = NamedSound(args.Text(1), "SoundDirectory", "audio/%s.ogg"); sound && sound->Implementation()) {
        sound->Implementation()->SetVolume(float(volume), Audio::kNoSource);
    }
}

void PlayMusic(ScriptArgs& args) {
    if (args.Count() == 1 && args.Text(1)) {
        const String path = FormatLevelPath(GlobalText("MusicDirectory", "music/%s.ogg").CStr(), args.Text(1));
        GetUI().services.PlayMusicByName(path.CStr());
    }
}

void StopMusic(ScriptArgs& args) {
    if (args.Count() <= 1) {
        GetUI().services.StopMusic(float(args.NumberOr(1, 0.5)));
    }
}

// ---- messages, stories, animation ----

void ShowMessage(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (q && (args.Count() == 1 || args.Count() == 2) && args.Text(1)) {
        q->ShowGuideMessage(args.Text(1), float(args.NumberOr(2, 0.0)));
    }
}

void ShowGenericFailMessage(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() <= 1) {
        if (args.Count() == 0) {
            q->ShowFailMessage(nullptr);
        } else {
            q->ShowGadgetFailMessage(args.Text(1));
        }
    }
}

void SetGoalMessage(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 1 && args.Text(1)) {
        q->SetGoalMessage(args.Text(1));
    }
}

Anim* LevelAnim(QuestScreen& quest, const char* name, String& path) {
    path = name;
    if (Anim* anim = Resources::FindAnim(name)) {
        return anim;
    }
    const String root = GetLevelScenes().RootLevel().Empty() ? quest.LevelName() : GetLevelScenes().RootLevel();
    path = FillPattern(GlobalText("Path_LevelAnims", "levels/%s/%s.anim").CStr(), {root.CStr(), name});
    return Resources::FindAnim(path.CStr());
}

void Animate(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() < 1 || args.Count() > 3 || !args.Text(1) || !q->LevelScene()) {
        return;
    }
    String path;
    Anim* anim = LevelAnim(*q, args.Text(1), path);
    if (!anim) {
        LogFormat("Level %s: Animate: no animation %s", q->LevelName().CStr(), args.Text(1));
        return;
    }
    const bool loop = args.Count() >= 2 && args.Bool(2);
    const bool setBlock = args.Count() < 3 || args.Bool(3);
    float duration = 0.0f;
    PlayAnim(q->LevelScene(), anim, path.CStr(), loop, &duration);
    if (setBlock) {
        q->blockedUntil = loop ? 0.0 : totalTime + double(duration);
    }
}

void StopAnimation(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (!q || args.Count() != 1 || !args.Text(1) || !q->LevelScene()) {
        return;
    }
    String path;
    LevelAnim(*q, args.Text(1), path);
    // A control that stops playing is removed by the scene's next update.
    if (AnimControl* control = FindAnimControl(q->LevelScene(), path.CStr())) {
        control->playing = false;
    }
}

void GetRainbowColor(ScriptArgs& args) {
    static const float kWheel[6][3] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1}, {0, 0, 1}, {1, 0, 1}};
    double t = 0;
    if (!args.Number(1, t)) {
        args.ReturnNumber(1);
        args.ReturnNumber(1);
        args.ReturnNumber(1);
        return;
    }
    const double scaled = 6.0 * t;
    const double whole = std::floor(scaled);
    const double f = scaled - whole;
    const int i = ((int(whole) % 6) + 6) % 6;
    const int j = (i + 1) % 6;
    for (int c = 0; c < 3; ++c) {
        args.ReturnNumber(kWheel[i][c] + (kWheel[j][c] - kWheel[i][c]) * f);
    }
}

void CombineBurst(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    if (q && args.Count() == 1) {
        if (Widget* widget = NamedWidget(*q, args.Text(1))) {
            q->Message(QuestScreen::kCombineBurst, widget);
        }
    }
}

void ShakeCameraFunction(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->ShakeCamera();
    }
}

void EnableCameraShake(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 1) {
        q->cameraShakeEnabled = args.Bool(1);
    }
}

// ---- flashlight and bosses ----

void ShowFlashlight(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->Message(kGameFlashlightOn, nullptr);
    }
}

void HideFlashlight(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->Message(kGameFlashlightOff, nullptr);
    }
}

void IsFlashlightVisible(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    args.ReturnBool(q && q->LevelFlashlight(false));
}

void LockFlashlightPosition(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        if (Flashlight* light = q->LevelFlashlight(false)) {
            light->lockPos.SetFirstBool(true);
        }
    }
}

void IsBossActive(ScriptArgs& args) {
    args.ReturnBool(false); // no boss class in this build: none can be visible
}

// ---- HUD, penalties, flow ----

template <bool Show> void HudInOut(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->ShowHudAnimation(Show, false);
    }
}

void EnableHud(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 1) {
        q->hudEnabled = args.Bool(1);
    }
}

void ImposePenalty(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->penalty = std::clamp(q->penalty + float(args.NumberOr(1, 0.0)), 0.0f, 1.0f);
    }
}

void EnablePenaltyDecay(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 1) {
        q->penaltyDecay = args.Bool(1);
    }
}

void EnableMisclickPenalty(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() == 1) {
        q->misclickPenalty = args.Bool(1);
    }
}

void AdvanceLevel(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->AdvanceLevel();
    }
}

void CompleteLevel(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args); q && args.Count() <= 1) {
        q->CompleteLevel(float(args.NumberOr(1, 0.0)));
    }
}

void CompleteGame(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->CompleteGame();
    }
}

void ShowRootLevel(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->Message(kGameShowRootLevel, nullptr);
    }
}

void ShowLevel(ScriptArgs& args) {
    if (args.Count() == 1 && args.Text(1)) {
        ShowLevelScreen(args.Text(1));
    }
}

void MoveToSecondWorld(ScriptArgs& args) {
    if (Player() && args.Count() == 0) {
        Player()->CurrentLevel.SetFirstInt(2);
        Player()->mapChangePending = false;
    }
}

void GiveJournalFunction(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->GiveJournal();
    }
}

void UpdateJournal(ScriptArgs& args) {
    QuestScreen* q = Quest(args);
    const char* text = args.Count() == 1 ? args.Text(1) : nullptr;
    if (!q || !text || !Player()) {
        return;
    }
    const std::string entry(text);
    const size_t dot = entry.find('.');
    const String root = GetLevelScenes().RootLevel().Empty() ? q->LevelName() : GetLevelScenes().RootLevel();
    if (dot == std::string::npos) {
        Player()->AddJournalElement(text, root.CStr());
    } else {
        Player()->AddJournalElement(entry.substr(dot + 1).c_str(), entry.substr(0, dot).c_str());
    }
    if (Emitter* burst = q->journalEmitter.Get(0)) {
        burst->SpawnBurst();
    }
}

void DisableDisc(ScriptArgs& args) {
    if (QuestScreen* q = Quest(args)) {
        q->disableDisc = true;
    }
}

void ResetOrbCount(ScriptArgs& args) {
    if (Player() && args.Count() == 0) {
        Player()->StartOrbs();
    }
}

void RemoteCall(ScriptArgs& args) {
    if (args.Count() != 2 || !args.Text(1) || !args.Text(2)) {
        return;
    }
    auto* level = ObjectCast<QuestScreen>(GetLevelScenes().FindLevel(args.Text(1)));
    if (level) {
        level->script.Run(args.Text(2));
    }
}

} // namespace

void RegisterQuestFunctions(ScriptState& state) {
    RegisterArgsFunction<TestQuestFunction>("TestQuestFunction", state);
    RegisterArgsFunction<SetGameMode>("SetGameMode", state);
    RegisterArgsFunction<SetRootLevel>("SetRootLevel", state);
    RegisterArgsFunction<Find>("Find", state);
    RegisterArgsFunction<SetProperty<kVarBool>>("SetBool", state);
    RegisterArgsFunction<SetProperty<kVarInt>>("SetInt", state);
    RegisterArgsFunction<SetProperty<kVarFloat>>("SetFloat", state);
    RegisterArgsFunction<SetProperty<kVarString>>("SetString", state);
    RegisterArgsFunction<IsVisible>("IsVisible", state);
    RegisterArgsFunction<ShowOrHide<true>>("ShowObject", state);
    RegisterArgsFunction<ShowOrHide<false>>("HideObject", state);
    RegisterArgsFunction<CreateTreasures>("CreateTreasures", state);
    RegisterArgsFunction<AreAllTreasuresFound>("AreAllTreasuresFound", state);
    RegisterArgsFunction<ExpendActiveItem>("ExpendActiveItem", state);
    RegisterArgsFunction<RequireItem>("RequireItem", state);
    RegisterArgsFunction<CreateParameter<LevelScript::kBool>>("CreateBoolParameter", state);
    RegisterArgsFunction<CreateParameter<LevelScript::kInt>>("CreateIntParameter", state);
    RegisterArgsFunction<CreateParameter<LevelScript::kFloat>>("CreateFloatParameter", state);
    RegisterArgsFunction<CreateParameter<LevelScript::kString>>("CreateStringParameter", state);
    RegisterArgsFunction<GiveItemFunction>("GiveItem", state);
    RegisterArgsFunction<GiveInventoryItem>("GiveInventoryItem", state);
    RegisterArgsFunction<ClearInventoryItem>("ClearInventoryItem", state);
    RegisterArgsFunction<ReplaceInventoryItem>("ReplaceInventoryItem", state);
    RegisterArgsFunction<HasInventoryItem>("HasInventoryItem", state);
    RegisterArgsFunction<SetActiveItem>("SetActiveItem", state);
    RegisterArgsFunction<GetActiveItem>("GetActiveItem", state);
    RegisterArgsFunction<HasActiveItem>("HasActiveItem", state);
    RegisterArgsFunction<ClearActiveItem>("ClearActiveItem", state);
    RegisterArgsFunction<MoveActiveItemToInventory>("MoveActiveItemToInventory", state);
    for (const char* name : {"GetInventoryItem", "SetInventoryItem", "AddInventoryItem", "ExchangeActiveItem"}) {
        RegisterArgsFunction<NoEffect>(name, state);
    }
    RegisterArgsFunction<PlaySoundFunction>("PlaySound", state);
    RegisterArgsFunction<PlayItemSound>("PlayItemSound", state);
    RegisterArgsFunction<VarySound>("VarySound", state);
    RegisterArgsFunction<LoopSound>("LoopSound", state);
    RegisterArgsFunction<StopSound>("StopSound", state);
    RegisterArgsFunction<SetSoundVolume>("SetSoundVolume", state);
    RegisterArgsFunction<PlayMusic>("PlayMusic", state);
    RegisterArgsFunction<StopMusic>("StopMusic", state);
    RegisterArgsFunction<ShowMessage>("ShowMessage", state);
    RegisterArgsFunction<ShowGenericFailMessage>("ShowGenericFailMessage", state);
    RegisterArgsFunction<SetGoalMessage>("SetGoalMessage", state);
    RegisterArgsFunction<ShowFlashlight>("ShowFlashlight", state);
    RegisterArgsFunction<HideFlashlight>("HideFlashlight", state);
    RegisterArgsFunction<IsFlashlightVisible>("IsFlashlightVisible", state);
    RegisterArgsFunction<LockFlashlightPosition>("LockFlashlightPosition", state);
    RegisterArgsFunction<GetRainbowColor>("GetRainbowColor", state);
    RegisterArgsFunction<Animate>("Animate", state);
    RegisterArgsFunction<StopAnimation>("StopAnimation", state);
    RegisterArgsFunction<ImposePenalty>("ImposePenalty", state);
    RegisterArgsFunction<EnablePenaltyDecay>("EnablePenaltyDecay", state);
    RegisterArgsFunction<EnableMisclickPenalty>("EnableMisclickPenalty", state);
    RegisterArgsFunction<EnableInputBlocking>("EnableInputBlocking", state);
    RegisterArgsFunction<NoEffect>("BossIdle", state);
    RegisterArgsFunction<NoEffect>("BossPose", state);
    RegisterArgsFunction<IsBossActive>("IsBossActive", state);
    RegisterArgsFunction<ShakeCameraFunction>("ShakeCamera", state);
    RegisterArgsFunction<EnableCameraShake>("EnableCameraShake", state);
    RegisterArgsFunction<CombineBurst>("CombineBurst", state);
    RegisterArgsFunction<AdvanceLevel>("AdvanceLevel", state);
    RegisterArgsFunction<CompleteLevel>("CompleteLevel", state);
    RegisterArgsFunction<ShowRootLevel>("ShowRootLevel", state);
    RegisterArgsFunction<CompleteGame>("CompleteGame", state);
    RegisterArgsFunction<ShowLevel>("ShowLevel", state);
    RegisterPuzzleFunctions(state);
    RegisterArgsFunction<HudInOut<true>>("ShowHud", state);
    RegisterArgsFunction<HudInOut<false>>("HideHud", state);
    RegisterArgsFunction<EnableHud>("EnableHud", state);
    RegisterArgsFunction<MoveToSecondWorld>("MoveToEmberlow", state);
    RegisterArgsFunction<GiveJournalFunction>("GiveJournal", state);
    RegisterArgsFunction<UpdateJournal>("UpdateJournal", state);
    RegisterArgsFunction<DisableDisc>("DisableDisc", state);
    RegisterArgsFunction<ResetOrbCount>("ResetOrbCount", state);
    RegisterArgsFunction<RemoteCall>("RemoteCall", state);
    RegisterGadgetFunctions(state);
}
