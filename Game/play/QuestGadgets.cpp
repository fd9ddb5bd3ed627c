// The gadgets on the level screen: creating them, changing their state with
// fades and sounds, the click rules that act on them (information, lock,
// switch, level link, toggle, item, use of the held item), picking items up,
// their failures, leaving a sub-level through the HUD, and their sparkles.
//
// Index: creation and state — information rule — click rules — picking up —
// failures — sub-level exit — sparkles.
#include "play/QuestScreen.h"

#include "anim/Emitter.h"
#include "audio/Sound.h"
#include "core/Log.h"
#include "core/Random.h"
#include "core/Scene.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "play/Doodad.h"
#include "play/GoalTexts.h"
#include "play/ItemDatabase.h"
#include "play/LevelOptions.h"
#include "play/LevelScenes.h"
#include "render/Region.h"
#include "script/DeferredCalls.h"
#include "script/ScriptHooks.h"
#include "ui/Button.h"
#include "ui/ConsoleCommands.h"
#include "ui/Cursor.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

namespace {

constexpr int32_t kAlphaIndex = 3;
constexpr float kIconRefreshDelay = 2.0f;
constexpr float kStackCombineDelay = 2.0f;
constexpr float kOrbDelay = 2.0f;
constexpr float kOrbCompleteDelay = 3.0f;

Vec3 PointOf(const Widget* widget) {
    if (!widget) {
        return Vec3{};
    }
    const Matrix4& world = widget->WorldMatrix();
    return Vec3{world.m[12], world.m[13], 0.0f};
}

bool IsListed(const char* setting, const String& item) {
    const int32_t count = GlobalCount(setting);
    for (int32_t i = 0; i < count; ++i) {
        if (GlobalText(setting, "", i) == item) {
            return true;
        }
    }
    return false;
}

String HeldItem() {
    const State* player = CurrentPlayer();
    return player ? player->ActiveItem.FirstString() : String();
}

void PlaySoundOnce(Sound* sound) {
    if (sound && sound->Implementation()) {
        sound->Implementation()->Play(false, 1.0f, 1.0f);
    }
}

// Hidden at once, with its alpha at 0 so that a later fade-in shows it
// gradually.
void HideAtOnce(Widget* widget) {
    if (!widget) {
        return;
    }
    widget->Visible.SetFirstBool(false);
    if (widget->Color.GetCount() > kAlphaIndex) {
        widget->Color.SetFloat(kAlphaIndex, 0.0f);
    }
}

void ShowAtOnce(Widget* widget) {
    if (!widget) {
        return;
    }
    widget->Visible.SetFirstBool(true);
    if (widget->Color.GetCount() > kAlphaIndex) {
        widget->Color.SetFloat(kAlphaIndex, 1.0f);
    }
}

} // namespace

// ---- creation and state ------------------------------------------------------------

Gadget* QuestScreen::AddGadget(std::unique_ptr<Gadget> gadget, const char* operation, bool refuseTaken) {
    if (!gadget || gadget->name.Empty()) {
        return nullptr;
    }
    if (gadgets.Find(gadget->name.CStr())) {
        ReportError(operation, __FILE__, __LINE__);
        LogFormat("%s: level %s already has a gadget named %s", operation, LevelName().CStr(),
                  gadget->name.CStr());
        if (refuseTaken) {
            return nullptr;
        }
    }
    const float rate = GlobalFloat("Game_ItemEmitterRate", 0, 0.4f);
    gadget->gleamTimer = (rate > 0.0f ? Random(0.0f, 1.0f / rate) : 0.0f) +
                         GlobalFloat("Game_ItemEmitterDelay", 0, 20.0f);
    script.DefineName(gadget->name.CStr());
    Gadget* added = gadget.get();
    gadgets.Add(std::move(gadget));
    // The pictures take the state's look at once: the open or on object
    // hidden, the closed or off one shown.
    Scene* level = LevelScene();
    if (!level) {
        return added;
    }
    auto widget = [level](const String& name) { return ObjectCast<Widget>(level->FindElement(name.CStr())); };
    if (added->GetType() == Gadget::kLockType) {
        auto& lock = static_cast<Lock&>(*added);
        Widget* closed = widget(lock.closedObject);
        Widget* open = widget(lock.openObject);
        if (closed != open) {
            HideAtOnce(open);
        }
        ShowAtOnce(closed);
        if (ObjectCast<Doodad>(closed) && ObjectCast<Doodad>(open) && closed != open) {
            open->Position.SetFloat(2, closed->Position.GetFloat(2) + 0.01f);
        }
    } else if (added->GetType() == Gadget::kSwitchType || added->GetType() == Gadget::kToggleType) {
        auto& two = static_cast<Switch&>(*added);
        Widget* off = widget(two.offObject);
        Widget* on = widget(two.onObject);
        if (off != on) {
            HideAtOnce(on);
        }
        ShowAtOnce(off);
    }
    return added;
}

