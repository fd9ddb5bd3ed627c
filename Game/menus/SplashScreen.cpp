#include "menus/SplashScreen.h"

#include "anim/SceneAnims.h"
#include "menus/ContinueGame.h"
#include "menus/MenuSupport.h"
#include "ui/UI.h"

namespace {
constexpr int32_t kTransition = 1;
constexpr const char* kSplashControl = "splash";
} // namespace

SplashScreen::SplashScreen() {
    Name.SetFirstString("NewSplashScreen");
    DeclareString("splashAnim", splashAnim, 1, this, "");
}

bool SplashScreen::OnPush() {
    if (!LinksResolved(GetName(), {&splashAnim})) {
        // Without its animation nothing would ever end the splash.
        PostMessage(kEndSplash, 0.0f);
        return true;
    }
    float length = 0.0f;
    PlayAnim(scene, splashAnim.Get(), kSplashControl, false, &length);
    PostMessage(kEndSplash, length);
    return true;
}

bool SplashScreen::MouseButton(int32_t button, bool pressed) {
    if (RegisteredCurrentPlayer() && button == 0 && !pressed) {
        PostMessage(kEndSplash, 0.0f);
        return true;
    }
    return Screen::MouseButton(button, pressed);
}

bool SplashScreen::Key(int32_t key, bool pressed, bool repeat) {
    if (RegisteredCurrentPlayer() && !pressed) {
        PostMessage(kEndSplash, 0.0f);
        return true;
    }
    return Screen::Key(key, pressed, repeat);
}

bool SplashScreen::Message(int32_t message, Object* sender) {
    if (message != kEndSplash) {
        return Screen::Message(message, sender);
    }
    if (ended) {
        return true;
    }
    ended = true;
    if (DeferredStartupLoading()) {
        DeferredStartupLoading()();
    }
    UI& ui = GetUI();
    if (!RegisteredCurrentPlayer() || !ContinueGame()) {
        ui.SetScreen("IntroScreen", kTransition);
    }
    ui.services.StartTransition(kTransition, 1.0f, -1);
    return true;
}
