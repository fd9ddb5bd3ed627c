#include "video/Video.h"

#include "audio/SourceQueue.h"
#include "core/FrameTime.h"
#include "core/Log.h"
#include "core/Redraw.h"
#include "io/File.h"
#include "render/RenderContext.h"
#include "video/MovieSoundQueue.h"
#include "video/OggStream.h"
#include "video/YuvConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr int kHeaderPackets = 3;
// Pages read in one update at most, so that a file of pages nobody wants
// cannot hold a frame for long.
constexpr int kMaxPagesPerUpdate = 256;
// A stream whose packets pile up this far while the other one waits for
// data stops the reading until it has been used up.
constexpr size_t kMaxBufferedBytes = size_t(8) << 20;
// Frame rates outside this range are refused as broken headers.
constexpr double kMinFrameRate = 0.1;
constexpr double kMaxFrameRate = 240.0;

} // namespace

struct Video::Player {
    struct QueuedPacket {
        std::vector<unsigned char> bytes;
        ogg_packet header{};
    };

    ogg_sync_state sync{};
    std::unique_ptr<VideoStream> video;
    std::unique_ptr<AudioStream> audio;
    /// Picture packets waiting for their time, a ring of `capacity` slots.
    std::vector<QueuedPacket> packets;
    size_t packetHead = 0;
    size_t packetCount = 0;
    size_t capacity = 1;
    bool inputEnded = false;
    /// The sound wanted data that the reading could not give this update.
    bool soundStarved = false;
    /// Frame time since the sound ran out, when pictures are left over.
    double afterSound = 0.0;
    int32_t left = 0;
    int32_t top = 0;
    bool reportedBadPacket = false;

    Player() { ogg_sync_init(&sync); }
    ~Player() {
        // The streams go first: the audio stream hands its source back.
        audio.reset();
        video.reset();
        ogg_sync_clear(&sync);
    }

    /// The next page of the file; false at its end. Garbage between pages
    /// is skipped by the sync layer.
    bool NextPage(BaseFile& file, ogg_page& page) {
        for (;;) {
            const int result = ogg_sync_pageout(&sync, &page);
            if (result == 1) {
                return true;
            }
            if (result < 0) {
                continue;
            }
            char* buffer = ogg_sync_buffer(&sync, long(Video::kReadBlockBytes));
            if (!buffer) {
                return false;
            }
            const size_t read = file.ReadItems(buffer, 1, Video::kReadBlockBytes);
            if (read == 0) {
                return false;
            }
            ogg_sync_wrote(&sync, long(read));
        }
    }

    void PushPacket(const ogg_packet& packet) {
        QueuedPacket& slot = packets[(packetHead + packetCount) % capacity];
        slot.bytes.assign(packet.packet, packet.packet + std::max<long>(0, packet.bytes));
        slot.header = packet;
        slot.header.packet = slot.bytes.data();
        ++packetCount;
    }

    QueuedPacket& FrontPacket() { return packets[packetHead]; }
    void PopPacket() {
        packetHead = (packetHead + 1) % capacity;
        --packetCount;
    }

    bool SoundOver() const {
        return audio->Queued() == 0 && audio->StagedBytes() == 0 &&
               (inputEnded || audio->Ended() || soundStarved);
    }
};

Video::Video(std::unique_ptr<BaseFile> movieFile, const char* movieName)
    : file(std::move(movieFile)), name(movieName ? movieName : "") {
    SetName(name.CStr());
}

Video::~Video() {
    Stop();
}

void Video::SetOutput(std::unique_ptr<PcmQueue> queue) {
    if (!IsPlaying()) {
        output = std::move(queue);
        defaultOutput = nullptr;
    }
}

bool Video::IsPlaying() const {
    return player && player->video->HasDecoder() && player->audio->HasDecoder();
}

int64_t Video::FramesShown() const {
    return framesShown;
}

uint32_t Video::RateNumerator() const {
    return rateNumerator;
}

uint32_t Video::RateDenominator() const {
    return rateDenominator;
}