void QuestScreen::FadeObject(const String& name, bool show) {
    if (Scene* level = LevelScene()) {
        FadeWidget(show, ObjectCast<Widget>(level->FindElement(name.CStr())), false);
    }
}

void QuestScreen::PlayGadgetSound(const Gadget& gadget, const char* fallbackSetting) {
    Sound* own = gadget.sound.Empty() ? nullptr : Resources::FindSound(gadget.sound.CStr());
    if (own) {
        PlaySoundOnce(own);
    } else {
        PlayVariant(fallbackSetting);
    }
}

void QuestScreen::SetGadgetSound(Gadget& gadget, const char* sound) {
    gadget.sound = sound ? FormatLevelPath(GlobalText("SoundDirectory", "audio/%s.ogg").CStr(), sound) : String();
}

void QuestScreen::SetLockState(Lock& lock, bool state) {
    lock.state = state;
    if (!(lock.closedObject == lock.openObject)) {
        FadeObject(lock.openObject, state);
        FadeObject(lock.closedObject, !state);
    }
    PlayGadgetSound(lock, "Sound_UseObject");
}

void QuestScreen::SetSwitchState(Switch& gadget, bool state) {
    gadget.state = state;
    // One doodad for both states changes state without any fade.
    if (!(gadget.offObject == gadget.onObject)) {
        FadeObject(gadget.onObject, state);
        FadeObject(gadget.offObject, !state);
    }
    if (gadget.GetType() == Gadget::kToggleType && !gadget.sound.Empty()) {
        PlayGadgetSound(gadget, "");
    }
}

// ---- information -------------------------------------------------------------------

bool QuestScreen::InformationClick(Doodad& doodad) {
    const char* element = doodad.GetName();
    if (gadgets.IsObjectOfEnabled(element)) {
        return false;
    }
    const Gadget* gadget = gadgets.OwnerOf(element);
    if (!gadget || gadget->used) {
        return false;
    }
    const String key = FillPattern(GlobalText("Path_ObjectHint", "hint.%s_%s").CStr(),
                                   {LevelName().CStr(), gadget->name.CStr()});
    String text;
    if (!LookupString(key.CStr(), text) || text.Empty()) {
        return false;
    }
    ShowGuideMessage(key.CStr(), 0.0f);
    return true;
}

// ---- showing another level ---------------------------------------------------------

bool ShowLevelScreen(const char* name) {
    LevelScenes& levels = GetLevelScenes();
    // Loading here would pop this level and with it unload its set: the
    // levels a link can show are loaded with the level (its sub-levels).
    if (!name || !levels.FindLevel(name)) {
        LogFormat("ShowLevel: the level %s is not loaded", name ? name : "(nil)");
        return false;
    }
    return levels.SwitchToLevel(name, true);
}

// ---- click rules -------------------------------------------------------------------

bool QuestScreen::GadgetClick(Doodad& doodad) {
    if (gadgets.Empty()) {
        return false;
    }
    return LockClick(doodad) || SwitchClick(doodad) || LevelLinkClick(doodad) || ToggleClick(doodad) ||
           ItemClick(doodad) || UseHeldItemClick(doodad);
}

