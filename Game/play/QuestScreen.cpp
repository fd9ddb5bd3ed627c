#include "play/QuestScreen.h"

#include "anim/Anim.h"
#include "anim/Emitter.h"
#include "anim/SceneAnims.h"
#include "audio/Sound.h"
#include "core/FrameTime.h"
#include "core/Instance.h"
#include "core/Log.h"
#include "core/Redraw.h"
#include "core/Scene.h"
#include "data/Options.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "menus/StoryScreen.h"
#include "play/Doodad.h"
#include "play/GoalTexts.h"
#include "play/ItemDatabase.h"
#include "play/LevelScenes.h"
#include "puzzles/Puzzle.h"
#include "render/BlendMode.h"
#include "render/RenderState.h"
#include "render/Sprite.h"
#include "script/DeferredCalls.h"
#include "script/ScriptHooks.h"
#include "ui/Button.h"
#include "ui/ConsoleCommands.h"
#include "ui/Cursor.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace {

constexpr uint8_t kBlocking = 1;
constexpr float kFindAnimationDelay = 1.0f;
constexpr float kRefreshGoalDelay = 2.0f;
constexpr float kAllFoundDelay = 3.0f;
constexpr float kHintRevealDelay = 2.5f;
constexpr int32_t kHintSparkles = 20;

std::vector<QuestScreen*>& LiveQuests() {
    static std::vector<QuestScreen*> quests;
    return quests;
}

Vec3 WidgetPoint(const Widget& widget) {
    const Matrix4& world = const_cast<Widget&>(widget).WorldMatrix();
    return Vec3{world.m[12], world.m[13], 0.0f};
}

bool IsType(const Doodad& doodad, const String& type) {
    return doodad.fancyName.FirstString() == type;
}

} // namespace

QuestScreen* QuestScreen::ForScript(const ScriptState* state) {
    for (QuestScreen* quest : LiveQuests()) {
        if (&quest->script.state == state) {
            return quest;
        }
    }
    return nullptr;
}

QuestScreen::QuestScreen() {
    Name.SetFirstString("NewQuestScreen");
    LiveQuests().push_back(this);
}

QuestScreen::~QuestScreen() {
    auto& live = LiveQuests();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
}

// ---- loading -----------------------------------------------------------------------

bool QuestScreen::LoadLevel(const char* name) {
    if (LevelScene() || !name || !*name) {
        return false;
    }
    if (!script.Open(name)) {
        return false;
    }
    RegisterQuestFunctions(script.state);
    if (!GameScreen::LoadLevel(name)) {
        script.Close();
        return false;
    }
    // Element names are defined before the scripts run, so that a global
    // the script defines is never overwritten by an element's name.
    script.DefineElementNames(*LevelScene());
    if (!script.RunScripts(name)) {
        return false;
    }
    CallHook("Initialize", script.state);
    options = FindLevelOptions(*LevelScene());
    if (!options) {
        options = &defaultOptions;
    }
    if (TextBox* guide = guideText.Get(0)) {
        guide->SetText("");
    }
    if (Bitmap* slot = activeItemSlot.Get(0)) {
        slot->Visible.SetFirstBool(false);
    }
    ResetCounters();
    gameMode = options->GetMode();
    LoadLevelProgress();
    ApplyBrightness();
    return true;
}

void QuestScreen::ResetCounters() {
    levelProgress = 0;
    misclicks.Reset();
    penalty = 0.0f;
    energyEarned = 0.0f;
    completionDone = advanceDone = gameDone = false;
    pairFirst = nullptr;
}

void QuestScreen::ApplyBrightness() {
    const float global = GetOptions() ? GetOptions()->Brightness.FirstFloat() : 0.5f;
    const float value = std::clamp((global - 0.5f) * 2.0f + options->Brightness.FirstFloat(), -1.0f, 1.0f);
    for (auto& entry : LevelScene()->Elements().Entries()) {
        if (Bitmap* bitmap = ObjectCast<Bitmap>(entry.value)) {
            bitmap->Resolve();
            if (Sprite* sprite = bitmap->GetSprite()) {
                sprite->SetBrightness(value);
            }
        }
    }
}