bool Video::Start() {
    Stop();
    if (!file || !file->IsOpen()) {
        LogFormat("Video %s: no file to play", name.CStr());
        return false;
    }
    if (!output) {
        auto sound = std::make_unique<MovieSoundQueue>();
        defaultOutput = sound.get();
        output = std::move(sound);
    }
    player = std::make_unique<Player>();
    player->video = std::make_unique<VideoStream>();
    player->audio = std::make_unique<AudioStream>(*output);
    if (!ReadHeaders() || !CheckFormat()) {
        Stop();
        return false;
    }
    if (!player->video->Init()) {
        LogFormat("Video %s: the picture decoder cannot be made", name.CStr());
        Stop();
        return false;
    }
    if (!player->audio->Init()) {
        LogFormat("Video %s: no sound source is free to play it", name.CStr());
        Stop();
        return false;
    }
    const th_info& info = player->video->Info();
    if (!Create(int32_t(info.pic_width), int32_t(info.pic_height))) {
        LogFormat("Video %s: no memory for its %ux%u picture", name.CStr(), info.pic_width, info.pic_height);
        Stop();
        return false;
    }
    // Opaque black until the first picture: the converter never writes alpha.
    uint8_t* pixels = Pixels();
    const size_t count = size_t(Width()) * size_t(Height());
    for (size_t i = 0; i < count; ++i) {
        std::memcpy(pixels + i * 4, "\0\0\0\xff", 4);
    }
    MarkPixelsChanged();
    player->left = int32_t(info.pic_x);
    player->top = int32_t(info.pic_y);
    rateNumerator = info.fps_numerator;
    rateDenominator = info.fps_denominator;
    const double fps = double(rateNumerator) / double(rateDenominator);
    player->capacity = size_t(std::clamp(std::ceil(fps), 1.0, kMaxFrameRate));
    player->packets.resize(player->capacity);
    framesShown = 0;
    output->Reset();
    Update();
    if (player) {
        output->Play();
    }
    return player != nullptr;
}

// Every stream begins with a page of its own carrying its first header; the
// first stream whose first packet is a Theora (then: a Vorbis) header is
// taken, every other stream is ignored. The remaining header packets follow
// in the next pages.
bool Video::ReadHeaders() {
    VideoStream& video = *player->video;
    AudioStream& audio = *player->audio;
    ogg_page page;
    ogg_packet packet;
    while (video.HeaderCount() < kHeaderPackets || audio.HeaderCount() < kHeaderPackets) {
        if (!player->NextPage(*file, page)) {
            LogFormat("Video %s: %s", name.CStr(),
                      !video.IsAttached()   ? "it has no Theora picture stream"
                      : !audio.IsAttached() ? "it has no Vorbis sound stream"
                                            : "the file ends inside its headers");
            return false;
        }
        const int serial = ogg_page_serialno(&page);
        if (ogg_page_bos(&page)) {
            if (!video.IsAttached()) {
                video.Attach(serial);
                if (video.PageIn(page) && video.PacketOut(packet) && video.HeaderIn(packet) == 1) {
                    continue;
                }
                video.Detach();
            }
            if (!audio.IsAttached()) {
                audio.Attach(serial);
                if (audio.PageIn(page) && audio.PacketOut(packet) && audio.HeaderIn(packet)) {
                    continue;
                }
                audio.Detach();
            }
            continue;
        }
        if (!video.IsAttached() || !audio.IsAttached()) {
            LogFormat("Video %s: it has no %s stream", name.CStr(),
                      !video.IsAttached() ? "Theora picture" : "Vorbis sound");
            return false;
        }
        video.PageIn(page);
        audio.PageIn(page);
        while (video.HeaderCount() < kHeaderPackets && video.PacketOut(packet)) {
            if (video.HeaderIn(packet) != 1) {
                LogFormat("Video %s: its picture headers are broken", name.CStr());
                return false;
            }
        }
        while (audio.HeaderCount() < kHeaderPackets && audio.PacketOut(packet)) {
            if (!audio.HeaderIn(packet)) {
                LogFormat("Video %s: its sound headers are broken", name.CStr());
                return false;
            }
        }
    }
    return true;
}

bool Video::CheckFormat() {
    const th_info& info = player->video->Info();
    const int32_t contextLimit = MaxTextureSize();
    const uint32_t limit = uint32_t(contextLimit > 0 ? std::min(Sprite::kMaxTextureSide, contextLimit)
                                                     : Sprite::kMaxTextureSide);
    if (info.pic_width == 0 || info.pic_height == 0 || info.pic_width > limit || info.pic_height > limit ||
        info.frame_width > limit + 256 || info.frame_height > limit + 256 ||
        info.pic_x + info.pic_width > info.frame_width || info.pic_y + info.pic_height > info.frame_height) {
        LogFormat("Video %s: its picture of %ux%u does not fit a texture of at most %ux%u", name.CStr(),
                  info.pic_width, info.pic_height, limit, limit);
        return false;
    }
    if (info.pixel_fmt != TH_PF_420 && info.pixel_fmt != TH_PF_422 && info.pixel_fmt != TH_PF_444) {
        LogFormat("Video %s: its picture format is unknown", name.CStr());
        return false;
    }
    const double fps = info.fps_denominator == 0 ? 0.0 : double(info.fps_numerator) / info.fps_denominator;
    if (!(fps >= kMinFrameRate && fps <= kMaxFrameRate)) {
        LogFormat("Video %s: its frame rate %u/%u is out of range", name.CStr(), info.fps_numerator,
                  info.fps_denominator);
        return false;
    }
    const AudioStream& audio = *player->audio;
    if (audio.Channels() < 1 || audio.Channels() > 2 || audio.Rate() < 1 || audio.Rate() > 192000) {
        LogFormat("Video %s: its sound of %d channels at %d Hz cannot be played", name.CStr(),
                  audio.Channels(), audio.Rate());
        return false;
    }
    return true;
}

