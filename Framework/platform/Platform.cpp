#include "platform/Platform.h"

#include "platform/CloseSignals.h"
#include "platform/GameWindow.h"
#include "platform/SystemPlatform.h"

namespace {
Platform* installedPlatform = nullptr;

Platform& SystemInstance() {
    static SystemPlatform system;
    return system;
}
} // namespace

Platform& GetPlatform() {
    return installedPlatform ? *installedPlatform : SystemInstance();
}

Platform* SetPlatform(Platform* platform) {
    Platform* previous = installedPlatform;
    installedPlatform = platform;
    return previous;
}

bool Platform::WindowHasFocus() {
    return GameWindowHasFocus();
}

bool Platform::CursorInClient() {
    return IsCursorInClient();
}

bool Platform::SetWindowFullscreen(bool on) {
    return SetFullscreen(on);
}

bool Platform::WindowIsFullscreen() {
    return IsFullscreen();
}

bool Platform::CloseRequestPending() {
    return CloseSignalPending() || WindowCloseRequestPending();
}
