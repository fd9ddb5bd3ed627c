#include "menus/CreditsScreen.h"

#include "anim/SceneAnims.h"
#include "core/Log.h"
#include "io/StringTable.h"
#include "menus/ContinueGame.h"
#include "menus/MenuSupport.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <string>

namespace {

constexpr int32_t kTransition = 1;
constexpr const char* kIdleControl = "credits_idle";
constexpr float kFirstPageDelay = 2.0f;
constexpr float kClickDelay = 0.01f;
constexpr float kPageGap = 0.5f;

} // namespace

CreditsScreen::CreditsScreen() {
    Name.SetFirstString("NewCreditsScreen");
    DeclareNamedString("currentText", currentText, 1, this);
    DeclareNamedString("okButton", okButton, 1, this);
    DeclareString("idleAnim", idleAnim, 1, this, "");
}

bool CreditsScreen::Inert() {
    return !LinksResolved(GetName(), {&currentText, &okButton, &idleAnim});
}

bool CreditsScreen::PageText(int32_t index, String& out) {
    const String pattern = GlobalText("Path_CreditsLine", "credits.line_%d");
    const String key = FillPlaceholder(pattern.CStr(), std::to_string(index + 1).c_str());
    return LookupString(key.CStr(), out);
}

bool CreditsScreen::OnPush() {
    GetUI().ShowCursor(true);
    if (Inert()) {
        return true;
    }
    LogLine("CreditsScreen: the credits roll");
    TextBox* text = currentText.Get();
    text->Visible.SetFirstBool(false);
    text->Color.SetFloat(3, 0.0f);
    PlayAnim(scene, idleAnim.Get(), kIdleControl, true);
    PostMessage(kShowPage, kFirstPageDelay);
    PlayTitleMusicIfSilent();
    return true;
}

bool CreditsScreen::MouseButton(int32_t button, bool pressed) {
    if (Screen::MouseButton(button, pressed)) {
        return true;
    }
    if (button == 0 && pressed && !Inert()) {
        PostMessage(kNextPage, kClickDelay);
        return true;
    }
    return false;
}

bool CreditsScreen::Message(int32_t message, Object* sender) {
    if (message == kButtonClicked && sender && sender == okButton.Get()) {
        UI& ui = GetUI();
        if (ui.Stack().size() > 1) {
            ui.PopScreen(kTransition);
        } else if (!RegisteredCurrentPlayer() || !ContinueGame()) {
            ui.SetScreen("IntroScreen", kTransition);
        }
        return true;
    }
    if ((message == kShowPage || message == kNextPage) && !Inert()) {
        TextBox* text = currentText.Get();
        if (message == kShowPage) {
            String pageText;
            PageText(page, pageText); // a missing page leaves the text empty
            text->UseLookup.SetFirstBool(false);
            text->SetText(pageText.CStr());
            FadeIn(this, text, kFadeSeconds);
            PostMessage(kNextPage, kPageSeconds);
            return true;
        }
        String unused;
        page = PageText(page + 1, unused) ? page + 1 : 0;
        FadeOut(text, this, kFadeSeconds, 0);
        PostMessage(kShowPage, kPageGap);
        return true;
    }
    return Screen::Message(message, sender);
}