bool QuestScreen::OnReturn(Screen* popped) {
    if (auto* story = ObjectCast<StoryScreen>(popped)) {
        CallHookWithText("OnStoryDone", story->StoryName().CStr(), script.state);
        ShowHudAnimation(true, false);
    }
    return GameScreen::OnReturn(popped);
}

bool QuestScreen::OnPuzzleFinished(Element* puzzle) {
    auto* board = ObjectCast<Puzzle>(puzzle);
    CallHookWithText("OnPuzzleFinish", board && board->IsSolved() ? "solved" : "skipped", script.state);
    return true;
}

bool QuestScreen::OnMovieFinished() {
    CallLevelHook("OnVideoStop");
    return true;
}

bool QuestScreen::CallLevelHook(const char* hook) {
    return CallHook(hook, script.state);
}

bool QuestScreen::LevelStoryWanted(bool intro) {
    return intro ? options->ShowIntro.FirstBool() : options->ShowOutro.FirstBool();
}

// ---- update ------------------------------------------------------------------------

void QuestScreen::Update() {
    if (GetUI().TopScreen() == this && LevelScene()) {
        StepRules(frameTime);
    }
    GameScreen::Update();
}

void QuestScreen::StepRules(float dt) {
    CallHook("Update", script.state);
    misclicks.Decay(dt, InputBlocked());
    StepGadgetSparkles(dt);
    for (Flight& flight : flights) {
        flight.elapsed += dt;
    }
    flights.erase(std::remove_if(flights.begin(), flights.end(),
                                 [](const Flight& f) { return f.elapsed >= f.duration; }),
                  flights.end());
    if (!flights.empty()) {
        RequestRedraw();
    }
    StepHand(dt);
    // The cursor: a hand over something to use, else the arrow. The answer
    // is kept for the frontmost doodad and asked again only when another
    // one comes under the cursor.
    CollectUnderCursor();
    Doodad* front = underCursor.empty() ? nullptr : underCursor.front();
    if (front != cursorDoodad || hoverStale) {
        cursorDoodad = front;
        hoverStale = false;
        objectShape = HoverObjectCursor();
    }
    cursorShape = objectShape;
    if (cursorShape == kCursorDefault && !hoveredObject && !hoveredTreasure && OverSubLevelExit()) {
        cursorShape = kCursorExit;
    }
    GetUI().SetCursor(cursorShape);
    StepItemNames();
}

void QuestScreen::CollectUnderCursor() {
    underCursor.clear();
    Scene* level = LevelScene();
    if (!level || (scene && scene->Hovered())) {
        return;
    }
    const Vec2 cursor = Button::CursorInScene();
    const std::vector<Widget*>& order = level->BuildDrawList();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        Doodad* doodad = ObjectCast<Doodad>(*it);
        if (!doodad || !doodad->IsVisible(true)) {
            continue;
        }
        bool tweened = false;
        for (const Tween& tween : level->Tweens()) {
            tweened = tweened || (tween.target && tween.target->owner == doodad);
        }
        if (!tweened && doodad->HitTest(cursor)) {
            underCursor.push_back(doodad);
        }
    }
}

bool QuestScreen::HasBlockingMessage() const {
    for (const DelayedMessage& pending : messages) {
        if (!pending.flag) {
            continue;
        }
        if (pending.message == kGameFlashlightSetup || pending.message == kGameHoldInventory ||
            pending.message == kGameReleaseInventory || pending.message == 3042) {
            continue;
        }
        return true;
    }
    return false;
}

bool QuestScreen::InputBlocked() {
    return DeferredCallCount() > 0 || HasBlockingMessage() || misclicks.LockedOut() ||
           totalTime < blockedUntil;
}

// ---- clicks ------------------------------------------------------------------------

