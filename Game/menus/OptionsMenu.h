#pragma once
// OptionsMenu: sound volume, music volume, brightness and full screen.
//
// The sliders act live: the music volume while it is dragged, the sound
// volume (with a sample sound at the new level) and the brightness when
// released. OK keeps the live values in the options and applies the full
// screen box; cancel restores the values the options held, and the box is
// forgotten. The credits button opens the credits. Music plays at the
// "MusicVolume" option's level, so a drag moves that option live and cancel
// puts back the value it had when the menu opened.
//
// Properties (links into its own scene, in this order): okButton,
// cancelButton, creditsButton (buttons), fullscreenButton (check box),
// soundVolumeSlider, musicVolumeSlider, brightnessSlider (sliders).

#include "core/Link.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Screen.h"
#include "ui/Slider.h"

class OptionsMenu : public Screen {
    ENGINE_CLASS(OptionsMenu, Screen)

public:
    OptionsMenu();

    bool OnPush() override;
    bool Message(int32_t message, Object* sender) override;
    /// A prompt closing over the menu closes the menu as well.
    bool OnReturn(Screen* popped) override;

    Link<Button> okButton;
    Link<Button> cancelButton;
    Link<Button> creditsButton;
    Link<CheckBox> fullscreenButton;
    Link<Slider> soundVolumeSlider;
    Link<Slider> musicVolumeSlider;
    Link<Slider> brightnessSlider;

private:
    bool Inert();
    void SetBrightness(float value);
    void Keep();
    void RollBack();
    float storedMusicVolume = 1.0f;
};
