#include "menus/ProfilePrompt.h"

#include "data/Profiles.h"
#include "ui/Prompt.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

namespace {

constexpr int32_t kPromptTransition = 1;

} // namespace

ProfilePrompt::ProfilePrompt() {
    Name.SetFirstString("NewProfilePrompt");
    DeclareString("okButton", okButton, 1, this, "");
    DeclareString("nameText", nameText, 1, this, "");
    DeclareString("messageText", messageText, 1, this, "");
}

void ProfilePrompt::Refuse(const char* setting, const char* fallback) {
    const String refusal = GlobalText(setting, fallback);
    if (TextBox* message = messageText.Get()) {
        message->SetText(refusal.CStr());
        message->Visible.SetFirstBool(true);
        if (TextBox* box = nameText.Get()) {
            box->BeginEdit(); // Enter gave the focus up: keep typing at once
        }
        return;
    }
    const String ok = GlobalText("String_Ok", "str.ok");
    if (!ShowPrompt(refusal.CStr(), ok.CStr(), "", false)) {
        if (TextBox* box = nameText.Get()) {
            box->BeginEdit();
        }
    }
}

bool ProfilePrompt::OnPush() {
    Resolve();
    if (TextBox* box = nameText.Get()) {
        box->UseLookup.SetFirstBool(false); // the name is the text itself
        box->SetText("");
        box->BeginEdit();
    }
    if (TextBox* message = messageText.Get()) {
        message->Visible.SetFirstBool(false);
    }
    return true;
}

String ProfilePrompt::EnteredName() const {
    const TextBox* box = nameText.Get();
    String cleaned;
    if (!box || !CleanPlayerName(box->Text.FirstString().CStr(), cleaned)) {
        return String();
    }
    return cleaned;
}

bool ProfilePrompt::Message(int32_t message, Object* sender) {
    if ((message == message::kButtonClicked && sender && sender == okButton.Get()) ||
        message == message::kTextEntered) {
        Accept();
        return true;
    }
    return Screen::Message(message, sender);
}

void ProfilePrompt::Accept() {
    const String name = EnteredName();
    if (name.Empty()) {
        Refuse("Prompt_ShortPlayerName", "str.prompt_short_name");
        return;
    }
    if (FindPlayerByName(name.CStr())) {
        Refuse("Prompt_PlayerExists", "str.prompt_player_exists");
        return;
    }
    accepted = true;
    if (TextBox* box = nameText.Get()) {
        box->EndEdit();
    }
    GetUI().PopScreen(kPromptTransition);
}
