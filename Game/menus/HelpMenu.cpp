#include "menus/HelpMenu.h"

#include "ui/UI.h"

namespace {

constexpr int32_t kTransition = 1;

void Enable(Button* button, bool enabled) {
    if (!button) {
        return;
    }
    button->enablePress.SetFirstBool(enabled);
    for (int i = 0; i < 3; ++i) {
        button->Color.SetFloat(i, 1.0f);
    }
    button->Color.SetFloat(3, enabled ? 1.0f : 0.5f);
}

} // namespace

HelpMenu::HelpMenu() {
    Name.SetFirstString("NewHelpMenu");
    DeclareNamedString("okButton", okButton, 1, this);
    DeclareNamedString("nextButton", nextButton, 1, this);
    DeclareNamedString("prevButton", prevButton, 1, this);
    DeclareString("pages", pages, kPageCount, this, "");
}

bool HelpMenu::OnPush() {
    Resolve();
    pages.Resolve();
    page = 0;
    ShowHelpPage(true);
    return true;
}

void HelpMenu::ShowHelpPage(bool immediately) {
    const float seconds = immediately ? 0.0f : kTurnSeconds;
    for (int32_t i = 0; i < kPageCount; ++i) {
        Widget* item = pages.Get(i);
        if (!item) {
            continue;
        }
        if (i == page) {
            FadeIn(this, item, seconds);
        } else {
            FadeOut(item, this, seconds, 1);
        }
    }
    Enable(prevButton.Get(), page > 0);
    Enable(nextButton.Get(), page < kPageCount - 1 && HasPage(page + 1));
}

bool HelpMenu::Message(int32_t message, Object* sender) {
    if (message != kButtonClicked || !sender) {
        return Screen::Message(message, sender);
    }
    if (sender == okButton.Get()) {
        GetUI().PopScreen(kTransition);
        return true;
    }
    const int32_t step = sender == nextButton.Get() ? 1 : sender == prevButton.Get() ? -1 : 0;
    if (step == 0) {
        return Screen::Message(message, sender);
    }
    if (HasPage(page + step)) {
        page += step;
        ShowHelpPage(false);
    }
    return true;
}
