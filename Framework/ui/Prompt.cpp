#include "ui/Prompt.h"

#include "core/Log.h"
#include "ui/UiSettings.h"
#include "ui/UI.h"

#include <cstdio>

namespace {

constexpr int32_t kPromptTransition = 1;

void Show(Widget* widget, bool visible) {
    if (widget) {
        widget->Visible.SetFirstBool(visible);
    }
}

// `pattern` with its first "%s" replaced by `value` (no other conversions).
String FormatKey(const String& pattern, const char* value) {
    std::string text(pattern.CStr());
    const size_t at = text.find("%s");
    if (at != std::string::npos) {
        text.replace(at, 2, value ? value : "");
    }
    return String(text.c_str());
}

} // namespace

Prompt::Prompt() {
    Name.SetFirstString("NewPrompt");
    DeclareString("okButton", okButton, 1, this, "");
    DeclareString("okSoloButton", okSoloButton, 1, this, "");
    DeclareString("cancelButton", cancelButton, 1, this, "");
    DeclareString("promptText", promptText, 1, this, "");
    DeclareString("dontAskAgainCheckbox", dontAskAgainCheckbox, 1, this, "");
    DeclareString("frameWindow", frameWindow, 1, this, "");
    DeclareInt("windowHeightFromCheckbox", windowHeightFromCheckbox, 2, this, 5);
}

bool Prompt::Message(int32_t message, Object* sender) {
    if (message == message::kButtonClicked && sender) {
        const bool ok = sender == okButton.Get() || sender == okSoloButton.Get();
        if (ok || sender == cancelButton.Get()) {
            answer = ok;
            GetUI().PopScreen(kPromptTransition);
            return true;
        }
    }
    return Screen::Message(message, sender);
}

void Prompt::SetPromptId(const char* identifier) {
    if (TextBox* text = promptText.Get()) {
        text->SetText(identifier);
    }
}

void Prompt::LayoutButtons(const char* okLabel, const char* cancelLabel, bool withCheckBox) {
    // The check box and the frame are optional; the buttons and the text are not.
    if (!okButton.Get() || !okSoloButton.Get() || !cancelButton.Get() || !promptText.Get()) {
        return;
    }
    Show(okSoloButton.Get(), false);
    Show(okButton.Get(), false);
    Show(cancelButton.Get(), false);
    const bool solo = !okLabel || !*okLabel || !cancelLabel || !*cancelLabel;
    if (solo) {
        Show(okSoloButton.Get(), true);
        okSoloButton.Get()->Text.SetFirstString(okLabel ? okLabel : "");
    } else {
        Show(okButton.Get(), true);
        Show(cancelButton.Get(), true);
        okButton.Get()->Text.SetFirstString(okLabel);
        cancelButton.Get()->Text.SetFirstString(cancelLabel);
    }
    CheckBox* box = dontAskAgainCheckbox.Get();
    Show(box, withCheckBox);
    if (Window* frame = frameWindow.Get()) {
        frame->area.SetInt(1, windowHeightFromCheckbox.GetInt(withCheckBox && box ? 1 : 0));
    }
}

HelpPrompt::HelpPrompt() {
    Name.SetFirstString("NewHelpPrompt");
    // A help page needs no check box nor frame of its own.
    for (Var* optional : {static_cast<Var*>(&dontAskAgainCheckbox), static_cast<Var*>(&frameWindow),
                          &windowHeightFromCheckbox}) {
        optional->flags &= ~Var::kSaved;
    }
    DeclareString("headerText", headerText, 1, this, "");
}

void HelpPrompt::SetPromptId(const char* topic) {
    if (HasUnresolvedSavedLinks()) {
        return;
    }
    promptText.Get()->SetText(FormatKey(GlobalText(kTextSetting, kTextDefault), topic).CStr());
    headerText.Get()->SetText(FormatKey(GlobalText(kHeaderSetting, kHeaderDefault), topic).CStr());
}

bool ShowPrompt(const char* identifier, const char* okLabel, const char* cancelLabel, bool withCheckBox) {
    UI& ui = GetUI();
    Screen* screen = ui.FindScreen("Prompt");
    // A prompt already up keeps its own question: the new one gets a fresh scene.
    if (screen && ui.IsOnStack(screen)) {
        screen = ui.LoadScreen("Prompt");
    }
    if (!screen || !screen->IsA("Prompt") || !ui.PushScreen(screen, kPromptTransition)) {
        return false;
    }
    auto* prompt = static_cast<Prompt*>(screen);
    prompt->Resolve(); // its links name children of its freshly loaded scene
    prompt->SetPromptId(identifier);
    prompt->LayoutButtons(okLabel, cancelLabel, withCheckBox);
    return true;
}

bool PromptAnswer(const char* identifier, const Screen* screen) {
    if (!screen || !screen->IsA("Prompt")) {
        return false;
    }
    const auto* prompt = static_cast<const Prompt*>(screen);
    return prompt->answer && PromptId(prompt) == (identifier ? identifier : "");
}

bool DontAskAgainChecked(const Prompt* prompt) {
    const CheckBox* box = prompt ? prompt->dontAskAgainCheckbox.Get() : nullptr;
    return box && box->IsVisible(true) && box->checked.FirstBool();
}

String PromptId(const Prompt* prompt) {
    const TextBox* text = prompt ? prompt->promptText.Get() : nullptr;
    return text ? text->Text.FirstString() : String();
}
