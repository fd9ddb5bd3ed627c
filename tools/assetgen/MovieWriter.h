#pragma once
// MovieWriter: encodes pictures and sound as an Ogg file holding one Theora
// stream and one Vorbis stream, their pages interleaved in time order.
//
// Pictures are given as 8-bit blue, green, red, alpha rows (top first; alpha
// ignored) and turned into 4:2:0 Y'CbCr with the BT.601 studio range. The
// frame is the picture rounded up to whole 16-pixel blocks, edge pixels
// repeated into the margin. Serial numbers are fixed and no comment carries
// a date, so the same input always gives the same bytes.

#include "Synth.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct MovieSettings {
    int32_t width = 320;
    int32_t height = 240;
    uint32_t fpsNumerator = 15;
    uint32_t fpsDenominator = 1;
    int32_t quality = 40;          ///< Theora quality, 0 … 63
    int32_t keyframeInterval = 32; ///< most frames between key frames
    int32_t rate = 44100;          ///< sound sample rate
    int32_t channels = 1;
    float soundQuality = 0.1f; ///< Vorbis VBR quality, -0.1 … 1
};

class MovieWriter {
public:
    MovieWriter();
    ~MovieWriter();
    MovieWriter(const MovieWriter&) = delete;
    MovieWriter& operator=(const MovieWriter&) = delete;

    /// Sets up both encoders and writes the headers; false with `error` set.
    bool Open(const MovieSettings& settings, std::string& error);
    /// Adds one picture of width × height × 4 bytes.
    bool AddFrame(const uint8_t* bgra);
    /// Adds interleaved samples in -1 … 1 (channels of the settings).
    bool AddSound(const float* samples, int64_t frames);
    /// Ends both streams; the whole file.
    std::string Finish();

private:
    struct State;
    std::unique_ptr<State> state;
};

/// The whole movie of `frames` pictures (frame i from `picture(i, pixels)`)
/// with `sound` (its rate and channels replace the settings'); empty with
/// `error` set on failure.
std::string EncodeMovie(MovieSettings settings, int32_t frames,
                        const std::function<void(int32_t frame, std::vector<uint8_t>& bgra)>& picture,
                        const Pcm& sound, std::string& error);