void Video::Update() {
    if (!IsPlaying()) {
        return;
    }
    AudioStream& audio = *player->audio;
    if (defaultOutput) {
        defaultOutput->Advance(std::max(0.0f, frameTime));
    }
    audio.CountPlayed();
    if (player->SoundOver()) {
        player->afterSound += std::max(0.0f, frameTime);
    }
    ShowDueFrames(audio.Clock() + player->afterSound);
    if (!player) {
        return;
    }
    Demultiplex();
    if (Finished()) {
        Stop();
        return;
    }
    if (audio.Queued() > 0 && output->IsStopped()) {
        output->Play();
    }
}

void Video::ShowDueFrames(double clock) {
    YuvPicture latest;
    bool newPicture = false;
    while (player->packetCount > 0 && double(framesShown) * rateDenominator / rateNumerator <= clock) {
        Player::QueuedPacket& queued = player->FrontPacket();
        switch (player->video->Decode(queued.header, latest)) {
        case VideoStream::Frame::kNew:
            newPicture = true;
            break;
        case VideoStream::Frame::kSame:
            break;
        case VideoStream::Frame::kSkipped:
            // The picture holds until a packet decodes again.
            if (!player->reportedBadPacket) {
                LogFormat("Video %s: a damaged picture is skipped", name.CStr());
                player->reportedBadPacket = true;
            }
            break;
        case VideoStream::Frame::kBroken:
            LogFormat("Video %s ends: its decoded picture does not match its headers", name.CStr());
            Stop();
            return;
        }
        ++framesShown;
        player->PopPacket();
    }
    if (!newPicture) {
        return;
    }
    // Of several due pictures only the last is converted: the others would
    // never be seen.
    ConvertYuvToBgr(latest, player->left, player->top, Width(), Height(), Pixels(), Width() * 4);
    if (Slot() >= 0) {
        Upload(true);
    } else {
        MarkPixelsChanged();
    }
    RequestRedraw();
}

void Video::Demultiplex() {
    Player& p = *player;
    VideoStream& video = *p.video;
    AudioStream& audio = *p.audio;
    ogg_packet packet;
    p.soundStarved = false;
    for (int pages = 0;;) {
        // Sound first: it paces everything.
        bool samplesLeft = audio.StageDecoded();
        while (!samplesLeft && audio.HasRoom() && audio.PacketOut(packet)) {
            audio.Decode(packet);
            samplesLeft = audio.StageDecoded();
        }
        while (p.packetCount < p.capacity && video.PacketOut(packet)) {
            p.PushPacket(packet);
        }
        const bool wantSound = audio.HasRoom() && !samplesLeft && !audio.Ended();
        const bool wantPictures = p.packetCount < p.capacity && !video.Ended();
        if ((!wantSound && !wantPictures) || p.inputEnded) {
            break;
        }
        if ((wantSound && video.BufferedBytes() > kMaxBufferedBytes) ||
            (wantPictures && audio.BufferedBytes() > kMaxBufferedBytes) || pages >= kMaxPagesPerUpdate) {
            p.soundStarved = wantSound;
            break;
        }
        ogg_page page;
        if (!p.NextPage(*file, page)) {
            p.inputEnded = true;
            break;
        }
        ++pages;
        if (!video.PageIn(page)) {
            audio.PageIn(page);
        }
    }
    // The last samples of the sound are queued even when they fill no
    // staging area.
    if (p.inputEnded || audio.Ended() || p.soundStarved) {
        if (!audio.StageDecoded()) {
            audio.FlushStaging();
        }
    }
}

bool Video::Finished() {
    const Player& p = *player;
    // A piece of a packet left when the file ends can never complete.
    const bool picturesDone = p.packetCount == 0 && (p.inputEnded || p.video->Ended());
    return picturesDone && p.SoundOver();
}

void Video::Stop() {
    if (player && output) {
        output->Reset();
    }
    player.reset();
    if (file) {
        file->SeekFrom(0, true);
    }
}

namespace Resources {

std::unique_ptr<Video> OpenVideo(const char* path) {
    File movie;
    if (!path || !movie.Open(path, kFileRead | kFileBinary)) {
        LogFormat("Video %s: the file cannot be opened", path ? path : "(null)");
        return nullptr;
    }
    return std::make_unique<Video>(movie.ReleaseImplementation(), path);
}

} // namespace Resources
