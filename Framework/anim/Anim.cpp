#include "anim/Anim.h"

#include "core/ConfigTable.h"
#include "core/Log.h"
#include "core/Tokenizer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

constexpr const char* kSeparators = ",\n";

const char* NameForLog(const char* name) {
    return name && *name ? name : "(unnamed animation)";
}

// The first two tokens of a line; false when it has fewer.
bool TwoTokens(const String& line, String& first, String& second) {
    Tokenizer tokens(line.CStr(), kSeparators);
    return tokens.NextToken(first) && tokens.NextToken(second);
}

} // namespace

// ---- loading -------------------------------------------------------------------

bool Anim::Load(ConfigTable& table, const char* name) {
    channels.clear();
    frameCount = kDefaultFrameCount;
    frameRate = kDefaultFrameRate;
    poseReset = true;

    // 1. Length, rate and the pose flag.
    int32_t value = 0;
    if (table.GetInt(0, "FrameCount", value)) {
        if (value < 0) {
            LogFormat("Animation %s: FrameCount %d is negative; 0 is used", NameForLog(name), value);
            value = 0;
        }
        frameCount = value;
    }
    if (table.GetInt(0, "FrameRate", value)) {
        if (value < 1 || value > kMaxFrameRate) {
            LogFormat("Animation %s: FrameRate %d is outside 1..%d; %d is used", NameForLog(name), value,
                      kMaxFrameRate, kDefaultFrameRate);
        } else {
            frameRate = value;
        }
    }
    bool flag = true;
    if (table.GetBool(0, "PoseReset", flag)) {
        poseReset = flag;
    }

    // 2. Channels and their keys, in file order.
    std::unordered_map<std::string, size_t> index;
    bool cappedChannels = false;
    bool cappedKeys = false;
    String channelName, keyName, frameText, valueText;
    const int32_t channelLines = table.ValueCount("Channel");
    for (int32_t line = 0; line < channelLines; ++line) {
        const String* text = table.Value(line, "Channel");
        if (!text || !TwoTokens(*text, channelName, keyName)) {
            continue;
        }
        auto found = index.find(std::string(channelName.View()));
        if (found == index.end()) {
            if (channels.size() >= kMaxChannels) {
                cappedChannels = true;
                continue;
            }
            channels.push_back(AnimChannel{channelName, {}, kInterpolateDefault});
            found = index.emplace(std::string(channelName.View()), channels.size() - 1).first;
        }
        AnimChannel& channel = channels[found->second];
        const int32_t keyLines = table.ValueCount(keyName.CStr());
        for (int32_t k = 0; k < keyLines; ++k) {
            const String* keyText = table.Value(k, keyName.CStr());
            if (!keyText) {
                continue;
            }
            Tokenizer tokens(keyText->CStr(), kSeparators);
            AnimKey key;
            if (!tokens.NextInt(key.frame) || !tokens.NextFloat(key.value)) {
                continue;
            }
            if (channel.keys.size() >= kMaxKeysPerChannel) {
                cappedKeys = true;
                break;
            }
            channel.keys.push_back(key);
        }
    }
    if (cappedChannels) {
        LogFormat("Animation %s: more than %zu channels; the rest are ignored", NameForLog(name),
                  kMaxChannels);
    }
    if (cappedKeys) {
        LogFormat("Animation %s: a channel has more than %zu keys; the rest are ignored", NameForLog(name),
                  kMaxKeysPerChannel);
    }
    SortAndMergeKeys();

    // 3. Interpolation kinds of existing channels.
    const int32_t kindLines = table.ValueCount("Interpolation");
    for (int32_t line = 0; line < kindLines; ++line) {
        const String* text = table.Value(line, "Interpolation");
        if (!text) {
            continue;
        }
        Tokenizer tokens(text->CStr(), kSeparators);
        int32_t kind = 0;
        if (!tokens.NextToken(channelName) || !tokens.NextInt(kind)) {
            continue;
        }
        auto it = std::lower_bound(channels.begin(), channels.end(), channelName,
                                   [](const AnimChannel& c, const String& n) { return c.name < n; });
        if (it != channels.end() && it->name == channelName) {
            it->kind = kind;
        }
    }
    return true;
}

