#include "menus/MovieScreen.h"

#include "anim/SceneAnims.h"
#include "core/EngineState.h"
#include "core/Log.h"
#include "ui/ConsoleCommands.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"
#include "video/Video.h"

namespace {

constexpr int32_t kEscapeKey = 27;
constexpr const char* kMovieControl = "movie";

} // namespace

MovieScreen::MovieScreen() {
    Name.SetFirstString("NewMovieScreen");
    DeclareNamedString("video", video, 1, this);
    DeclareString("anim", anim, 1, this, "");
}

VideoViewer* MovieScreen::Viewer() {
    video.Resolve();
    return video.Get(0);
}

bool MovieScreen::OnPush() {
    playing = false;
    finished = false;
    PostMessage(kStartMessage, 0.0f);
    return true;
}

void MovieScreen::Update() {
    Screen::Update();
    if (!playing) {
        return;
    }
    VideoViewer* viewer = Viewer();
    Video* movie = viewer ? viewer->GetVideo() : nullptr;
    if (!movie || !movie->IsPlaying()) {
        PostMessage(kFinishMessage, 0.0f);
        playing = false;
    }
}

bool MovieScreen::Key(int32_t key, bool pressed, bool repeat) {
    if (key == kEscapeKey && !pressed) {
        if (VideoViewer* viewer = Viewer()) {
            viewer->Stop();
        }
        PostMessage(kFinishMessage, 0.0f);
        playing = false;
    }
    return Screen::Key(key, pressed, repeat);
}

bool MovieScreen::Message(int32_t message, Object* sender) {
    if (message == kStartMessage) {
        if (VideoViewer* viewer = Viewer()) {
            if (!viewer->Play()) {
                LogFormat("MovieScreen %s: its movie does not start", GetName());
            }
            // Set even when the start failed: the next update closes the screen.
            playing = true;
        }
        anim.Resolve();
        float length = 0.0f;
        if (Anim* animation = anim.Get(0);
            animation && PlayAnim(scene, animation, kMovieControl, false, &length)) {
            PostMessage(kFinishMessage, length);
        }
        return true;
    }
    if (message == kFinishMessage) {
        if (VideoViewer* viewer = Viewer(); viewer && viewer->IsPlaying()) {
            viewer->Stop();
        }
        playing = false;
        // The movie, the animation and Escape may each ask; the first closes.
        UI& ui = GetUI();
        if (finished || ui.TopScreen() != this) {
            return true;
        }
        finished = true;
        ui.PopScreen(1);
        if (Screen* top = ui.TopScreen()) {
            top->OnMovieFinished();
        }
        return true;
    }
    return Screen::Message(message, sender);
}

bool PlayMovie(const char* name) {
    name = name ? name : "";
    const String path = FormatLevelPath(GlobalText("VideoPath", "video/%s.scene").CStr(), name);
    UI& ui = GetUI();
    Screen* screen = ui.LoadScreenFile(path.CStr());
    if (!screen) {
        LogFormat("PlayMovie: no movie %s", name);
        return false;
    }
    if (!ui.PushScreen(screen, 0)) {
        ui.ReleaseLater(screen->scene ? static_cast<Element*>(screen->scene) : screen);
        return false;
    }
    RestartFrameClock();
    LogFormat("PlayMovie: %s plays", name);
    return true;
}