bool QuestScreen::LockClick(Doodad& doodad) {
    Lock* lock = nullptr;
    for (Lock* candidate : gadgets.locks) {
        if (!candidate->state && candidate->Matches(doodad.GetName())) {
            lock = candidate;
            break;
        }
    }
    State* player = CurrentPlayer();
    if (!lock || !lock->enabled || lock->ignore || !player) {
        return false;
    }
    const String key = player->ActiveItem.FirstString();
    if (key.Empty() || !(key == lock->keyItem)) {
        return false;
    }
    LogFormat("Level %s: %s opens the lock %s", LevelName().CStr(), key.CStr(), lock->name.CStr());
    SetLockState(*lock, true);
    if (GetItemDatabase().IsPersistent(key.CStr()) || !lock->expendKey) {
        ReturnActiveItem();
    } else {
        if (Bitmap* hand = activeItemIcon.Get(0); hand && hand->GetSprite()) {
            const Vec2 cursor = Button::CursorInScene();
            StartFlight(hand->GetSprite(), Vec3{cursor.x, cursor.y, 0.0f}, PointOf(&doodad), TweenSeconds(), true);
        }
        player->ActiveItem.SetFirstString("");
        RefreshHandIcon();
    }
    CallHook((lock->name + "_OnUnlock").CStr(), script.state);
    lock->used = true;
    return true;
}

bool QuestScreen::SwitchClick(Doodad& doodad) {
    Switch* found = nullptr;
    for (Switch* candidate : gadgets.switches) {
        if (candidate->Matches(doodad.GetName()) || candidate->HasObject(doodad.GetName())) {
            found = candidate;
            break;
        }
    }
    if (!found) {
        return false;
    }
    if (!HeldItem().Empty()) {
        // The failure shown for this click is the text alone, never the hook.
        failHook = false;
        return false;
    }
    if (!found->enabled || found->ignore) {
        return false;
    }
    SetSwitchState(*found, !found->state);
    LogFormat("Level %s: the switch %s turns %s", LevelName().CStr(), found->name.CStr(), found->state ? "on" : "off");
    PlayGadgetSound(*found, "Sound_UseObject");
    CallHook((found->name + "_OnSwitch").CStr(), script.state);
    found->used = true;
    return true;
}

bool QuestScreen::LevelLinkClick(Doodad& doodad) {
    LevelLink* link = nullptr;
    for (LevelLink* candidate : gadgets.links) {
        if (candidate->Matches(doodad.GetName())) {
            link = candidate;
            break;
        }
    }
    if (!link || !HeldItem().Empty() || !link->enabled || link->ignore) {
        return false;
    }
    LogFormat("Level %s: the link %s leads to %s", LevelName().CStr(), link->name.CStr(), link->linkPath.CStr());
    PlayGadgetSound(*link, "Sound_Navigate");
    CallHook((link->name + "_OnNavigate").CStr(), script.state);
    link->used = true;
    GetUI().SetCursor(kCursorDefault);
    ShowLevelScreen(String(link->linkPath).CStr());
    return true;
}

bool QuestScreen::ToggleClick(Doodad& doodad) {
    for (Toggle* toggle : gadgets.toggles) {
        if (toggle->Matches(doodad.GetName()) || toggle->HasObject(doodad.GetName())) {
            if (toggle->ignore) {
                return false;
            }
            // The script decides whether the toggle changes.
            CallHook((toggle->name + "_OnToggle").CStr(), script.state);
            return true;
        }
    }
    return false;
}

bool QuestScreen::ItemClick(Doodad& doodad) {
    Gadget* gadget = gadgets.Find(doodad.GetName());
    if (!gadget || gadget->GetType() != Gadget::kItemType || gadget->used || !gadget->enabled) {
        return false;
    }
    auto& item = static_cast<Item&>(*gadget);
    const String held = HeldItem();
    const bool handFits = item.requiredTool.Empty() ? held.Empty() : held == item.requiredTool;
    if (!handFits) {
        return false;
    }
    item.enabled = false;
    item.used = true;
    LogFormat("Level %s: picked up %s", LevelName().CStr(), item.GivenItem().CStr());
    AcquireItem(item, doodad);
    Sound* own = item.sound.Empty() ? nullptr : Resources::FindSound(item.sound.CStr());
    if (!own) {
        own = GetItemDatabase().SoundOf(item.GivenItem().CStr());
    }
    if (own) {
        PlaySoundOnce(own);
    } else {
        PlayVariant("Sound_InventoryGrab");
    }
    PlayVariant("Sound_ItemWhoosh", 1.0f);
    CallHook((item.name + "_OnAcquire").CStr(), script.state);
    return true;
}

