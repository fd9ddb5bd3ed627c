#include "menus/IntroScreen.h"

#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "anim/SceneAnims.h"
#include "core/Log.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "menus/ProfilePrompt.h"
#include "ui/UI.h"

namespace {

constexpr const char* kPanelControl = "panel";
/// Asks a new player's name (posted by whoever decides it is time).
constexpr int32_t kAskName = message::kFirstScreenPrivate + 30;

bool NeedsName() {
    const State* player = CurrentPlayer();
    return !player || !IsRegistered(*player);
}

} // namespace

IntroScreen::IntroScreen() {
    Name.SetFirstString("NewIntroScreen");
    DeclareNamedString("playButton", playButton, 1, this);
    DeclareString("showAnim", showAnim, 1, this, "");
    DeclareString("hideAnim", hideAnim, 1, this, "");
    DeclareNamedString("slideBox", slideBox, 1, this);
}

bool IntroScreen::Inert() {
    for (Var* link :
         {static_cast<Var*>(&playButton), static_cast<Var*>(&showAnim), static_cast<Var*>(&hideAnim)}) {
        link->Resolve();
        if (link->HasUnresolved()) {
            return true;
        }
    }
    return false;
}

bool IntroScreen::OnPush() {
    if (Inert()) {
        LogFormat("IntroScreen: a link of %s does not resolve; the screen stays still", GetName());
        return true;
    }
    panelShown = PlayAnim(scene, showAnim.Get(0), kPanelControl, false);
    return true;
}

bool IntroScreen::Message(int32_t message, Object* sender) {
    if (message == kAskName) {
        if (NeedsName() && GetUI().TopScreen() == this && GetUI().PushScreenByName("ProfilePrompt", 1)) {
            LogLine("IntroScreen: a new player is asked for a name");
        }
        return true;
    }
    if (message == kButtonClicked && !Inert() && sender == playButton.Get(0)) {
        Anim* next = panelShown ? hideAnim.Get(0) : showAnim.Get(0);
        if (PlayAnim(scene, next, kPanelControl, false)) {
            panelShown = !panelShown;
            // Unchecked: straight to the end; the next update shows the end pose and stops.
            AnimControl* control = FindAnimControl(scene, kPanelControl);
            if (control && !slideBox.Get(0)->checked.FirstBool()) {
                control->time = next->Duration();
                control->Apply(control->time);
            }
        }
        return true;
    }
    return Screen::Message(message, sender);
}

bool IntroScreen::OnReturn(Screen* popped) {
    if (!popped || !popped->IsA("ProfilePrompt")) {
        return true;
    }
    auto* prompt = static_cast<ProfilePrompt*>(popped);
    if (!prompt->accepted) {
        return true;
    }
    const String name = prompt->EnteredName();
    const int32_t id = CreatePlayer(name.CStr());
    if (id < 0 || !SelectPlayer(id) || !SaveStateFile()) {
        LogFormat("IntroScreen: the profile '%s' could not be created and saved", name.CStr());
        return true;
    }
    LogFormat("IntroScreen: the new player '%s' is the current profile", name.CStr());
    return true;
}
