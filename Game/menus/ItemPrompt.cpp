#include "menus/ItemPrompt.h"

#include "data/Profiles.h"
#include "data/State.h"
#include "ui/Button.h"
#include "ui/UiSettings.h"

ItemPrompt::ItemPrompt() {
    Name.SetFirstString("NewItemPrompt");
    for (Var* optional : {static_cast<Var*>(&dontAskAgainCheckbox), static_cast<Var*>(&frameWindow),
                          &windowHeightFromCheckbox}) {
        optional->flags &= ~Var::kSaved;
    }
    DeclareString("itemIcon", itemIcon, 1, this, "");
}

bool ItemPrompt::OnPush() {
    Resolve();
    if (HasUnresolvedSavedLinks()) {
        return false;
    }
    if (const State* player = CurrentPlayer()) {
        itemIcon.Get()->SpritePath.SetFirstString(player->pendingItemImage.CStr());
        promptText.Get()->SetText(player->pendingItemText.CStr());
    }
    const String ok = GlobalText("String_Ok", "str.ok");
    LayoutButtons(ok.CStr(), "", false);
    PlaySettingSound("Sound_LevelComplete", "audio/level_complete.ogg");
    return true;
}

bool SetPendingItem(const char* imagePath, const char* text) {
    State* player = CurrentPlayer();
    if (!player) {
        return false;
    }
    player->pendingItemImage = imagePath ? imagePath : "";
    player->pendingItemText = text ? text : "";
    return true;
}