bool QuestScreen::UseHeldItemClick(Doodad& doodad) {
    State* player = CurrentPlayer();
    const char* element = doodad.GetName();
    if (!player || !player->HasActiveItem() || !gadgets.IsObjectOfEnabled(element)) {
        return false;
    }
    for (const Item* item : gadgets.items) {
        if (item->HasObject(element)) {
            return false;
        }
    }
    ItemDatabase& items = GetItemDatabase();
    const String* product = items.Combine(player->ActiveItem.FirstString().CStr(), element);
    if (!product) {
        return false;
    }
    const String result = *product;
    if (Emitter* burst = combineEmitter.Get(0); burst && activeItemIcon.Get(0)) {
        const Vec3 p = PointOf(activeItemIcon.Get(0));
        burst->SpawnAt(-1, p.x, p.y);
    }
    player->ActiveItem.SetFirstString(result.CStr());
    RefreshHandIcon();
    CallHookForBool((result + "_OnEquip").CStr(), script.state);
    if (Sound* own = items.SoundOf(result.CStr())) {
        PlaySoundOnce(own);
    } else {
        PlayVariant("Sound_InventoryGrab");
    }
    CallHook((result + "_OnCombine").CStr(), script.state);
    return true;
}

// ---- picking up --------------------------------------------------------------------

void QuestScreen::AcquireItem(Item& item, Doodad& doodad) {
    State* player = CurrentPlayer();
    if (!player) {
        return;
    }
    String given = item.GivenItem();
    if (doodad.IconPath.FirstString().Empty()) {
        doodad.IconPath.SetFirstString(
            FormatLevelPath(GlobalText("ItemDirectory", "items/%s.png").CStr(), given.CStr()).CStr());
    }
    // Discs and orbs fly to the disc instead of the inventory.
    const bool orb = IsListed("Game_OrbNames", given);
    if (orb || IsListed("Game_DiscNames", given)) {
        if (Bitmap* target = disc.Get(0)) {
            StartFoundFlight(doodad, target);
        } else {
            HideAtOnce(&doodad);
        }
        if (orb) {
            PostMessage(kGiveOrb, kOrbDelay);
            if (options->OrbCompletesLevel.FirstBool()) {
                PostMessage(kCompleteNow, kOrbCompleteDelay);
            }
        }
        return;
    }
    if (item.carryOnAcquire) {
        player->ActiveItem.SetFirstString(given.CStr());
        RefreshHandIcon();
        CallHookForBool((given + "_OnEquip").CStr(), script.state);
        if (item.hideOnAcquire) {
            FadeWidget(false, &doodad, false);
        }
        return;
    }
    // A stack adds to the slot holding its item already: the two combine.
    int32_t index = item.stackedItem.Empty() ? -1 : player->FindInventoryItem(given.CStr());
    if (index >= 0) {
        const String* product = GetItemDatabase().Combine(given.CStr(), given.CStr());
        if (product) {
            given = *product;
            player->Inventory.SetString(index, given.CStr());
            const String hook = given + "_OnCombine";
            if (IsGlobalFunction(hook.CStr(), script.state)) {
                PostDeferredCall((hook + "()").CStr(), kStackCombineDelay, script.state, false);
            }
        } else {
            index = -1;
        }
    }
    if (index < 0) {
        index = player->FirstEmptyInventorySlot();
        if (index < 0 || !player->AddToInventory(given.CStr())) {
            LogFormat("Level %s: the inventory is full; %s is not added", LevelName().CStr(), given.CStr());
            return;
        }
    }
    const int32_t slot = index - InventoryOffset();
    Bitmap* icon = slot >= 0 && slot < kInventorySlots ? inventoryIcons.Get(slot) : nullptr;
    if (item.tweenOnAcquire) {
        if (icon) {
            StartFoundFlight(doodad, icon);
        } else if (item.hideOnAcquire) {
            FadeWidget(false, &doodad, false);
        }
        Message(kGameOpenInventory, nullptr);
        PostMessage(kRefreshIcons, kIconRefreshDelay);
        return;
    }
    if (Emitter* burst = combineEmitter.Get(0)) {
        const Vec3 at = PointOf(&doodad);
        burst->SpawnAt(-1, at.x, at.y);
        if (icon && InventoryPanelOpen()) {
            const Vec3 p = PointOf(icon);
            burst->SpawnAt(-1, p.x, p.y);
        }
    }
    if (item.hideOnAcquire) {
        FadeWidget(false, &doodad, false);
    }
    RefreshInventory();
}

