#pragma once
// Anim: a key-frame animation, loaded once and shared through the resource
// cache (Resources::FindAnim).
//
// An animation is a set of named channels. A channel name names the element,
// the property and the property item it drives: "door.Position.1" drives the
// y item of the "Position" property of the element named door. Each channel
// holds keys (frame, value) sorted by frame, at most one per frame, and an
// interpolation kind. Times are seconds; frame f lies at f / frameRate s.
//
// File format: a key/value file (core/ConfigTable.h) with the keys
//   FrameCount = integer;        (default 24)
//   FrameRate = integer;         frames per second (default 24)
//   PoseReset = true|false;      kept, never consulted by playback
//   Channel = NAME,KEY;          one line per channel
//   KEY = FRAME,VALUE;           one line per key frame of that KEY
//   Interpolation = NAME,KIND;   KIND 0 default, 1 linear, 2 angle, 3 step
// Values are split at commas and line feeds. A later key of the same frame
// replaces an earlier one. The file is untrusted: rates outside 1..1000 and
// negative frame counts fall back to the defaults, and channel and key
// counts are capped; each with one log line naming the file.

#include "core/Object.h"
#include "core/String.h"

#include <cstdint>
#include <vector>

class ConfigTable;

/// Interpolation kinds of a channel (0: the driven property's hint decides).
enum AnimInterpolation : int32_t {
    kInterpolateDefault = 0,
    kInterpolateLinear = 1,
    kInterpolateAngle = 2,
    kInterpolateStep = 3,
};

struct AnimKey {
    int32_t frame = 0;
    float value = 0.0f;
};

struct AnimChannel {
    String name;
    std::vector<AnimKey> keys; ///< ascending frames, each frame once, never empty
    int32_t kind = kInterpolateDefault;
};

class Anim : public Object {
    ENGINE_CLASS(Anim, Object)

public:
    static constexpr int32_t kDefaultFrameCount = 24;
    static constexpr int32_t kDefaultFrameRate = 24;
    static constexpr int32_t kMaxFrameRate = 1000;
    static constexpr size_t kMaxChannels = 8192;
    static constexpr size_t kMaxKeysPerChannel = 65536;

    /// Empties the anim and reads it from a loaded key/value table; `name`
    /// names the file in log lines. Always true: missing keys keep defaults
    /// and bad lines are skipped.
    bool Load(ConfigTable& table, const char* name = nullptr);
    /// Reads the file (archive first, then loose files); false when it
    /// cannot be opened.
    bool LoadFile(const char* path);

    /// The value of the named channel at `t` seconds; false (no value) for
    /// an unknown channel, a time before its first key, or a kind (the
    /// channel's, else `defaultKind`) that is not linear, angle or step.
    bool Evaluate(const char* channelName, float t, int32_t defaultKind, float& out) const;
    /// The same for a channel of this anim.
    bool EvaluateChannel(const AnimChannel& channel, float t, int32_t defaultKind, float& out) const;

    /// The channel of that name, or null.
    const AnimChannel* FindChannel(const char* channelName) const;
    /// Sorted by name (byte order).
    const std::vector<AnimChannel>& Channels() const { return channels; }

    /// frameCount / frameRate seconds.
    float Duration() const { return static_cast<float>(frameCount) / static_cast<float>(frameRate); }

    int32_t frameCount = kDefaultFrameCount;
    int32_t frameRate = kDefaultFrameRate; ///< always 1..kMaxFrameRate
    bool poseReset = true;

private:
    /// Drops keyless channels, sorts keys by frame (the last of a frame
    /// wins) and channels by name.
    void SortAndMergeKeys();

    std::vector<AnimChannel> channels;
};

/// `a` turned towards `b` by the fraction `s` along the shorter way round;
/// both in degrees. From 350 towards 10, half way gives 360.
float InterpolateAngle(float a, float b, float s);
