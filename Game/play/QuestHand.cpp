// The item in hand drawn at the cursor, the name of the inventory item under
// the cursor, and which doodad glows under it: small per-frame rules of the
// level screen.
#include "play/QuestScreen.h"

#include "core/Widget.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "play/GoalTexts.h"
#include "io/StringTable.h"
#include "play/Doodad.h"
#include "play/Gadget.h"
#include "script/ScriptHooks.h"
#include "ui/Button.h"
#include "ui/Cursor.h"
#include "ui/UiSettings.h"

namespace {

constexpr int32_t kAlpha = 3;
constexpr float kTooltipFade = 0.25f;

void SetIfChanged(Var& var, int32_t index, float value) {
    if (var.GetFloat(index) != value) {
        var.SetFloat(index, value);
    }
}

void ShowIfChanged(Widget& widget, bool visible) {
    if (widget.Visible.FirstBool() != visible) {
        widget.Visible.SetFirstBool(visible);
    }
}

} // namespace

void QuestScreen::StepHand(float dt) {
    Widget* slot = activeItemSlot.Get(0);
    Widget* icon = activeItemIcon.Get(0);
    if (!slot) {
        return;
    }
    const State* player = CurrentPlayer();
    const bool holding = player && player->HasActiveItem();
    Var* color = slot->FindProperty("Color");
    const float step = dt / std::max(TweenSeconds(), 0.01f);
    // A hidden glow starts from transparent, whatever alpha the scene gave it.
    float alpha = !slot->Visible.FirstBool() ? 0.0f : color ? color->GetFloat(kAlpha) : 1.0f;
    alpha = holding ? std::min(1.0f, alpha + step) : std::max(0.0f, alpha - step);
    if (color) {
        SetIfChanged(*color, kAlpha, alpha);
    }
    ShowIfChanged(*slot, holding || alpha > 0.0f);
    const Vec2 cursor = Button::CursorInScene();
    for (Widget* widget : {slot, icon}) {
        if (widget && (holding || alpha > 0.0f)) {
            SetIfChanged(widget->Position, 0, cursor.x);
            SetIfChanged(widget->Position, 1, cursor.y);
        }
    }
    // The icon appears once its glow has faded in, and goes with the hand.
    if (icon) {
        ShowIfChanged(*icon, holding && alpha >= 1.0f);
    }
}

void QuestScreen::StepItemNames() {
    const State* player = CurrentPlayer();
    int32_t shown = -1;
    if (player && !player->HasActiveItem() && !InputBlocked()) {
        const int32_t slot = SlotUnderCursor();
        const int32_t item = slot + InventoryOffset();
        if (slot >= 0 && item < player->Inventory.GetCount() && !player->Inventory.GetString(item).Empty()) {
            shown = slot;
        }
    }
    if (shown == tooltipSlot) {
        return;
    }
    if (TextButton* old = itemNames.Get(tooltipSlot)) {
        FadeOut(old, this, kTooltipFade, 0);
    }
    tooltipSlot = shown;
    if (TextButton* name = itemNames.Get(shown)) {
        const String& item = player->Inventory.GetString(shown + InventoryOffset());
        const String key = FillPattern(GlobalText("Path_ItemNames", "item.%s").CStr(), {item.CStr()});
        name->Text.SetFirstString(TextOrKey(key.CStr()).CStr());
        FadeIn(this, name, kTooltipFade);
    }
}

bool QuestScreen::HoverGlows(const Doodad& doodad) const {
    return &doodad == cursorDoodad && cursorShape != kCursorDefault;
}

int32_t QuestScreen::HoverObjectCursor() {
    hoveredObject = nullptr;
    hoveredTreasure = false;
    for (Doodad* doodad : underCursor) {
        if (!doodad->IsVisible(true)) {
            continue;
        }
        hoveredTreasure = hoveredTreasure || (doodad->IsTreasure() && !doodad->used.FirstBool());
        const Gadget* gadget = gadgets.OwnerOf(doodad->GetName());
        if (gadget && gadget->GetType() != Gadget::kToggleType &&
            (gadgets.IsObjectOfEnabled(doodad->GetName()) || HasInformation(*gadget))) {
            hoveredObject = doodad;
            break;
        }
    }
    if (hoveredObject) {
        const Gadget* gadget = gadgets.OwnerOf(hoveredObject->GetName());
        if (!gadgets.IsObjectOfEnabled(hoveredObject->GetName())) {
            return kCursorInfo;
        }
        if (gadget->GetType() == Gadget::kLevelLinkType) {
            return gadget->enabled ? kCursorLink : kCursorDefault;
        }
        return gadget->GetType() == Gadget::kItemType ? kCursorDefault : kCursorUse;
    }
    // A doodad of no gadget that the script lets the player use.
    Doodad* front = underCursor.empty() ? nullptr : underCursor.front();
    if (front && !front->IsTreasure() &&
        HasGlobal((String(front->GetName()) + "_OnUse").CStr(), script.state)) {
        return kCursorUse;
    }
    return kCursorDefault;
}

bool QuestScreen::HasInformation(const Gadget& gadget) const {
    if (gadget.used) {
        return false;
    }
    const String key = FillPattern(GlobalText("Path_ObjectHint", "hint.%s_%s").CStr(),
                                   {LevelName().CStr(), gadget.name.CStr()});
    String text;
    return LookupString(key.CStr(), text) && !text.Empty();
}