bool QuestScreen::MouseButton(int32_t button, bool pressed) {
    if (!pressed) {
        return Screen::MouseButton(button, pressed);
    }
    // A click may change what the gadgets offer: the hover is asked again.
    hoverStale = true;
    clickHandled = false;
    failHook = true;
    if (InputBlocked()) {
        return true;
    }
    if (Screen::MouseButton(button, pressed)) {
        return true; // the HUD took it
    }
    State* player = CurrentPlayer();
    if (button != 0) {
        if (player && player->HasActiveItem()) {
            ReturnActiveItem();
        }
        return true;
    }
    if (InventoryClick()) {
        return true;
    }
    // A sub-level's back regions lead out whether or not the HUD hovers them.
    if (TryExitSubLevel() || (scene && scene->Hovered())) {
        return true; // over the HUD
    }
    CollectUnderCursor();
    for (Doodad* doodad : underCursor) {
        if (Click(*doodad)) {
            clickHandled = true;
            break;
        }
    }
    if (!clickHandled && ShowGadgetFailure()) {
        clickHandled = true;
    }
    if (!clickHandled && LevelScene() && LevelScene()->MouseButton(button, pressed)) {
        clickHandled = true;
    }
    if (!clickHandled) {
        if (gameMode == LevelOptions::kPairs && pairFirst) {
            pairFirst->DeleteGlow();
            pairFirst = nullptr;
        }
        RecordMisclick();
    }
    return true;
}

void QuestScreen::RecordMisclick() {
    State* player = CurrentPlayer();
    const bool applies = gameMode != LevelOptions::kPuzzle && !(player && player->HasActiveItem()) &&
                         HasUnfoundTreasures();
    if (!applies) {
        return;
    }
    PlayVariant("Sound_BadClick");
    if (misclicks.Add(GlobalFloat("Game_BogusClickThreshold", 0, 3.0f))) {
        StartLockOut();
    }
}

void QuestScreen::StartLockOut() {
    const float seconds = misclicks.LockSeconds();
    UI& ui = GetUI();
    ui.services.CaptureBackground(true);
    ui.services.StartTransition(1, 1.0f, 0);
    ui.LockInputFor(seconds);
    PlayVariant("Sound_ScreenLock");
    QueueMessage(kGameLockOutTransition, seconds);
    QueueMessage(kLockOutEnd, seconds);
    LogFormat("Level %s: too many misclicks, input locked for %.1f s", LevelName().CStr(), double(seconds));
}

bool QuestScreen::Click(Doodad& doodad) {
    State* player = CurrentPlayer();
    const bool handEmpty = !player || !player->HasActiveItem();
    if (handEmpty && (InformationClick(doodad) || TryFind(doodad))) {
        return true;
    }
    Gadget* gadget = gadgets.OwnerOf(doodad.GetName());
    const String hookName = gadget ? gadget->name : String(doodad.GetName());
    bool allowed = true;
    if (CallHookForBool((hookName + "_ValidateAction").CStr(), script.state, allowed) && !allowed) {
        return true;
    }
    lastClicked = &doodad;
    if (GadgetClick(doodad)) {
        return true;
    }
    bool used = false;
    if (CallHookForBool((hookName + "_OnUse").CStr(), script.state, used) && used) {
        if (gadget) {
            gadget->used = true;
        }
        return true;
    }
    return false;
}

