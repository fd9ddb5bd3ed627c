#include "menus/ProfilesMenu.h"

#include "core/EngineState.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "menus/ContinueGame.h"
#include "menus/MenuSupport.h"
#include "menus/ProfilePrompt.h"
#include "ui/Prompt.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>
#include <string_view>

namespace {
constexpr int32_t kTransition = 1;
} // namespace

ProfilesMenu::ProfilesMenu() {
    Name.SetFirstString("NewProfilesMenu");
    DeclareNamedString("okButton", okButton, 1, this);
    DeclareNamedString("createButton", createButton, 1, this);
    DeclareNamedString("deleteButton", deleteButton, 1, this);
    DeclareString("profileBoxes", profileBoxes, kBoxCount, this, "");
    DeclareString("selectors", selectors, kBoxCount, this, "");
    DeclareNamedString("listScroll", listScroll, 1, this);
}

bool ProfilesMenu::Inert() {
    return !LinksResolved(GetName(),
                          {&okButton, &createButton, &deleteButton, &profileBoxes, &selectors, &listScroll});
}

bool ProfilesMenu::OnPush() {
    if (Inert()) {
        return false;
    }
    playerOnOpen = CurrentPlayer();
    BuildList();
    return true;
}

int32_t ProfilesMenu::Top() const {
    const Scrollbar* bar = listScroll.Get();
    return bar ? std::max(bar->value.FirstInt(), 0) : 0;
}

void ProfilesMenu::BuildList() {
    profiles.clear();
    if (gameState) {
        for (auto& entry : gameState->Elements().Entries()) {
            // The nameless default player is no profile to choose.
            State* player = ObjectCast<State>(entry.value);
            if (player && IsRegistered(*player)) {
                profiles.push_back(player);
            }
        }
    }
    std::stable_sort(profiles.begin(), profiles.end(), [](const State* a, const State* b) {
        return a->PlayerId.FirstInt() < b->PlayerId.FirstInt();
    });
    const int32_t count = static_cast<int32_t>(profiles.size());
    // Based on the boxes, so the last profiles can always be scrolled into view.
    const int32_t maximum = std::max(0, count - kBoxCount);
    Scrollbar* bar = listScroll.Get();
    SetScrollRange(bar, maximum);
    int32_t active = 0;
    for (int32_t i = 0; i < count; ++i) {
        if (profiles[i]->Active.FirstBool()) {
            active = i;
            break;
        }
    }
    const bool scrolls = count > kBoxCount;
    SetScrollValue(bar, scrolls ? std::clamp(active, 0, maximum) : 0);
    bar->Visible.SetFirstBool(scrolls);
    Select(active);
    RefreshList();
}

void ProfilesMenu::Select(int32_t index) {
    if (profiles.empty()) {
        return;
    }
    selected = std::clamp(index, 0, static_cast<int32_t>(profiles.size()) - 1);
    SelectPlayer(profiles[selected]->PlayerId.FirstInt());
}

void ProfilesMenu::RefreshList() {
    const int32_t count = static_cast<int32_t>(profiles.size());
    const int32_t top = std::min(Top(), count);
    const int32_t shown = std::min(top + kBoxCount, count) - top;
    for (int32_t j = 0; j < kBoxCount; ++j) {
        TextBox* box = profileBoxes.Get(j);
        Bitmap* selector = selectors.Get(j);
        const bool used = j < shown;
        if (box) {
            box->Visible.SetFirstBool(used);
            if (used) {
                box->UseLookup.SetFirstBool(false);
                box->SetText(profiles[top + j]->PlayerName.FirstString().CStr());
                box->hitByArea = true;
            }
        }
        if (selector) {
            selector->Visible.SetFirstBool(used && top + j == selected);
        }
    }
}

void ProfilesMenu::AskDelete() {
    if (selected < 0 || selected >= static_cast<int32_t>(profiles.size())) {
        return;
    }
    deletePending = true;
    String question;
    if (!FormatSettingText("Prompt_DeletePlayer", "prompt.delete_player",
                           profiles[selected]->PlayerName.FirstString().CStr(), question)) {
        LogLine("ProfilesMenu: the string table has no delete question; nothing is asked");
        return;
    }
    ShowPrompt(question.CStr(), GlobalText("Prompt_DeletePlayerYes", "prompt.delete_player_yes").CStr(),
               GlobalText("Prompt_DeletePlayerNo", "prompt.delete_player_no").CStr(), false);
}

void ProfilesMenu::DeleteSelected() {
    if (selected < 0 || selected >= static_cast<int32_t>(profiles.size())) {
        return;
    }
    if (!DeletePlayer(profiles[selected]->PlayerId.FirstInt())) {
        LogLine("ProfilesMenu: the profile could not be deleted");
        return;
    }
    const int32_t previous = selected;
    BuildList(); // the deleted profile's pointer is gone from the list now
    Select(previous < static_cast<int32_t>(profiles.size()) ? previous : -1);
    RefreshList();
}

void ProfilesMenu::CreateProfile(const String& name) {
    if (gameState && FindPlayerByName(name.CStr())) {
        ShowPrompt(GlobalText("Prompt_PlayerExists", "prompt.player_exists").CStr(),
                   GlobalText("String_Ok", "str.ok").CStr(), "", false);
        return;
    }
    const int32_t id = CreatePlayer(name.CStr());
    if (id < 0) {
        return;
    }
    SelectPlayer(id);
    SaveStateFile();
    GetUI().SetScreen("IntroScreen", kTransition);
}

bool ProfilesMenu::Message(int32_t message, Object* sender) {
    if (Inert()) {
        return Screen::Message(message, sender);
    }
    if (message == message::kTextClicked) {
        for (int32_t j = 0; j < kBoxCount; ++j) {
            if (sender && sender == profileBoxes.Get(j)) {
                Select(j + Top());
                RefreshList();
                return true;
            }
        }
        return false;
    }
    if (message == kScrollChanged) {
        RefreshList();
        return true;
    }
    if (message == kButtonClicked && sender) {
        if (sender == okButton.Get()) {
            SaveStateFile();
            if (CurrentPlayer() == playerOnOpen) {
                GetUI().PopScreen(kTransition);
            } else if (!ContinueGame()) {
                LogLine("ProfilesMenu: the chosen player's game could not be shown");
            }
            return true;
        }
        if (sender == createButton.Get()) {
            if (!GetUI().PushScreenByName("ProfilePrompt", kTransition)) {
                LogLine("ProfilesMenu: the name prompt could not be opened");
            }
            return true;
        }
        if (sender == deleteButton.Get()) {
            AskDelete();
            return true;
        }
    }
    return Screen::Message(message, sender);
}

bool ProfilesMenu::OnReturn(Screen* popped) {
    if (!popped) {
        return true;
    }
    const char* className = popped->GetClassName();
    if (std::string_view(className) == "ProfilePrompt") {
        auto* prompt = static_cast<ProfilePrompt*>(popped);
        if (prompt->accepted) {
            CreateProfile(prompt->EnteredName());
        }
        return true;
    }
    if (std::string_view(className) == "Prompt" && deletePending) {
        if (static_cast<Prompt*>(popped)->answer) {
            DeleteSelected();
        }
        deletePending = false;
        const State* current = CurrentPlayer();
        if (!current || !IsRegistered(*current)) {
            GetUI().PopScreen(kTransition);
        }
    }
    return true;
}