void Anim::SortAndMergeKeys() {
    // Channels without any key can never give a value: dropped.
    std::erase_if(channels, [](const AnimChannel& c) { return c.keys.empty(); });
    for (AnimChannel& channel : channels) {
        auto& keys = channel.keys;
        // Stable, so keys of one frame stay in file order and the last wins.
        std::stable_sort(keys.begin(), keys.end(),
                         [](const AnimKey& a, const AnimKey& b) { return a.frame < b.frame; });
        size_t out = 0;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (out > 0 && keys[out - 1].frame == keys[i].frame) {
                keys[out - 1].value = keys[i].value;
            } else {
                keys[out++] = keys[i];
            }
        }
        keys.resize(out);
        keys.shrink_to_fit();
    }
    std::sort(channels.begin(), channels.end(),
              [](const AnimChannel& a, const AnimChannel& b) { return a.name < b.name; });
}

bool Anim::LoadFile(const char* path) {
    ConfigTable table;
    if (!path || !table.Load(path)) {
        return false;
    }
    return Load(table, path);
}

// ---- evaluation ----------------------------------------------------------------

const AnimChannel* Anim::FindChannel(const char* channelName) const {
    if (!channelName) {
        return nullptr;
    }
    const std::string_view wanted(channelName);
    auto it = std::lower_bound(channels.begin(), channels.end(), wanted,
                               [](const AnimChannel& c, std::string_view n) { return c.name.View() < n; });
    return it != channels.end() && it->name.View() == wanted ? &*it : nullptr;
}

bool Anim::Evaluate(const char* channelName, float t, int32_t defaultKind, float& out) const {
    const AnimChannel* channel = FindChannel(channelName);
    return channel && EvaluateChannel(*channel, t, defaultKind, out);
}

float InterpolateAngle(float a, float b, float s) {
    constexpr double kTwoPi = 6.283185307179586;
    constexpr double kRadians = 0.017453294;
    constexpr double kDegrees = 57.295776;
    const double from = std::fmod(a * kRadians, kTwoPi);
    const double to = std::fmod(b * kRadians, kTwoPi);
    double turn = to - from;
    if (turn > kTwoPi / 2) {
        turn -= kTwoPi;
    } else if (turn < -kTwoPi / 2) {
        turn += kTwoPi;
    }
    return static_cast<float>(a + s * turn * kDegrees);
}

bool Anim::EvaluateChannel(const AnimChannel& channel, float t, int32_t defaultKind, float& out) const {
    const auto& keys = channel.keys;
    if (keys.empty()) {
        return false;
    }
    if (keys.size() == 1) {
        out = keys[0].value;
        return true;
    }
    // The frame the time falls in, toward zero; held inside the integers so
    // that no time and rate read from a file can overflow the conversion.
    const double exact = std::trunc(static_cast<double>(t) * frameRate);
    const int32_t frame = std::isnan(exact)    ? 0
                          : exact >= INT32_MAX ? INT32_MAX
                          : exact <= INT32_MIN ? INT32_MIN
                                               : static_cast<int32_t>(exact);
    // The last key at or before that frame.
    auto after = std::upper_bound(keys.begin(), keys.end(), frame,
                                  [](int32_t f, const AnimKey& key) { return f < key.frame; });
    if (after == keys.begin()) {
        return false;
    }
    const AnimKey& a = *(after - 1);
    const AnimKey& b = after == keys.end() ? a : *after;
    const double ta = static_cast<double>(a.frame) / frameRate;
    const double tb = static_cast<double>(b.frame) / frameRate;
    const float s = ta == tb ? 0.0f : static_cast<float>((t - ta) / (tb - ta));

    switch (channel.kind != kInterpolateDefault ? channel.kind : defaultKind) {
    case kInterpolateLinear:
        out = a.value + s * (b.value - a.value);
        return true;
    case kInterpolateAngle:
        out = InterpolateAngle(a.value, b.value, s);
        return true;
    case kInterpolateStep:
        out = a.value;
        return true;
    default:
        return false;
    }
}
