// Movies: pictures paced by the sound clock (a clock the test turns by hand,
// and a real device), exact frame rates, restarting, bad files, and the
// Y'CbCr conversion against known colours.
#include "video/Video.h"
#include "audio/SourceQueue.h"
#include "core/FrameTime.h"
#include "io/MemoryFile.h"
#include "support/AudioCapture.h"
#include "support/EngineSandbox.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"
#include "video/VideoViewer.h"
#include "video/YuvConversion.h"

#include "MovieWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <deque>

using namespace testing_support;

namespace {

// A sound output whose play position the test sets: nothing plays until
// Advance is called, so the movie's clock stands still in between.
class ManualClockQueue : public PcmQueue {
public:
    struct Shared {
        std::deque<size_t> buffers; ///< bytes of each queued buffer, oldest first
        int64_t playedInFront = 0;  ///< bytes played of the oldest buffer
        int bytesPerSecond = 0;
        bool open = false;
        int plays = 0;
    };
    explicit ManualClockQueue(Shared& shared) : s(shared) {}

    bool Open(int) override { return s.open = true; }
    void Close() override { s.open = false, Reset(); }
    void Reset() override { s.buffers.clear(), s.playedInFront = 0; }
    bool Queue(int, const void*, size_t bytes, int channels, int rate) override {
        s.bytesPerSecond = channels * rate * 2;
        s.buffers.push_back(bytes);
        return true;
    }
    int UnqueueProcessed() override {
        int done = 0;
        while (!s.buffers.empty() && s.playedInFront >= int64_t(s.buffers.front())) {
            s.playedInFront -= int64_t(s.buffers.front());
            s.buffers.pop_front();
            ++done;
        }
        return done;
    }
    int QueuedCount() override { return int(s.buffers.size()); }
    int64_t ByteOffset() override { return s.buffers.empty() ? 0 : s.playedInFront; }
    bool IsStopped() override { return s.buffers.empty(); }
    void Play() override { ++s.plays; }

private:
    Shared& s;
};

// Plays `seconds` more of what is queued (never more than is queued).
void Advance(ManualClockQueue::Shared& s, double seconds) {
    int64_t bytes = std::llround(seconds * s.bytesPerSecond);
    int64_t queued = -s.playedInFront;
    for (size_t b : s.buffers) {
        queued += int64_t(b);
    }
    s.playedInFront += std::min(bytes, queued);
}

struct TestMovie {
    int32_t width = 40;
    int32_t height = 24; // not whole 16-pixel blocks: the picture is cut from a larger frame
    uint32_t fpsNumerator = 25;
    uint32_t fpsDenominator = 1;
    int32_t frames = 25;
    double soundSeconds = 1.0;
    bool noisyTopRows = false; ///< makes the pictures, not the headers, most of the file
};

// Frame i is a flat grey of GreyOf(i), so the picture on show names its frame.
int GreyOf(int32_t frame) {
    return 16 + (frame * 3) % 225;
}

std::string MakeMovie(const TestMovie& movie) {
    MovieSettings settings{.width = movie.width,
                           .height = movie.height,
                           .fpsNumerator = movie.fpsNumerator,
                           .fpsDenominator = movie.fpsDenominator,
                           .quality = 63,
                           .keyframeInterval = 8};
    Pcm sound;
    sound.rate = 11025;
    sound.samples.resize(size_t(movie.soundSeconds * sound.rate));
    for (size_t i = 0; i < sound.samples.size(); ++i) {
        sound.samples[i] = 0.3f * float(std::sin(double(i) * 0.2));
    }
    std::string error;
    std::string bytes = EncodeMovie(
        settings, movie.frames,
        [&](int32_t frame, std::vector<uint8_t>& bgra) {
            uint32_t noise = uint32_t(frame) * 2654435761u + 1;
            for (size_t i = 0; i < bgra.size(); ++i) {
                noise = noise * 1103515245u + 12345u;
                const bool noisy = movie.noisyTopRows && i < size_t(movie.width) * 4 * 4;
                bgra[i] = noisy ? uint8_t(noise >> 24) : uint8_t(GreyOf(frame));
            }
        },
        sound, error);
    EXPECT_FALSE(bytes.empty()) << error;
    return bytes;
}

// The frame whose grey the picture shows (centre pixel), -1 when none is close.
int ShownFrame(const Video& video, int32_t frames) {
    const uint8_t* pixel =
        video.Pixels() + (size_t(video.Height() / 2) * video.Width() + video.Width() / 2) * 4;
    int best = -1;
    int bestDistance = 2;
    for (int32_t i = 0; i < frames; ++i) {
        const int distance = std::abs(int(pixel[1]) - GreyOf(i));
        if (distance < bestDistance) {
            best = i, bestDistance = distance;
        }
    }
    return best;
}

// Frames take 0.04 s of frame time, which moves the pictures only once the
// sound has run out.
class ManualClockVideo : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override { frameTime = 0.04f; }