// ---- failures ----------------------------------------------------------------------

bool QuestScreen::ShowGadgetFailure() {
    for (Doodad* doodad : underCursor) {
        const Gadget* gadget = gadgets.OwnerOf(doodad->GetName());
        if (!gadget) {
            continue;
        }
        const String hook = gadget->name + "_OnFail";
        if (failHook && IsGlobalFunction(hook.CStr(), script.state)) {
            CallHook(hook.CStr(), script.state);
            return true;
        }
        return ShowGadgetFailMessage(gadget->name.CStr());
    }
    // A doodad of no gadget may still have a failure hook of its own name.
    if (!underCursor.empty() && failHook) {
        const String hook = String(underCursor.front()->GetName()) + "_OnFail";
        if (IsGlobalFunction(hook.CStr(), script.state)) {
            CallHook(hook.CStr(), script.state);
            return true;
        }
    }
    return false;
}

bool QuestScreen::ShowGadgetFailMessage(const char* gadget) {
    const Gadget* found = gadget ? gadgets.Find(gadget) : nullptr;
    if (!found || !found->enabled) {
        return false;
    }
    ShowFailMessage(gadget);
    return true;
}

// ---- sub-level exit ----------------------------------------------------------------

bool QuestScreen::OverSubLevelExit() {
    if (IsRootLevel()) {
        return false;
    }
    const Vec2 cursor = Button::CursorInScene();
    for (int32_t i = 0; i < backRegions.ResolvedCount(); ++i) {
        Region* region = backRegions.Get(i);
        if (region && region->IsVisible(true) && region->HitTest(cursor)) {
            return true;
        }
    }
    Bitmap* panel = goalPanel.Get(0);
    return !InventoryPanelOpen() && panel && panel->IsVisible(true) && panel->HitTest(cursor);
}

bool QuestScreen::TryExitSubLevel() {
    if (!HeldItem().Empty() || !OverSubLevelExit()) {
        return false;
    }
    PlayVariant("Sound_Navigate");
    ClearFlights();
    GetLevelScenes().SwitchToLevel(GetLevelScenes().RootLevel().CStr(), true);
    return true;
}

// ---- sparkles ----------------------------------------------------------------------

void QuestScreen::StepGadgetSparkles(float dt) {
    Scene* level = LevelScene();
    if (!level || gadgets.Empty()) {
        return;
    }
    auto doodadOf = [level](const Gadget& gadget) -> Doodad* {
        if (gadget.objects.empty()) {
            return nullptr;
        }
        Doodad* doodad = ObjectCast<Doodad>(level->FindElement(gadget.objects.front().CStr()));
        return doodad && doodad->IsVisible(true) ? doodad : nullptr;
    };
    Vec3 point{};
    if (Emitter* emitter = linkEmitter.Get(0); emitter && !gadgets.links.empty()) {
        linkSparkleTimer -= dt;
        if (linkSparkleTimer <= 0.0f) {
            const float rate = GlobalFloat("Game_LinkEmitterRate", 0, 30.0f);
            linkSparkleTimer = rate > 0.0f ? 1.0f / rate : 1.0f;
            for (const LevelLink* link : gadgets.links) {
                Doodad* doodad = link->enabled ? doodadOf(*link) : nullptr;
                if (doodad && GetLevelScenes().FindLevel(link->linkPath.CStr()) && doodad->GetHintPoint(point)) {
                    emitter->SpawnAt(1, point.x, point.y);
                }
            }
        }
    }
    Emitter* items = itemEmitter.Get(0);
    if (!items) {
        return;
    }
    for (Item* item : gadgets.items) {
        if (!item->enabled || !item->gleam) {
            continue;
        }
        Doodad* doodad = doodadOf(*item);
        if (!doodad) {
            continue;
        }
        item->gleamTimer -= dt;
        if (item->gleamTimer > 0.0f) {
            continue;
        }
        const float variance = GlobalFloat("Game_ItemEmitterRateVariance", 0, 0.1f);
        const float rate = GlobalFloat("Game_ItemEmitterRate", 0, 0.4f) + Random(-variance, variance);
        item->gleamTimer = rate > 0.0f ? 1.0f / rate : 1.0f;
        if (doodad->GetHintPoint(point)) {
            items->SpawnAt(1, point.x, point.y);
        }
    }
}
