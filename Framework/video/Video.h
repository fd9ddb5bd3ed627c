#pragma once
// Video: a movie (one Theora picture stream and one Vorbis sound stream in an
// Ogg file) played into the pixels of a Sprite.
//
// The file is read through the engine's file layer, so movies play from the
// pack archive as well as from loose files; the Video owns it. While playing,
// the sound goes to a pool source through a PcmQueue, and the pictures follow
// the sound: frame n is shown once n / fps seconds of sound have played, so a
// machine too slow for the pictures shows them late but never drops sound,
// and a sound that stalls holds the picture. The frame rate is the exact
// ratio the file gives (30000/1001 stays in step).
//
// Once the sound stream has ended and everything queued has played, the
// remaining pictures follow the frame time instead. The movie ends when the
// file, the queued pictures and the queued sound are all used up.
//
// A movie file is untrusted: a file without both streams, broken headers,
// a picture larger than the largest texture, a sound of more than two
// channels or a picture that cannot be decoded make Start fail (logged with
// the file's name) or end the movie; garbage between pages is skipped.
// The sprite keeps the last picture after Stop. Main thread only.

#include "core/String.h"
#include "render/Sprite.h"

#include <cstdint>
#include <memory>

class BaseFile;
class MovieSoundQueue;
class PcmQueue;

class Video : public Sprite {
    ENGINE_CLASS(Video, Sprite)

public:
    /// Bytes read from the file at a time.
    static constexpr size_t kReadBlockBytes = 16384;

    /// Plays `file` (owned; positioned anywhere). `name` names it in log lines.
    Video(std::unique_ptr<BaseFile> file, const char* name);
    ~Video() override;

    /// Sound goes to `queue` instead of a pool source (a test's clock, or a
    /// silent sink). Only while stopped.
    void SetOutput(std::unique_ptr<PcmQueue> queue);

    /// Reads the headers from the start of the file, sizes the picture and
    /// starts the sound. False (stopped, logged) on any failure.
    bool Start();
    /// Shows the pictures that are due and reads on; called once per frame.
    void Update();
    /// Stops, returns the sound source and rewinds the file; harmless when
    /// stopped.
    void Stop();
    /// True from a successful Start until the movie ends or is stopped.
    bool IsPlaying() const;

    /// Pictures shown since Start (duplicate frames count too).
    int64_t FramesShown() const;
    /// The frame rate as numerator and denominator; 0/0 when never started.
    uint32_t RateNumerator() const;
    uint32_t RateDenominator() const;

private:
    struct Player;
    bool ReadHeaders();
    bool CheckFormat();
    void Demultiplex();
    void ShowDueFrames(double clock);
    bool Finished();

    std::unique_ptr<BaseFile> file;
    std::unique_ptr<PcmQueue> output;
    /// The default output, when in use: it needs the frame time in silence.
    MovieSoundQueue* defaultOutput = nullptr;
    std::unique_ptr<Player> player;
    String name;
    int64_t framesShown = 0;
    uint32_t rateNumerator = 0;
    uint32_t rateDenominator = 0;
};

namespace Resources {
/// Opens the movie file `path` (from the pack archive or loose) as a new,
/// stopped Video owned by the caller; null when the file cannot be opened.
std::unique_ptr<Video> OpenVideo(const char* path);
} // namespace Resources
