#pragma once
// ItemPrompt: the prompt that shows an item the player just received, with
// an OK button. When pushed it shows the current player's pending item
// picture ("itemIcon") and text, lays out the one OK button and plays the
// Globals sound "Sound_LevelComplete". The picture and text are transient
// strings of the player's State that the level rules set before asking for
// the prompt (SetPendingItem).
//
// Properties: the Prompt's, then itemIcon (bitmap link).

#include "core/Link.h"
#include "render/Bitmap.h"
#include "ui/Prompt.h"

class ItemPrompt : public Prompt {
    ENGINE_CLASS(ItemPrompt, Prompt)

public:
    ItemPrompt();
    bool OnPush() override;

    Link<Bitmap> itemIcon;
};

/// Sets the picture and text the next item prompt shows for the current
/// player; false without a current player.
bool SetPendingItem(const char* imagePath, const char* text);
