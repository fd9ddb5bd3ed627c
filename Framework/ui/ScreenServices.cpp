#include "ui/ScreenServices.h"

#include "core/Log.h"
#include "io/File.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "platform/GameWindow.h"
#include "render/Font.h"
#include "render/Screenshot.h"
#include "ui/ScreenGameHooks.h"
#include "ui/UiSettings.h"

namespace {} // namespace

float FontCaption::TextWidth(const char* text) {
    return font ? float(font->TextWidth(text)) : 0.0f;
}

float FontCaption::HeightValue() {
    return font ? float(font->Height()) : 0.0f;
}

void FontCaption::DrawText(const char* text) {
    if (font) {
        font->Draw(text);
    }
}

String SavedBackgroundPath() {
    const String folder = GetScreenGameHooks().PlayerFolder();
    if (folder.Empty()) {
        return String();
    }
    return folder + GlobalText(setting::kBackgroundFilename);
}

ScreenServices::ScreenServices() {
    music.SetOps(SoundMusicOps());
    music.SetPoster([this](int32_t code, void* data, float delay) { Post(code, data, delay); });
    progress.SetDrawer([this](float fraction) {
        // A game without a window (servers, tests) loads without a picture.
        if (GameWindowExists()) {
            DrawLoadingPicture(fraction, background.HasPicture());
        }
    });
}

ScreenServices::~ScreenServices() {
    Shutdown();
}

bool ScreenServices::Startup() {
    const bool transitionMade = transition.Allocate();
    const bool backgroundMade = background.Allocate();
    const bool pausedMade = paused.Allocate();
    if (!transitionMade || !backgroundMade || !pausedMade) {
        LogLine("Screen services: the snapshot images could not all be made; transitions and "
                "backgrounds may stay empty");
        return false;
    }
    return true;
}

void ScreenServices::Shutdown() {
    music.Reset();
    progress.Begin("", true);
    transition.Release();
    background.Release();
    paused.Release();
    texts.Clear();
}

void ScreenServices::SetPoster(Poster value) {
    poster = std::move(value);
}

void ScreenServices::Post(int32_t code, void* data, float delay) {
    if (poster) {
        poster(code, data, delay);
    }
}

void ScreenServices::StartTransition(int32_t type, float duration, int32_t completionMessage) {
    transition.Start(type, duration, completionMessage);
}

int32_t ScreenServices::DrawTransition(float elapsed) {
    return transition.Draw(elapsed);
}

bool ScreenServices::CaptureBackground(bool blur) {
    return background.Capture(blur);
}

void ScreenServices::DrawBackground() {
    background.Draw();
}

bool ScreenServices::SaveBackground() {
    const String path = SavedBackgroundPath();
    if (path.Empty()) {
        LogLine("Background not saved: there is no current player folder");
        return false;
    }
    return background.Save(path.CStr());
}

bool ScreenServices::LoadSavedBackground() {
    if (GetScreenGameHooks().IsGameFinished()) {
        const String picture = GlobalText(setting::kGameCompleteBackground);
        return background.Load(picture.CStr());
    }
    const String path = SavedBackgroundPath();
    if (path.Empty() || !LooseExists(path.CStr())) {
        return false;
    }
    return background.Load(path.CStr());
}

void ScreenServices::SetBackgroundBrightness(float value) {
    background.SetBrightness(value);
}

void ScreenServices::DrawPausedView(bool firstFrame) {
    if (firstFrame) {
        paused.Capture();
    }
    const String key = GlobalText(setting::kGamePausedText);
    if (!LookupString(key.CStr(), caption.text)) {
        caption.text = "";
    }
    headerFont.font = Resources::FindFont(GlobalText(setting::kHeaderFont.name, "").CStr());
    dialogueFont.font = Resources::FindFont(GlobalText(setting::kDialogueFont.name, "").CStr());
    caption.measure = headerFont.font ? &headerFont : nullptr;
    caption.draw = dialogueFont.font ? &dialogueFont : nullptr;
    paused.Draw(caption);
}

void ScreenServices::PlayMusic(Sound* sound, float fade) {
    music.PlayMusic(sound, fade);
}

void ScreenServices::PlayMusicByName(const char* path) {
    PlayMusic(Resources::FindMusic(path), MusicChannel::kDefaultFade);
}

void ScreenServices::StopMusic(float fade) {
    music.StopMusic(fade);
}

void ScreenServices::UpdateMusic(float elapsed) {
    music.Update(elapsed, OptionFloat("MusicVolume", 1.0f));
}

bool ScreenServices::TakeScreenshot(const char* name, float delay) {
    if (delay > 0.0f) {
        Post(kScreenshotMessage, name && name[0] ? texts.Keep(name) : nullptr, delay);
        return true;
    }
    return SaveScreenshot(name);
}

void ScreenServices::BeginLoadingProgress(const char* directory, bool reset) {
    progress.Begin(directory, reset);
}

void ScreenServices::DrawLoadingPicture(float fraction, bool withBackground) {
    ::DrawLoadingPicture(fraction, withBackground ? &background : nullptr);
}

bool ScreenServices::OnDeferredMessage(int32_t code, void* data) {
    if (music.OnDeferredMessage(code, data)) {
        return true;
    }
    if (code != kScreenshotMessage) {
        return false;
    }
    String name;
    if (data && !texts.Take(data, name)) {
        LogLine("Delayed screenshot dropped: its name was not one the screen stack sent");
        return true;
    }
    TakeScreenshot(name.CStr(), 0.0f);
    return true;
}
