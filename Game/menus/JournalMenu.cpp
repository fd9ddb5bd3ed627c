#include "menus/JournalMenu.h"

#include "core/EngineState.h"
#include "core/Log.h"
#include "core/SceneFile.h"
#include "core/Widget.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "ui/ConsoleCommands.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int32_t kTransition = 1;

void SetVisible(Widget* widget, bool visible) {
    if (widget) {
        widget->Visible.SetFirstBool(visible);
    }
}

/// The page the journal opens at: the current level's while it has an
/// entry; otherwise the page the player last looked at, or the first
/// filled one, so that the found pages stay within reach.
String OpeningPage(const State& player) {
    const String level = GlobalText("Levels", "", player.CurrentLevel.FirstInt());
    if (player.FindJournalPage(level.CStr()) >= 0) {
        return level;
    }
    if (player.FindJournalPage(player.ActiveJournalPage.FirstString().CStr()) >= 0) {
        return player.ActiveJournalPage.FirstString();
    }
    String first;
    for (int32_t i = 0; i < player.JournalElements.GetCount(); ++i) {
        if (player.JournalPageNameAt(i, first)) {
            return first;
        }
    }
    return level;
}

} // namespace

JournalMenu::JournalMenu() {
    Name.SetFirstString("NewJournalMenu");
    DeclareNamedString("backButton", backButton, 1, this);
    DeclareNamedString("nextButton", nextButton, 1, this);
    DeclareNamedString("closeButton", closeButton, 1, this);
}

JournalMenu::~JournalMenu() = default;

bool JournalMenu::OnPush() {
    UI& ui = GetUI();
    for (Var* link : {static_cast<Var*>(&backButton), static_cast<Var*>(&nextButton),
                      static_cast<Var*>(&closeButton)}) {
        link->Resolve();
    }
    if (State* player = CurrentPlayer()) {
        player->ActiveJournalPage.SetFirstString(OpeningPage(*player).CStr());
        player->JournalUpdated.SetFirstBool(false);
    }
    ShowJournalPage();
    ui.UnlockInput();
    ui.ShowCursor(true);
    return true;
}

void JournalMenu::ShowJournalPage() {
    const State* player = CurrentPlayer();
    const String page = player ? player->ActiveJournalPage.FirstString() : String();
    pageScene.reset();
    const String path = FormatLevelPath(GlobalText("Path_JournalPages", "journal/%s.scene").CStr(), page.CStr());
    if (!page.Empty()) {
        pageScene = LoadScene(path.CStr());
    }
    if (!pageScene) {
        LogFormat("JournalMenu: the page %s has no scene %s; it shows empty", page.CStr(), path.CStr());
    } else {
        LogFormat("JournalMenu: the page %s shows", page.CStr());
    }
    std::vector<String> found;
    if (player) {
        player->JournalPageElements(page.CStr(), found);
    }
    if (pageScene) {
        for (Widget* piece : pageScene->Children()) {
            const bool isFound = std::any_of(found.begin(), found.end(),
                                             [piece](const String& name) { return name.Equals(piece->GetName()); });
            piece->Visible.SetFirstBool(isFound);
        }
    }
    SetVisible(backButton.Get(0), player && player->FindJournalPage(page.CStr()) > 0);
    SetVisible(nextButton.Get(0), player && player->HasNextJournalPage(page.CStr()));
}

void JournalMenu::TurnPage(int32_t delta) {
    State* player = CurrentPlayer();
    if (!player || !player->TurnJournalPage(delta)) {
        return;
    }
    ShowJournalPage();
    RestartFrameClock();
    UI& ui = GetUI();
    ui.services.StartTransition(kTransition, kPageTurnSeconds, -1);
    ui.LockInputFor(kPageTurnSeconds);
}

void JournalMenu::Update() {
    Screen::Update();
    if (pageScene) {
        pageScene->Update();
    }
}

bool JournalMenu::Message(int32_t message, Object* sender) {
    if (message == kButtonClicked && sender) {
        if (sender == backButton.Get(0)) {
            TurnPage(-1);
        } else if (sender == nextButton.Get(0)) {
            TurnPage(+1);
        } else if (sender == closeButton.Get(0)) {
            GetUI().PopScreen(kTransition);
        }
        return true;
    }
    // The generic messages keep the screen's own services (showing, hiding,
    // sounds); nothing else leaves the journal.
    if (message >= message::kShowSender && message <= message::kPlayMusic) {
        return Screen::Message(message, sender);
    }
    return true;
}

bool JournalMenu::Draw() {
    if (pageScene) {
        pageScene->Draw();
    }
    return Screen::Draw();
}
