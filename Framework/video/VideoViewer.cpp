#include "video/VideoViewer.h"

#include "video/Video.h"

VideoViewer::VideoViewer() {
    Name.SetFirstString("NewVideoViewer");
}

VideoViewer::~VideoViewer() = default;

void VideoViewer::OpenWhenPathChanged() {
    const String& path = SpritePath.FirstString();
    if (opened && path == openedPath) {
        return;
    }
    opened = true;
    openedPath = path;
    std::unique_ptr<Video> movie = path.Empty() ? nullptr : Resources::OpenVideo(path.CStr());
    video = movie.get();
    // Adopting marks the sprite as the viewer's own, so the picture cache is
    // never asked for the movie file.
    AdoptSprite(std::move(movie));
}

bool VideoViewer::Resolve() {
    OpenWhenPathChanged();
    return Bitmap::Resolve();
}

void VideoViewer::Update() {
    Bitmap::Update();
    if (video) {
        video->Update();
    }
}

bool VideoViewer::Play() {
    // A viewer asked to play before its scene's first resolve opens its
    // movie now.
    OpenWhenPathChanged();
    if (!video) {
        return false;
    }
    return video->IsPlaying() || video->Start();
}

void VideoViewer::Stop() {
    if (video && video->IsPlaying()) {
        video->Stop();
    }
}

bool VideoViewer::IsPlaying() const {
    return video && video->IsPlaying();
}
