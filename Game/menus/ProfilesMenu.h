#pragma once
// ProfilesMenu: the list of player profiles, eight boxes at a time with a
// scroll bar beside them when there are more; select, create, delete.
//
// Registered profiles are listed by PlayerId. The highlighted profile is at once the
// current player. The scroll bar's range is the number of profiles minus
// the eight boxes, so every profile can be scrolled into a box. Create asks
// a name with the profile prompt; a new profile becomes current and starts
// with the first screen. Delete asks first (the question names the
// player) and deletes the profile with its level saves; when no registered
// profile is left the menu closes. OK keeps the choice: the same player as
// when the menu opened returns to the screen below, another continues that
// player's game.
//
// Properties (links into its own scene, in this order): okButton,
// createButton, deleteButton (buttons), profileBoxes (8 text boxes),
// selectors (8 bitmaps: the highlight behind a box), listScroll (scroll bar).

#include "core/Link.h"
#include "render/Bitmap.h"
#include "ui/Button.h"
#include "ui/Screen.h"
#include "ui/Scrollbar.h"
#include "ui/TextBox.h"

#include <vector>

class State;

class ProfilesMenu : public Screen {
    ENGINE_CLASS(ProfilesMenu, Screen)

public:
    static constexpr int32_t kBoxCount = 8;

    ProfilesMenu();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;
    bool OnReturn(Screen* popped) override;

    /// Re-reads the profiles, sets the scroll range and selects the active one.
    void BuildList();
    /// Makes profile `index` (clamped) the selection and the current player.
    void Select(int32_t index);
    /// Fills the boxes from the scroll bar's value.
    void RefreshList();

    const std::vector<State*>& Profiles() const { return profiles; }
    int32_t Selected() const { return selected; }

    Link<Button> okButton;
    Link<Button> createButton;
    Link<Button> deleteButton;
    Link<TextBox> profileBoxes;
    Link<Bitmap> selectors;
    Link<Scrollbar> listScroll;

private:
    bool Inert();
    void AskDelete();
    void DeleteSelected();
    void CreateProfile(const String& name);
    int32_t Top() const;

    std::vector<State*> profiles; ///< not owned: children of the state root
    State* playerOnOpen = nullptr;
    int32_t selected = 0;
    bool deletePending = false;
};
