#include "menus/OptionsMenu.h"

#include "audio/Audio.h"
#include "audio/Sound.h"
#include "core/EngineState.h"
#include "core/Log.h"
#include "data/Options.h"
#include "menus/MenuSupport.h"
#include "platform/Platform.h"
#include "play/LevelScenes.h"
#include "ui/Prompt.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

namespace {

constexpr int32_t kTransition = 1;

Options* StoredOptions() {
    return ObjectCast<Options>(options);
}

} // namespace

OptionsMenu::OptionsMenu() {
    Name.SetFirstString("NewOptionsMenu");
    DeclareNamedString("okButton", okButton, 1, this);
    DeclareNamedString("cancelButton", cancelButton, 1, this);
    DeclareNamedString("creditsButton", creditsButton, 1, this);
    DeclareNamedString("fullscreenButton", fullscreenButton, 1, this);
    DeclareNamedString("soundVolumeSlider", soundVolumeSlider, 1, this);
    DeclareNamedString("musicVolumeSlider", musicVolumeSlider, 1, this);
    DeclareNamedString("brightnessSlider", brightnessSlider, 1, this);
}

bool OptionsMenu::Inert() {
    return !StoredOptions() ||
           !LinksResolved(GetName(), {&okButton, &cancelButton, &creditsButton, &fullscreenButton,
                                      &soundVolumeSlider, &musicVolumeSlider, &brightnessSlider});
}

bool OptionsMenu::OnPush() {
    if (Inert()) {
        return false;
    }
    const Options& stored = *StoredOptions();
    fullscreenButton.Get()->SetChecked(stored.Fullscreen.FirstBool());
    musicVolumeSlider.Get()->Value.SetFirstFloat(stored.MusicVolume.FirstFloat());
    soundVolumeSlider.Get()->Value.SetFirstFloat(Audio::GetSoundVolume());
    brightnessSlider.Get()->Value.SetFirstFloat(GetUI().services.PictureBrightness());
    // What cancel goes back to: the music plays at the option's level, which a drag moves.
    storedMusicVolume = stored.MusicVolume.FirstFloat();
    return true;
}

void OptionsMenu::SetBrightness(float value) {
    ScreenServices& services = GetUI().services;
    services.SetPictureBrightness(value);
    GetLevelScenes().ApplyBrightness();
    // The backdrop was taken at the stored brightness: it only needs the difference.
    services.SetBackgroundBrightness(value - StoredOptions()->Brightness.FirstFloat());
}

void OptionsMenu::Keep() {
    Options& stored = *StoredOptions();
    const bool fullscreen = fullscreenButton.Get()->checked.FirstBool();
    stored.Fullscreen.SetFirstBool(fullscreen);
    stored.SoundVolume.SetFirstFloat(Audio::GetSoundVolume());
    stored.MusicVolume.SetFirstFloat(musicVolumeSlider.Get()->Value.FirstFloat());
    stored.Brightness.SetFirstFloat(GetUI().services.PictureBrightness());
    if (GetPlatform().WindowIsFullscreen() != fullscreen && !GetPlatform().SetWindowFullscreen(fullscreen)) {
        LogFormat("OptionsMenu: the window could not be made %s", fullscreen ? "full screen" : "a window");
    }
}

void OptionsMenu::RollBack() {
    Options& stored = *StoredOptions();
    Audio::SetSoundVolume(stored.SoundVolume.FirstFloat());
    stored.MusicVolume.SetFirstFloat(storedMusicVolume);
    ScreenServices& services = GetUI().services;
    if (stored.Brightness.FirstFloat() != services.PictureBrightness()) {
        services.SetPictureBrightness(stored.Brightness.FirstFloat());
        GetLevelScenes().ApplyBrightness();
        services.SetBackgroundBrightness(0.0f);
    }
}

bool OptionsMenu::Message(int32_t message, Object* sender) {
    if (!sender || Inert()) {
        return Screen::Message(message, sender);
    }
    if (message == kSliderMoved && sender == musicVolumeSlider.Get()) {
        StoredOptions()->MusicVolume.SetFirstFloat(musicVolumeSlider.Get()->Value.FirstFloat());
    } else if (message == kSliderReleased && sender == musicVolumeSlider.Get()) {
        StoredOptions()->MusicVolume.SetFirstFloat(musicVolumeSlider.Get()->Value.FirstFloat());
    } else if (message == kSliderReleased && sender == soundVolumeSlider.Get()) {
        Audio::SetSoundVolume(soundVolumeSlider.Get()->Value.FirstFloat());
        PlaySettingSound("Sound_SampleDing", "audio/ding.ogg");
    } else if (message == kSliderReleased && sender == brightnessSlider.Get()) {
        SetBrightness(brightnessSlider.Get()->Value.FirstFloat());
    } else if (message == kButtonClicked && sender == okButton.Get()) {
        Keep();
        GetUI().PopScreen(kTransition);
        return true;
    } else if (message == kButtonClicked && sender == cancelButton.Get()) {
        RollBack();
        GetUI().PopScreen(kTransition);
        return true;
    } else if (message == kButtonClicked && sender == creditsButton.Get()) {
        if (!GetUI().PushScreenByName("CreditsScreen", kTransition)) {
            LogLine("OptionsMenu: the credits could not be opened");
        }
        return true;
    }
    return Screen::Message(message, sender);
}

bool OptionsMenu::OnReturn(Screen* popped) {
    if (popped && popped->IsA("Prompt")) {
        GetUI().PopScreen(kTransition);
    }
    return true;
}