    std::unique_ptr<Video> Open(const std::string& bytes) {
        data = bytes;
        auto video =
            std::make_unique<Video>(std::make_unique<MemoryFile>(data.data(), data.size()), "test.ogv");
        video->SetOutput(std::make_unique<ManualClockQueue>(clock));
        return video;
    }
    ManualClockQueue::Shared clock;
    std::string data;
};

} // namespace

TEST_F(ManualClockVideo, PicturesFollowTheSoundClockAndHoldWhenItStalls) {
    const TestMovie movie;
    auto video = Open(MakeMovie(movie));
    ASSERT_TRUE(video->Start());
    EXPECT_TRUE(clock.open);
    EXPECT_EQ(video->Width(), movie.width);
    EXPECT_EQ(video->Height(), movie.height);
    video->Update();
    ASSERT_EQ(video->FramesShown(), 1);
    EXPECT_EQ(ShownFrame(*video, movie.frames), 0);
    for (int32_t frame = 1; frame < 12; ++frame) {
        // Just short of the frame's time nothing changes; at it, it shows.
        Advance(clock, 0.039);
        video->Update();
        EXPECT_EQ(video->FramesShown(), frame);
        Advance(clock, 0.001);
        video->Update();
        EXPECT_EQ(video->FramesShown(), frame + 1);
        EXPECT_EQ(ShownFrame(*video, movie.frames), frame);
    }
    // A stalled sound holds the picture however many frames go by.
    for (int i = 0; i < 50; ++i) {
        video->Update();
    }
    EXPECT_EQ(video->FramesShown(), 12);
    EXPECT_EQ(ShownFrame(*video, movie.frames), 11);
    EXPECT_TRUE(video->IsPlaying());
}

TEST_F(ManualClockVideo, FractionalFrameRateKeepsInStepAndTheMovieEnds) {
    const TestMovie movie{.fpsNumerator = 30000, .fpsDenominator = 1001, .frames = 70, .soundSeconds = 2.5};
    auto video = Open(MakeMovie(movie));
    ASSERT_TRUE(video->Start());
    EXPECT_EQ(video->RateNumerator(), 30000u);
    EXPECT_EQ(video->RateDenominator(), 1001u);
    for (int step = 0; step < 10; ++step) {
        Advance(clock, 0.1);
        video->Update();
    }
    // Frames 0 … 29 fall at or before one second (frame 30 is at 1.001 s).
    EXPECT_EQ(video->FramesShown(), 30);
    EXPECT_EQ(ShownFrame(*video, movie.frames), 29);
    // Played out, the movie stops by itself and keeps its last picture.
    for (int step = 0; step < 40 && video->IsPlaying(); ++step) {
        Advance(clock, 0.1);
        video->Update();
    }
    EXPECT_FALSE(video->IsPlaying());
    EXPECT_FALSE(clock.open);
    EXPECT_EQ(video->FramesShown(), movie.frames);
    EXPECT_EQ(ShownFrame(*video, movie.frames), movie.frames - 1);
}

TEST_F(ManualClockVideo, PicturesOutlastingTheSoundFollowTheFrameTime) {
    const TestMovie movie{.frames = 25, .soundSeconds = 0.3};
    auto video = Open(MakeMovie(movie));
    ASSERT_TRUE(video->Start());
    for (int step = 0; step < 100 && video->IsPlaying(); ++step) {
        Advance(clock, 0.04);
        video->Update();
    }
    EXPECT_FALSE(video->IsPlaying());
    EXPECT_EQ(video->FramesShown(), movie.frames);
}

