#pragma once
// VideoViewer: the Bitmap that shows a movie in a scene.
//
// "SpritePath" names the movie file (through the file layer, so the pack
// archive is searched first). When it changes the old movie is destroyed and
// the new one opened, stopped, at the next resolve or Play; Play starts it, and each Update shows its due
// pictures. The viewer owns its Video. An empty or unopenable path leaves
// the viewer without a movie: Play does nothing and IsPlaying is false.

#include "core/String.h"
#include "render/Bitmap.h"

class Video;

class VideoViewer : public Bitmap {
    ENGINE_CLASS(VideoViewer, Bitmap)

public:
    VideoViewer();
    ~VideoViewer() override;

    bool Resolve() override;
    void Update() override;

    /// Starts the movie from its beginning unless it is playing; false when
    /// there is none or it cannot start.
    bool Play();
    /// Stops the movie when it plays.
    void Stop();
    bool IsPlaying() const;
    /// The movie, null without one.
    Video* GetVideo() const { return video; }

private:
    /// Opens the movie of "SpritePath" unless it is the one already open.
    void OpenWhenPathChanged();

    Video* video = nullptr;
    String openedPath;
    bool opened = false;
};
