#pragma once
// HelpMenu: up to eight help pages, one at a time, with next and previous
// buttons; a button that leads nowhere is disabled and drawn at half alpha.
// Pages fade (0.25 s) when turned; the first shows at once.
//
// Properties (links into its own scene, in this order): okButton,
// nextButton, prevButton (buttons), pages (8 widgets; the scene names as
// many as it has, the rest stay unresolved and are not shown).

#include "core/Link.h"
#include "ui/Button.h"
#include "ui/Screen.h"

class HelpMenu : public Screen {
    ENGINE_CLASS(HelpMenu, Screen)

public:
    static constexpr int32_t kPageCount = 8;
    static constexpr float kTurnSeconds = 0.25f;

    HelpMenu();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;

    /// Shows page `page` and hides the others; `immediately` without fading.
    void ShowHelpPage(bool immediately);

    int32_t page = 0;

    Link<Button> okButton;
    Link<Button> nextButton;
    Link<Button> prevButton;
    Link<Widget> pages;

private:
    bool HasPage(int32_t index) const { return index >= 0 && index < kPageCount && pages.Get(index); }
};