TEST_F(ManualClockVideo, WithoutASoundDeviceTheFrameTimePacesThePictures) {
    ASSERT_FALSE(Audio::IsStarted()) << "this test needs a process without sound";
    const TestMovie movie{.frames = 25, .soundSeconds = 1.0};
    data = MakeMovie(movie);
    Video video(std::make_unique<MemoryFile>(data.data(), data.size()), "silent.ogv");
    ASSERT_TRUE(video.Start());
    // Half a second of frames at 0.04 s: about half the pictures, in step.
    for (int step = 0; step < 12; ++step) {
        video.Update();
    }
    EXPECT_GE(video.FramesShown(), 11);
    EXPECT_LE(video.FramesShown(), 13);
    EXPECT_EQ(ShownFrame(video, movie.frames), video.FramesShown() - 1);
    for (int step = 0; step < 100 && video.IsPlaying(); ++step) {
        video.Update();
    }
    EXPECT_FALSE(video.IsPlaying()) << "the movie ends in its own time";
    EXPECT_EQ(video.FramesShown(), movie.frames);
}

TEST_F(ManualClockVideo, BadFilesDoNotStart) {
    LogCapture log;
    // Sound alone.
    auto soundOnly = Open(EncodeTone({.rate = 11025, .seconds = 0.5}));
    EXPECT_FALSE(soundOnly->Start());
    EXPECT_TRUE(log.Contains("test.ogv: it has no Theora picture stream"));
    EXPECT_FALSE(clock.open);
    // A picture wider than the largest texture.
    auto wide = Open(MakeMovie({.width = 1040, .height = 16, .frames = 1, .soundSeconds = 0.1}));
    EXPECT_FALSE(wide->Start());
    EXPECT_TRUE(log.Contains("does not fit a texture"));
    EXPECT_EQ(wide->Width(), 0);
    // Cut inside the headers, and garbage.
    const std::string good = MakeMovie({});
    auto cut = Open(good.substr(0, 3000));
    EXPECT_FALSE(cut->Start());
    auto garbage = Open(std::string(5000, 'x'));
    EXPECT_FALSE(garbage->Start());
    EXPECT_FALSE(cut->IsPlaying() || garbage->IsPlaying());
}

TEST_F(ManualClockVideo, DamagedMoviesEndWithoutHanging) {
    const std::string good = MakeMovie({.frames = 50, .soundSeconds = 2.0, .noisyTopRows = true});
    std::string spliced = good;
    spliced.insert(good.size() / 2, std::string(3000, '\x55'));
    std::string flipped = good;
    for (size_t i = good.size() / 3; i < good.size(); i += 97) {
        flipped[i] = char(flipped[i] ^ 0x5a);
    }
    LogCapture log;
    int started = 0;
    for (const std::string& bytes : {good.substr(0, good.size() / 2), spliced, flipped}) {
        auto video = Open(bytes);
        if (!video->Start()) {
            continue;
        }
        ++started;
        for (int step = 0; step < 200 && video->IsPlaying(); ++step) {
            Advance(clock, 0.05);
            video->Update();
        }
        EXPECT_FALSE(video->IsPlaying());
        EXPECT_GT(video->FramesShown(), 0);
    }
    EXPECT_EQ(started, 3); // the damage lies behind the headers
}

TEST_F(ManualClockVideo, StopAndStartPlaysFromTheBeginning) {
    const TestMovie movie;
    auto video = Open(MakeMovie(movie));
    ASSERT_TRUE(video->Start());
    for (int step = 0; step < 9; ++step) {
        Advance(clock, 0.04);
        video->Update();
    }
    ASSERT_EQ(ShownFrame(*video, movie.frames), 9);
    video->Stop();
    EXPECT_FALSE(video->IsPlaying());
    EXPECT_FALSE(clock.open);
    EXPECT_EQ(ShownFrame(*video, movie.frames), 9); // the last picture stays
    ASSERT_TRUE(video->Start());
    video->Update();
    EXPECT_EQ(video->FramesShown(), 1);
    EXPECT_EQ(ShownFrame(*video, movie.frames), 0);
}

