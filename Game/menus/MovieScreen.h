#pragma once
// MovieScreen: plays a cut-scene movie, a key-frame animation or both, and
// closes itself when they end or when Escape is released.
//
// Each movie is a scene file of its own, named by the setting "VideoPath"
// ("video/%s.scene") with the movie's name; its first Screen is the movie
// screen. Properties (scene-file keys, in this order):
//   video  the VideoViewer that shows the movie (element link)
//   anim   an animation played on the screen's scene (anim path)
// Either may be left out. Pushed, the screen starts both at once (message
// 3000); when the movie stops, the animation's length has passed or Escape
// is released, message 3001 pops it and tells the new top screen through
// OnMovieFinished. A movie that cannot start closes the screen at the next
// update.

#include "anim/Anim.h"
#include "core/Link.h"
#include "ui/Screen.h"
#include "video/VideoViewer.h"

class MovieScreen : public Screen {
    ENGINE_CLASS(MovieScreen, Screen)

public:
    static constexpr int32_t kStartMessage = 3000;
    static constexpr int32_t kFinishMessage = 3001;

    MovieScreen();

    bool OnPush() override;
    void Update() override;
    /// The release of Escape stops the movie and closes the screen; every
    /// key then goes to the screen's scene.
    bool Key(int32_t key, bool pressed, bool repeat) override;
    bool Message(int32_t message, Object* sender) override;

    bool IsPlaying() const { return playing; }

    Link<VideoViewer> video;
    Link<Anim> anim;

private:
    VideoViewer* Viewer();
    bool playing = false;
    bool finished = false;
};

/// Opens the movie `name` on its own screen above the others. False, with a
/// log line, when its scene file does not load, holds no screen or cannot
/// be pushed.
bool PlayMovie(const char* name);