bool QuestScreen::TryFind(Doodad& doodad) {
    if (!doodad.IsTreasure() || doodad.used.FirstBool() || doodad.IsFlying() ||
        !treasures.Find(doodad.GetName())) {
        return false;
    }
    switch (gameMode) {
    case LevelOptions::kList: {
        const auto& targets = treasures.Targets();
        for (size_t line = 0; line < targets.size(); ++line) {
            if (IsType(doodad, targets[line])) {
                TextBox* box = listBoxes.Get(int32_t(line));
                if (!box) {
                    return false;
                }
                FindTreasure(doodad, box, nullptr);
                AfterFind(doodad);
                return true;
            }
        }
        return false;
    }
    case LevelOptions::kPairs:
        if (!pairFirst) {
            pairFirst = &doodad;
            ShowGlow(doodad);
            PlayVariant("Sound_FindFirstOfPair");
            return true;
        }
        if (pairFirst == &doodad) {
            return true; // the same doodad again: the pair stays started
        }
        if (!IsType(doodad, pairFirst->fancyName.FirstString())) {
            return false; // another type: unhandled, cancels the pair
        }
        {
            Doodad& first = *pairFirst;
            pairFirst = nullptr;
            first.DeleteGlow();
            const Vec3 a = WidgetPoint(first);
            const Vec3 b = WidgetPoint(doodad);
            const Vec3 middle{(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f, 0.0f};
            FindTreasure(first, nullptr, &middle);
            FindTreasure(doodad, nullptr, &middle);
        }
        AfterFind(doodad);
        return true;
    case LevelOptions::kTypes:
        FindTreasure(doodad, goalText.Get(0), nullptr);
        AfterFind(doodad);
        return true;
    default:
        return false;
    }
}

void QuestScreen::FindTreasure(Doodad& doodad, Widget* target, const Vec3* point) {
    doodad.used.SetFirstBool(true);
    doodad.DeleteGlow();
    if (target) {
        StartFoundFlight(doodad, target);
    } else if (point) {
        StartFoundFlight(doodad, *point);
    }
    PlayVariant("Sound_TreasureFind");
    PlayVariant("Sound_ItemWhoosh", 1.0f);
}

void QuestScreen::FindAll() {
    for (Doodad* doodad : treasures.Registered()) {
        if (!doodad->used.FirstBool()) {
            doodad->used.SetFirstBool(true);
            doodad->DeleteGlow();
            doodad->Visible.SetFirstBool(false);
        }
    }
    pairFirst = nullptr;
    ReplaceCompletedTargets();
    RefreshGoals();
    AllFoundCheck();
}

void QuestScreen::AfterFind(Doodad& doodad) {
    QueueMessage(kFindAnimation, kFindAnimationDelay, 0, &doodad);
    QueueMessage(kRefreshGoal, kRefreshGoalDelay, 0, &doodad);
    QueueMessage(kAllFoundCheck, kAllFoundDelay, 0, &doodad);
}

void QuestScreen::AllFoundCheck() {
    if (treasures.Total("") == 0 || treasures.Found("") != treasures.Total("") || allFoundCalled) {
        return;
    }
    allFoundCalled = true;
    CallHook("AllTreasuresFound", script.state);
    if (TextBox* goal = goalText.Get(0)) {
        goal->SetText(TextOrKey(goalMessage.CStr()).CStr());
    }
    ShowGoalDisplay(true);
}

// ---- targets and goals -------------------------------------------------------------

void QuestScreen::CreateTreasures() {
    treasures.Clear();
    allFoundCalled = false;
    treasures.RegisterAll(*LevelScene());
    ChooseTargets();
}

void QuestScreen::ChooseTargets() {
    if (!treasures.ChooseTargets()) {
        if (Button* hint = hintButton.Get(0)) {
            hint->enablePress.SetFirstBool(false);
        }
    }
    RefreshGoals();
}

void QuestScreen::ReplaceCompletedTargets() {
    treasures.ReplaceCompletedTargets();
    RefreshGoals();
}

void QuestScreen::LogListLines() {
    String lines;
    for (const String& type : treasures.Targets()) {
        if (!lines.Empty()) {
            lines += ", ";
        }
        lines += type;
        lines += " ";
        char left[16];
        std::snprintf(left, sizeof left, "%d", treasures.Total(type.CStr()) - treasures.Found(type.CStr()));
        lines += left;
    }
    if (lines == loggedList) {
        return;
    }
    loggedList = lines;
    LogFormat("Level %s: the list reads %s", LevelName().CStr(), lines.CStr());
}

void QuestScreen::RefreshGoals() {
    const String custom = options->TreasureGoalText.FirstString();
    TextBox* goal = goalText.Get(0);
    auto showGoalMessage = [&] {
        if (!goal) {
            return;
        }
        String text;
        if (!LookupString(goalMessage.CStr(), text)) {
            const String qualified = LevelName() + "." + goalMessage;
            text = TextOrKey(qualified.CStr());
            if (text == qualified) {
                text = goalMessage;
            }
        }
        goal->SetText(text.CStr());
    };
    switch (gameMode) {
    case LevelOptions::kList: {
        if (!HasUnfoundTreasures()) {
            showGoalMessage();
            break;
        }
        const auto& targets = treasures.Targets();
        LogListLines();
        for (int32_t line = 0; line < kListLines; ++line) {
            TextBox* box = listBoxes.Get(line);
            Bitmap* stroke = strikethroughs.Get(line);
            const bool used = line < int32_t(targets.size());
            const int32_t left =
                used ? treasures.Total(targets[line].CStr()) - treasures.Found(targets[line].CStr()) : 0;
            if (box) {
                box->SetText(used ? TargetLine(targets[line].CStr(), left).CStr() : "");
            }
            if (stroke) {
                stroke->Visible.SetFirstBool(used && left == 0);
                if (box && used && left == 0) {
                    float width = 0.0f;
                    for (float lineWidth : box->Lines().widths) {
                        width = std::max(width, lineWidth);
                    }
                    if (Sprite* sprite = stroke->GetSprite(); sprite && sprite->Width() > 0) {
                        stroke->Scale.SetFloat(0, (width + 40.0f) / float(sprite->Width()));
                    }
                }
            }
        }
        break;
    }
    case LevelOptions::kPairs: {
        std::vector<String> open;
        for (Doodad* d : treasures.Registered()) {
            const String& type = d->fancyName.FirstString();
            if (!d->used.FirstBool() && std::find(open.begin(), open.end(), type) == open.end()) {
                open.push_back(type);
            }
        }
        if (goal) {
            goal->SetText(PairsGoal(int32_t(open.size()), custom.CStr(), goalMessage.CStr()).CStr());
        }
        break;
    }
    case LevelOptions::kTypes: {
        const int32_t left = treasures.Total("") - treasures.Found("");
        String type;
        for (Doodad* d : treasures.Registered()) {
            if (!d->used.FirstBool()) {
                type = d->fancyName.FirstString();
                break;
            }
        }
        if (goal) {
            goal->SetText(TypesGoal(left, type.CStr(), custom.CStr(), goalMessage.CStr()).CStr());
        }
        break;
    }
    case LevelOptions::kSilhouette:
        break;
    default:
        showGoalMessage();
        break;
    }
    ShowGoalDisplay(false);
}

void QuestScreen::ShowGoalDisplay(bool fade) {
    const bool list = gameMode == LevelOptions::kList && !treasures.Targets().empty() && HasUnfoundTreasures();
    Widget* listWidget = listGroup.Get(0);
    Widget* goalWidget = goalText.Get(0);
    for (auto [widget, shown] : {std::pair{listWidget, list}, std::pair{goalWidget, !list}}) {
        if (!widget) {
            continue;
        }
        if (fade) {
            FadeWidget(shown, widget, false);
        } else {
            widget->Visible.SetFirstBool(shown);
            if (widget->Color.GetCount() >= 4) {
                widget->Color.SetFloat(3, shown ? 1.0f : 0.0f);
            }
        }
    }
}

void QuestScreen::SetGoalMessage(const char* message) {
    if (!message || goalMessage == message) {
        return;
    }
    goalMessage = message;
    if (Emitter* emitter = panelEmitter.Get(0)) {
        emitter->SpawnBurst();
    }
    PlayVariant("Sound_GoalComplete");
    RefreshGoals();
}

// ---- hints -------------------------------------------------------------------------

bool QuestScreen::IsHintAvailable() {
    State* player = CurrentPlayer();
    return player && player->HintCooldown.FirstFloat() <= 0.0f;
}

bool QuestScreen::UseHint() {
    State* player = CurrentPlayer();
    if (!player || player->HintCooldown.FirstFloat() > 0.0f) {
        return false;
    }
    Doodad* chosen = nullptr;
    if (HasUnfoundTreasures()) {
        TreasureHint(chosen);
    }
    if (!chosen) {
        const String name = CallHookForText("OnHint", script.state);
        if (!name.Empty() && LevelScene()) {
            chosen = ObjectCast<Doodad>(LevelScene()->FindElement(name.CStr()));
        }
    }
    if (!chosen) {
        return false;
    }
    player->HintCooldown.SetFirstFloat(GlobalFloat("Game_HintCooldownTime", 0, 45.0f));
    if (Button* hint = hintButton.Get(0)) {
        const Vec3 from = WidgetPoint(*hint);
        const Vec3 to = WidgetPoint(*chosen);
        for (int32_t i = 0; i < kHintSparkles; ++i) {
            const Vec3 start{from.x + float(std::rand() % 31 - 15), from.y + float(std::rand() % 31 - 15), 0.0f};
            SpawnEnergySparkle(start, to, Vec3{2.0f, 2.0f, 0.0f});
        }
    }
    ShowHint({chosen}, GlobalFloat("HintTime", 0, 5.0f));
    PlayVariant("Sound_HintOpen");
    QueueMessage(kHintReveal, kHintRevealDelay, 0, chosen);
    return true;
}

bool QuestScreen::TreasureHint(Doodad*& chosen) {
    if (gameMode == LevelOptions::kPairs && pairFirst) {
        for (Doodad* d : treasures.Registered()) {
            if (d != pairFirst && !d->used.FirstBool() && IsType(*d, pairFirst->fancyName.FirstString())) {
                chosen = d;
                break;
            }
        }
        pairFirst->DeleteGlow();
        pairFirst = nullptr;
        return chosen != nullptr;
    }
    auto hintable = [](const Doodad* d) { return !d->used.FirstBool() && !d->IsFlying() && d->IsVisible(true); };
    std::vector<String> types;
    const bool byTargets = gameMode == LevelOptions::kList || gameMode == LevelOptions::kPairs;
    if (byTargets && gameMode == LevelOptions::kList) {
        for (const String& type : treasures.Targets()) {
            for (Doodad* d : treasures.Registered()) {
                if (IsType(*d, type) && hintable(d)) {
                    types.push_back(type);
                    break;
                }
            }
        }
    } else {
        for (Doodad* d : treasures.Registered()) {
            if (hintable(d) && std::find(types.begin(), types.end(), d->fancyName.FirstString()) == types.end()) {
                types.push_back(d->fancyName.FirstString());
            }
        }
    }
    if (types.empty()) {
        return false;
    }
    const String& type = types[size_t(std::rand()) % types.size()];
    std::vector<Doodad*> candidates;
    for (Doodad* d : treasures.Registered()) {
        if (IsType(*d, type) && hintable(d)) {
            candidates.push_back(d);
        }
    }
    if (candidates.empty()) {
        return false;
    }
    chosen = candidates[size_t(std::rand()) % candidates.size()];
    return true;
}

void QuestScreen::RevealHint(Doodad& doodad) {
    const Vec3 point = WidgetPoint(doodad);
    if (Emitter* emitter = combineEmitter.Get(0)) {
        emitter->SpawnAt(-1, point.x, point.y);
    }
    ShowGlow(doodad);
    PlayVariant("Sound_HintShow");
    if (gameMode == LevelOptions::kPairs && !doodad.used.FirstBool()) {
        pairFirst = &doodad;
    }
}

// ---- messages ----------------------------------------------------------------------

void QuestScreen::ShowFailMessage(const char* gadget) {
    String text;
    if (gadget && *gadget) {
        const String key = FillPattern(GlobalText("Path_ObjectFail", "fail.%s_%s").CStr(),
                                       {LevelName().CStr(), gadget});
        if (!LookupString(key.CStr(), text)) {
            text = String();
        }
    }
    if (text.Empty()) {
        const int32_t n = DrawGenericFailMessage(previousFail);
        String key;
        FormatOneInteger(GlobalText("Message_GenericFail", "message.generic_fail_%d").CStr(), n, key);
        text = TextOrKey(key.CStr());
    }
    ShowGuideMessage(text.CStr(), 0.0f);
}

void QuestScreen::ShowGuideMessage(const char* text, float seconds) {
    if (TextBox* guide = guideText.Get(0)) {
        guide->SetText(TextOrKey(text).CStr());
    }
    if (seconds <= 0.0f) {
        seconds = GlobalFloat("Game_GuideMessageTime", 0, 5.0f);
    }
    PostMessage(kGameShowGuide, 0.0f, 0, guideText.Get(0));
    PostMessage(kGameHideGuide, seconds, 0, guideText.Get(0));
}

void QuestScreen::PlayVariant(const char* setting, float delay) {
    Sound* sound = RandomGlobalSound(setting);
    if (!sound) {
        return;
    }
    if (delay > 0.0f) {
        QueueMessage(kPlaySound, delay, 0, sound);
    } else if (sound->Implementation()) {
        sound->Implementation()->Play(false, 1.0f, 1.0f);
    }
}

bool QuestScreen::Message(int32_t message, Object* sender) {
    Doodad* doodad = ObjectCast<Doodad>(sender);
    switch (message) {
    case kButtonPressed:
        return GameScreen::Message(message, sender);
    case kButtonClicked:
        if (sender && sender == menuButton.Get(0)) {
            if (CurrentPlayer() && CurrentPlayer()->HasActiveItem()) {
                ReturnActiveItem();
                PostMessage(kOpenMenu, TweenSeconds());
            } else {
                Message(kOpenMenu, nullptr);
            }
            return true;
        }
        return GameScreen::Message(message, sender);
    case kClearActiveItem:
        if (State* player = CurrentPlayer()) {
            player->ActiveItem.SetFirstString("");
        }
        RefreshHandIcon();
        return true;
    case kHudIn:
        ShowHudAnimation(true, false);
        return true;
    case kHudOut:
        ShowHudAnimation(false, false);
        return true;
    case kRefreshIcons:
        RefreshInventory();
        return true;
    case kRefreshHand:
        RefreshHandIcon();
        return true;
    case kChooseTargets:
        ChooseTargets();
        return true;
    case kRefreshGoal:
        RefreshGoals();
        if (gameMode == LevelOptions::kList) {
            QueueMessage(kReplaceSomeComplete, 0.5f);
        }
        return true;
    case kCompletionCheck:
    case kReplaceWhenDone: {
        bool allDone = !treasures.Targets().empty();
        for (const String& type : treasures.Targets()) {
            allDone = allDone && treasures.IsComplete(type.CStr());
        }
        if (allDone) {
            ReplaceCompletedTargets();
        }
        return true;
    }
    case kFindAnimation:
        if (doodad && LevelScene()) {
            const String name = FillPattern(GlobalText("Path_TreasureFindAnims", "%s_OnFind").CStr(),
                                            {doodad->GetName()});
            if (auto* instance = ObjectCast<Instance>(LevelScene()->FindElement(name.CStr()))) {
                if (Anim* anim = Resources::FindAnim(instance->Path.FirstString().CStr())) {
                    PlayAnim(LevelScene(), anim, instance->Path.FirstString().CStr(), false);
                }
            }
        }
        return true;
    case kReplaceSomeComplete: {
        bool some = false;
        for (const String& type : treasures.Targets()) {
            some = some || treasures.IsComplete(type.CStr());
        }
        if (some) {
            ReplaceCompletedTargets();
        }
        return true;
    }
    case kReplaceTargets:
        ReplaceCompletedTargets();
        return true;
    case kAllFoundCheck:
        AllFoundCheck();
        return true;
    case kCombineBurst:
        if (Widget* widget = ObjectCast<Widget>(sender); widget && combineEmitter.Get(0)) {
            const Vec3 p = WidgetPoint(*widget);
            combineEmitter.Get(0)->SpawnAt(-1, p.x, p.y);
        }
        return true;
    case kHintReveal:
        if (doodad) {
            RevealHint(*doodad);
        }
        return true;
    case kLockOutEnd:
        misclicks.EndLockOut();
        return true;
    case kPlaySound:
        if (Sound* sound = ObjectCast<Sound>(sender); sound && sound->Implementation()) {
            sound->Implementation()->Play(false, 1.0f, 1.0f);
        }
        return true;
    case kReturnItem:
        ReturnActiveItem();
        return true;
    case kCompleteNow:
        CompleteLevel(0.0f);
        return true;
    case kOpenMenu:
        if (!GetUI().PushScreenByName("GameMenu", 1)) {
            LogFormat("Level %s: the game menu is not part of this build", LevelName().CStr());
        }
        return true;
    case kOpenJournal:
        return GameScreen::Message(kGameOpenJournal, sender);
    case kGiveOrb:
        if (State* player = CurrentPlayer()) {
            player->GiveOrb();
        }
        return true;
    default:
        return GameScreen::Message(message, sender);
    }
}

// ---- completion --------------------------------------------------------------------

void QuestScreen::CompleteLevel(float delay) {
    if (delay > 0.0f) {
        PostMessage(kCompleteNow, delay);
        return;
    }
    if (completionDone) {
        return;
    }
    completionDone = true;
    LogFormat("Level %s: the player finished the level", LevelName().CStr());
    if (IsRootLevel()) {
        if (!options->NoCompletionMusic.FirstBool()) {
            PlayVariant("Sound_LevelComplete", TweenSeconds());
        }
        LevelCompleted();
    } else {
        PostMessage(kGameShowRootLevel, 1.0f, kBlocking);
        if (!options->NoCompletionMusic.FirstBool()) {
            PlayVariant("Sound_SublevelComplete");
        }
    }
}

void QuestScreen::AdvanceLevel() {
    if (advanceDone) {
        return;
    }
    advanceDone = true;
    LevelLeft();
}

void QuestScreen::CompleteGame() {
    if (gameDone) {
        return;
    }
    gameDone = true;
    GameCompleted();
}

// ---- flights -----------------------------------------------------------------------

void QuestScreen::StartFlight(Sprite* sprite, const Vec3& from, const Vec3& to, float duration, bool shrink) {
    if (!sprite || duration <= 0.0f) {
        return;
    }
    flights.push_back(Flight{sprite, from, to, duration, 0.0f, shrink});
    RequestRedraw();
}

bool QuestScreen::Draw() {
    GameScreen::Draw();
    DrawFlights();
    return true;
}

void QuestScreen::DrawFlights() {
    for (const Flight& flight : flights) {
        const float t = std::clamp(flight.elapsed / flight.duration, 0.0f, 1.0f);
        const float eased = (1.0f - std::cos(std::numbers::pi_v<float> * t)) / 2.0f;
        const float x = flight.from.x + (flight.to.x - flight.from.x) * eased;
        const float y = flight.from.y + (flight.to.y - flight.from.y) * eased;
        const float scale = flight.shrink ? 1.0f - 0.8f * eased : 0.2f + 0.8f * eased;
        const float alpha = std::min(1.0f, 5.0f * std::min(t, 1.0f - t) + 0.2f);
        RenderStackScope scope;
        RenderStack::SetModelMatrix(Matrix4::Translation(x, y, 0.0f) * Matrix4::Scaling(scale, scale, 1.0f) *
                                    Matrix4::Translation(-float(flight.sprite->Width()) / 2.0f,
                                                         -float(flight.sprite->Height()) / 2.0f, 0.0f));
        RenderStack::SetBlendMode(kBlendAlphaBlend);
        RenderStack::SetColor(1.0f, 1.0f, 1.0f, alpha);
        flight.sprite->Draw();
    }
}
