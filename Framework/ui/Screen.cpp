#include "ui/Screen.h"

#include "audio/Sound.h"
#include "core/Scene.h"
#include "core/Widget.h"
#include "ui/UI.h"

#include <algorithm>

namespace {

// The alpha of a colour property: its fourth item.
constexpr int32_t kAlphaIndex = 3;

void SetSenderVisible(Object* sender, bool visible) {
    Element* element = ObjectCast<Element>(sender);
    if (!element) {
        return;
    }
    if (Var* property = element->FindProperty("Visible")) {
        property->SetFirstBool(visible);
    }
}

// Messages 2004 and 2005 carry their sound as the sender; anything else
// there (null, an element) plays nothing.
Sound* SenderSound(Object* sender) {
    Sound* sound = ObjectCast<Sound>(sender);
    return sound && sound->Implementation() ? sound : nullptr;
}

void PlaySenderSound(Object* sender) {
    if (Sound* sound = SenderSound(sender)) {
        sound->Implementation()->Play(false, 1.0f, 1.0f);
    }
}

// The fade of music started by message 2005, in seconds.
constexpr float kMessageMusicFade = 1.0f;

bool IsPendingHide(const DelayedMessage& entry, const Element* widget) {
    return entry.message == kMessageHideSender && entry.sender == widget;
}

} // namespace

Screen::Screen() {
    Name.SetFirstString("NewScreen");
    DeclareBool("fullscreen", fullscreen, 1, this, true);
    DeclareBool("blockUpdate", blockUpdate, 1, this, true);
    DeclareBool("captureBackground", captureBackground, 1, this, false);
}

Screen::~Screen() = default;

bool Screen::Resolve() {
    const bool resolved = Element::Resolve();
    if (scene) {
        scene->messageParent = this;
    }
    return resolved;
}

bool Screen::HoverTest() {
    return scene && scene->HoverTest();
}

bool Screen::MouseButton(int32_t button, bool pressed) {
    return scene && scene->MouseButton(button, pressed);
}

bool Screen::Key(int32_t key, bool pressed, bool repeat) {
    return scene && scene->Key(key, pressed, repeat);
}

bool Screen::Char(int32_t character) {
    return scene && scene->Char(character);
}

bool Screen::Message(int32_t message, Object* sender) {
    switch (message) {
    case kMessageShowSender:
        SetSenderVisible(sender, true);
        return true;
    case kMessageHideSender:
        SetSenderVisible(sender, false);
        return true;
    case kMessagePopScreen:
        GetUI().PopScreen(1);
        return true;
    case kMessagePlaySound:
        PlaySenderSound(sender);
        return true;
    case kMessagePlayMusic:
        GetUI().services.PlayMusic(SenderSound(sender), kMessageMusicFade);
        return true;
    default:
        return Element::Message(message, sender);
    }
}

bool Screen::Draw() {
    return scene && scene->Draw();
}

// ---- fades ---------------------------------------------------------------------

bool IsShownAndNotFading(Screen* screen, Widget* widget) {
    if (!widget || !widget->IsVisible(false)) {
        return false;
    }
    if (!screen) {
        return true;
    }
    const auto& queued = screen->Messages();
    return std::none_of(queued.begin(), queued.end(),
                        [widget](const DelayedMessage& entry) { return IsPendingHide(entry, widget); });
}

void FadeIn(Screen* screen, Widget* widget, float seconds) {
    if (!widget || IsShownAndNotFading(screen, widget)) {
        return;
    }
    // A pending hide means a fade-out is under way: it is cancelled in every
    // case, or the widget shown here would vanish when that fade ended.
    bool wasFadingOut = false;
    if (screen) {
        wasFadingOut = std::erase_if(screen->Messages(), [widget](const DelayedMessage& entry) {
                           return IsPendingHide(entry, widget);
                       }) > 0;
    }
    widget->Visible.SetFirstBool(true);
    Var* color = widget->FindProperty("Color");
    Scene* tweens = screen ? screen->scene : nullptr;
    if (!color || !tweens) {
        return;
    }
    if (seconds <= 0.0f) {
        // The alpha stays where it is; only the fade-out stops moving it.
        if (wasFadingOut) {
            tweens->StopTweens(color);
        }
        return;
    }
    const float alpha = color->GetFloat(kAlphaIndex);
    tweens->StopTweens(color);
    tweens->StartTween(color, kAlphaIndex, alpha, 1.0f, seconds * (1.0f - alpha), kTweenLinear);
}

void FadeOut(Widget* widget, Screen* screen, float seconds, uint8_t flag) {
    if (!IsShownAndNotFading(screen, widget)) {
        return;
    }
    if (seconds <= 0.0f) {
        widget->Visible.SetFirstBool(false);
        return;
    }
    Var* color = widget->FindProperty("Color");
    if (!color || !screen) {
        return;
    }
    const float alpha = color->GetFloat(kAlphaIndex);
    if (screen->scene) {
        screen->scene->StopTweens(color);
        screen->scene->StartTween(color, kAlphaIndex, alpha, 0.0f, seconds * alpha, kTweenLinear);
    }
    screen->QueueMessage(kMessageHideSender, seconds * alpha, flag, widget);
}
