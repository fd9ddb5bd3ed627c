// Inventory clicks: picking an item up, putting it back, and combining the
// item in hand with one in a slot, with the icons flying between them.
#include "play/QuestScreen.h"

#include "anim/Emitter.h"
#include "audio/Sound.h"
#include "core/Log.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "play/ItemDatabase.h"
#include "render/Sprite.h"
#include "script/ScriptHooks.h"
#include "ui/Button.h"
#include "ui/ConsoleCommands.h"
#include "ui/UiSettings.h"

namespace {

String IconPath(const char* item) {
    return FormatLevelPath(GlobalText("ItemDirectory", "items/%s.png").CStr(), item);
}

Vec3 PointOf(Widget* widget) {
    if (!widget) {
        return Vec3{};
    }
    const Matrix4& world = widget->WorldMatrix();
    return Vec3{world.m[12], world.m[13], 0.0f};
}

} // namespace

int32_t QuestScreen::SlotUnderCursor() {
    const Vec2 cursor = Button::CursorInScene();
    const int32_t previous = GlobalHitMode();
    SetGlobalHitMode(2);
    int32_t found = -1;
    for (int32_t slot = 0; slot < kInventorySlots && found < 0; ++slot) {
        Bitmap* icon = inventoryIcons.Get(slot);
        if (icon && icon->HitTest(cursor)) {
            found = slot;
        }
    }
    SetGlobalHitMode(previous);
    return found;
}

void QuestScreen::RefreshHandIcon() {
    State* player = CurrentPlayer();
    Bitmap* icon = activeItemIcon.Get(0);
    if (!icon) {
        return;
    }
    const bool holding = player && player->HasActiveItem();
    icon->Visible.SetFirstBool(holding);
    if (holding) {
        icon->SpritePath.SetFirstString(IconPath(player->ActiveItem.FirstString().CStr()).CStr());
    }
}

void QuestScreen::ReturnActiveItem() {
    State* player = CurrentPlayer();
    if (!player || !player->HasActiveItem()) {
        return;
    }
    const String item = player->ActiveItem.FirstString();
    const int32_t slot = player->FirstEmptyInventorySlot() - InventoryOffset();
    Bitmap* hand = activeItemIcon.Get(0);
    if (hand && hand->GetSprite() && slot >= 0 && slot < kInventorySlots) {
        StartFlight(hand->GetSprite(), PointOf(hand), PointOf(inventoryIcons.Get(slot)), TweenSeconds(), false);
    }
    player->ActiveItem.SetFirstString("");
    player->AddToInventory(item.CStr());
    PostMessage(kRefreshIcons, TweenSeconds());
    PlayVariant("Sound_InventoryDrop", TweenSeconds());
    RefreshHandIcon();
    Message(kGameOpenInventory, nullptr);
}

void QuestScreen::GiveItem(const char* item, const Vec2& from) {
    State* player = CurrentPlayer();
    if (!player || !item || !*item) {
        return;
    }
    const int32_t slot = player->FirstEmptyInventorySlot() - InventoryOffset();
    if (!player->AddToInventory(item)) {
        LogFormat("Level %s: the inventory is full; %s is not added", LevelName().CStr(), item);
        return;
    }
    Message(kGameOpenInventory, nullptr);
    if (Sprite* icon = Resources::FindSprite(IconPath(item).CStr()); icon && slot >= 0 && slot < kInventorySlots) {
        StartFlight(icon, Vec3{from.x, from.y, 0.0f}, PointOf(inventoryIcons.Get(slot)), TweenSeconds(), false);
    }
    PostMessage(kRefreshIcons, TweenSeconds());
}

bool QuestScreen::InventoryClick() {
    const int32_t slot = SlotUnderCursor();
    State* player = CurrentPlayer();
    if (slot < 0 || !player) {
        return false;
    }
    const int32_t index = slot + InventoryOffset();
    const String entry = player->InventoryItemAt(index);
    const String held = player->ActiveItem.FirstString();
    ItemDatabase& items = GetItemDatabase();
    auto playItemSound = [&](const String& item) {
        if (Sound* own = items.SoundOf(item.CStr()); own && own->Implementation()) {
            own->Implementation()->Play(false, 1.0f, 1.0f);
        } else {
            PlayVariant("Sound_InventoryGrab");
        }
    };
    if (held.Empty()) {
        if (entry.Empty()) {
            return false;
        }
        Bitmap* icon = inventoryIcons.Get(slot);
        if (icon && icon->GetSprite()) {
            StartFlight(icon->GetSprite(), PointOf(icon), PointOf(activeItemIcon.Get(0)), TweenSeconds(), false);
        }
        player->ActiveItem.SetFirstString(entry.CStr());
        player->RemoveInventoryItemAt(index);
        RefreshInventory();
        RefreshHandIcon();
        playItemSound(entry);
        return true;
    }
    if (entry.Empty()) {
        ReturnActiveItem();
        return true;
    }
    const String* product = items.IsPersistent(entry.CStr()) ? nullptr : items.Combine(held.CStr(), entry.CStr());
    if (!product) {
        const String hook = entry + "_OnFail";
        if (IsGlobalFunction(hook.CStr(), script.state)) {
            CallHook(hook.CStr(), script.state);
        } else {
            ShowGadgetFailMessage(entry.CStr());
        }
        return false;
    }
    const String result = *product;
    LogFormat("Level %s: combined %s and %s into %s", LevelName().CStr(), held.CStr(), entry.CStr(), result.CStr());
    Bitmap* icon = inventoryIcons.Get(slot);
    if (items.IsPersistent(held.CStr())) {
        if (Emitter* burst = combineEmitter.Get(0); burst && icon) {
            const Vec3 p = PointOf(icon);
            burst->SpawnAt(-1, p.x, p.y);
        }
        PostMessage(kRefreshIcons, 0.01f);
        PostMessage(kReturnItem, TweenSeconds(), 1);
    } else {
        Bitmap* hand = activeItemIcon.Get(0);
        if (hand && hand->GetSprite() && icon) {
            StartFlight(hand->GetSprite(), PointOf(hand), PointOf(icon), TweenSeconds(), true);
        }
        QueueMessage(kCombineBurst, TweenSeconds(), 0, icon);
        player->ActiveItem.SetFirstString("");
        PostMessage(kRefreshIcons, TweenSeconds());
        RefreshHandIcon();
        PlayVariant("Sound_UseObject", TweenSeconds());
    }
    player->Inventory.SetString(index, result.CStr());
    CallHook((result + "_OnCombine").CStr(), script.state);
    playItemSound(result);
    return true;
}
