#pragma once
// WelcomePanel: the demo's welcome page. Its panel slides in when the
// screen is pushed; the play button slides it away and, clicked again,
// brings it back; with the slide box unchecked it jumps there at once. The slides are key-frame animations
// named by the scene file, played on the screen's scene under the control name "panel", so a slide started
// half-way through the other takes over its channels.
//
// Properties (scene-file keys, in this order):
//   playButton  the button whose click slides the panel (element link)
//   showAnim    animation that brings the panel in (anim path)
//   hideAnim    animation that takes it away (anim path)
//   slideBox    check box: checked, the panel slides; unchecked, it jumps
// With an unresolved link the screen stays inert.

#include "anim/Anim.h"
#include "core/Link.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Screen.h"

class WelcomePanel : public Screen {
    ENGINE_CLASS(WelcomePanel, Screen)

public:
    WelcomePanel();

    bool OnPush() override;
    /// A click (201) of the play button toggles the panel; everything else
    /// goes to the base screen.
    bool Message(int32_t message, Object* sender) override;

    bool PanelShown() const { return panelShown; }

    Link<Button> playButton;
    Link<Anim> showAnim;
    Link<Anim> hideAnim;
    Link<CheckBox> slideBox;

private:
    bool Inert();
    bool panelShown = false;
};
