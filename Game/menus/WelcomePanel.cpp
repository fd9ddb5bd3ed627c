#include "menus/WelcomePanel.h"

#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "anim/SceneAnims.h"
#include "core/Log.h"
#include "ui/UI.h"

namespace {

constexpr const char* kPanelControl = "panel";

} // namespace

WelcomePanel::WelcomePanel() {
    Name.SetFirstString("NewWelcomePanel");
    DeclareNamedString("playButton", playButton, 1, this);
    DeclareString("showAnim", showAnim, 1, this, "");
    DeclareString("hideAnim", hideAnim, 1, this, "");
    DeclareNamedString("slideBox", slideBox, 1, this);
}

bool WelcomePanel::Inert() {
    for (Var* link :
         {static_cast<Var*>(&playButton), static_cast<Var*>(&showAnim), static_cast<Var*>(&hideAnim)}) {
        link->Resolve();
        if (link->HasUnresolved()) {
            return true;
        }
    }
    return false;
}

bool WelcomePanel::OnPush() {
    if (Inert()) {
        LogFormat("WelcomePanel: a link of %s does not resolve; the screen stays still", GetName());
        return true;
    }
    panelShown = PlayAnim(scene, showAnim.Get(0), kPanelControl, false);
    return true;
}

bool WelcomePanel::Message(int32_t message, Object* sender) {
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
