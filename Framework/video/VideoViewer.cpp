#include "video/VideoViewer.h"

#include "video/Video.h"

VideoViewer::VideoViewer() {
    Name.SetFirstString("NewVideoViewer");
}

VideoViewer::~VideoViewer() = default;

bool VideoViewer::Resolve() {
    if (SpritePath.IsChanged()) {
        const String& path = SpritePath.FirstString();
        std::unique_ptr<Video> opened = path.Empty() ? nullptr : Resources::OpenVideo(path.CStr());
        video = opened.get();
        // Adopting marks the sprite as the viewer's own, so the picture
        // cache is never asked for the movie file.
        AdoptSprite(std::move(opened));
    }
    return Bitmap::Resolve();
}

void VideoViewer::Update() {
    Bitmap::Update();
    if (video) {
        video->Update();
    }
}

bool VideoViewer::Play() {
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