TEST(YuvConversion, KnownColours) {
    // Two 2×2 chroma blocks: the left one neutral, the right one saturated red.
    const uint8_t luma[2][4] = {{16, 235, 81, 81}, {255, 128, 81, 81}};
    const uint8_t cb[2] = {128, 90};
    const uint8_t cr[2] = {128, 240};
    YuvPicture picture;
    picture.y = {&luma[0][0], 4};
    picture.cb = {cb, 2};
    picture.cr = {cr, 2};
    uint8_t out[2][4][4];
    std::memset(out, 0x77, sizeof(out));
    ConvertYuvToBgr(picture, 0, 0, 4, 2, &out[0][0][0], 16);
    auto bgr = [&](int row, int column) {
        return std::vector<int>{out[row][column][0], out[row][column][1], out[row][column][2]};
    };
    EXPECT_EQ(bgr(0, 0), std::vector<int>({0, 0, 0}));       // black
    EXPECT_EQ(bgr(0, 1), std::vector<int>({254, 254, 254})); // studio white
    EXPECT_EQ(bgr(1, 0), std::vector<int>({255, 255, 255})); // above white clamps
    EXPECT_EQ(bgr(1, 1), std::vector<int>({130, 130, 130}));
    EXPECT_EQ(bgr(0, 2), std::vector<int>({0, 0, 254})); // red
    EXPECT_EQ(bgr(1, 3), std::vector<int>({0, 0, 254}));
    EXPECT_EQ(out[0][0][3], 0x77); // alpha untouched
    // A rectangle away from the origin takes the chroma of its own blocks.
    uint8_t one[4] = {0, 0, 0, 0};
    ConvertYuvToBgr(picture, 3, 1, 1, 1, one, 4);
    EXPECT_EQ(std::vector<int>(one, one + 3), std::vector<int>({0, 0, 254}));
}

namespace {
using VideoDeviceTest = AudioDeviceTest;
}

TEST_F(VideoDeviceTest, ViewerPlaysThroughTheDeviceAndRestartsFromTheBeginning) {
    const TestMovie movie{.frames = 50, .soundSeconds = 2.0};
    const std::string path = TestTempDir() + "/movie.ogv";
    ASSERT_TRUE(WriteFile(path, MakeMovie(movie)));
    VideoViewer viewer;
    viewer.SpritePath.SetFirstString(path.c_str());
    viewer.Resolve();
    ASSERT_NE(viewer.GetVideo(), nullptr);
    ASSERT_TRUE(viewer.Play());
    const Audio::SourceId borrowed = Audio::PoolSources().front();
    PumpFor(0.5, [&] { viewer.Update(); });
    const int64_t shown = viewer.GetVideo()->FramesShown();
    // Half a second of sound at 25 frames per second, give or take the
    // device's start and the pump's steps.
    EXPECT_GE(shown, 8);
    EXPECT_LE(shown, 16);
    EXPECT_NEAR(ShownFrame(*viewer.GetVideo(), movie.frames), shown - 1, 1);
    viewer.Stop();
    EXPECT_FALSE(viewer.IsPlaying());
    EXPECT_EQ(Audio::FindFreeSource(), borrowed); // the source went back
    ASSERT_TRUE(viewer.Play());
    viewer.Update();
    EXPECT_LE(viewer.GetVideo()->FramesShown(), 1);
    PumpFor(0.1, [&] { viewer.Update(); });
    EXPECT_LE(ShownFrame(*viewer.GetVideo(), movie.frames), 3);
    // The device heard the movie's sine (0.2 radians a sample at 11025 Hz).
    Audio::Shutdown();
    Capture capture;
    ASSERT_TRUE(ReadCapture(capture));
    const std::vector<Span> bursts = FindBursts(capture.left, capture.rate, 0.05f);
    ASSERT_FALSE(bursts.empty());
    // The first 0.3 s of the first run, before the restart's jump; the tone
    // is measured by its strength, which a late buffer on a busy machine
    // weakens but does not move.
    Span heard = Trimmed(bursts.front(), capture.rate, 0.05);
    heard.end = std::min(heard.end, heard.begin + size_t(0.3 * capture.rate));
    const double pitch = 0.2 * 11025 / (2 * M_PI);
    EXPECT_GT(ToneAmplitude(capture.left, heard, capture.rate, pitch), 0.1);
    EXPECT_LT(ToneAmplitude(capture.left, heard, capture.rate, pitch * 1.5), 0.05);
}

TEST_F(VideoDeviceTest, ABorrowedSourceWaitingForSoundIsNotFree) {
    SourceQueue queue;
    ASSERT_TRUE(queue.Open(32));
    const Audio::SourceId borrowed = queue.Source();
    // Not playing yet (or run dry), yet not for an effect to take.
    EXPECT_NE(Audio::FindFreeSource(), borrowed);
    queue.Close();
    EXPECT_EQ(Audio::FindFreeSource(), borrowed);
}
