#include "support/AudioCapture.h"

#include "audio/Audio.h"
#include "audio/Sound.h"
#include "io/Resources.h"
#include "support/TestEnvironment.h"
#include "support/ToneEncoder.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <unistd.h>

namespace testing_support {
namespace {

std::string& CaptureDir() {
    static std::string dir;
    return dir;
}

void RemoveCaptureDir() {
    std::error_code ignored;
    std::filesystem::remove_all(CaptureDir(), ignored);
}

// Written once: OpenAL Soft has read it by the first device it opens.
bool ConfigureWaveBackend() {
    if (!CaptureDir().empty()) {
        return true;
    }
    CaptureDir() = "/tmp/dunhaven-audio-" + std::to_string(getpid());
    std::filesystem::create_directories(CaptureDir());
    std::atexit(RemoveCaptureDir);
    const std::string config = CaptureDir() + "/alsoft.conf";
    std::ofstream file(config);
    file << "[general]\ndrivers = wave\nchannels = stereo\nsample-type = int16\nfrequency = "
         << kCaptureRate << "\nhrtf = false\noutput-limiter = false\n[wave]\nfile = " << CaptureDir()
         << "/out.wav\n";
    if (!file) {
        return false;
    }
    setenv("ALSOFT_CONF", config.c_str(), 1);
    unsetenv("ALSOFT_DRIVERS");
    return true;
}

uint32_t Le32(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, 4);
    return value;
}

uint16_t Le16(const std::string& bytes, size_t at) {
    uint16_t value = 0;
    std::memcpy(&value, bytes.data() + at, 2);
    return value;
}

} // namespace

bool UseCaptureDevice() {
    return ConfigureWaveBackend();
}

bool StartCapturedAudio() {
    return ConfigureWaveBackend() && Audio::Startup();
}

void AudioDeviceTest::SetUp() {
    ASSERT_TRUE(StartCapturedAudio());
    InstallAudioResourceLoaders();
    Resources::lookupEnabled = true;
    Resources::storeEnabled = true;
}

BaseSound* AudioDeviceTest::Effect(const char* path, double seconds) {
    WriteFile(path, EncodeTone({.rate = 22050, .seconds = seconds, .frequency = 1320.0}));
    Sound* sound = Resources::FindSound(path);
    return sound ? sound->Implementation() : nullptr;
}

bool ReadCapture(Capture& out) {
    return ReadCapture(CaptureDir() + "/out.wav", out);
}

bool ReadCapture(const std::string& path, Capture& out) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        return false;
    }
    int bits = 0;
    bool isFloat = false;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        size_t size = Le32(bytes, at + 4);
        const size_t body = at + 8;
        if (id == "fmt " && body + 16 <= bytes.size()) {
            uint16_t tag = Le16(bytes, body);
            out.channels = Le16(bytes, body + 2);
            out.rate = int(Le32(bytes, body + 4));
            bits = Le16(bytes, body + 14);
            if (tag == 0xFFFE && body + 26 <= bytes.size()) {
                tag = Le16(bytes, body + 24); // the sub-format's first two bytes
            }
            isFloat = tag == 3;
        } else if (id == "data") {
            // A file the device did not finish states no size: take the rest.
            if (size == 0 || size == 0xFFFFFFFFu || body + size > bytes.size()) {
                size = bytes.size() - body;
            }
            const size_t frameBytes = size_t(out.channels) * size_t(bits / 8);
            if (frameBytes == 0) {
                return false;
            }
            out.left.clear();
            for (size_t frame = body; frame + frameBytes <= body + size; frame += frameBytes) {
                if (isFloat && bits == 32) {
                    float value = 0;
                    std::memcpy(&value, bytes.data() + frame, 4);
                    out.left.push_back(value);
                } else if (!isFloat && bits == 16) {
                    out.left.push_back(float(int16_t(Le16(bytes, frame))) / 32768.0f);
                } else {
                    return false;
                }
            }
            return true;
        }
        at = body + size + (size & 1);
    }
    return false;
}

void PumpFor(double seconds, const std::function<void()>& perFrame) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (perFrame) {
            perFrame();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
}

std::vector<Span> FindBursts(const std::vector<float>& samples, int rate, float threshold, double minGapSeconds) {
    const size_t window = size_t(rate / 100);
    const size_t minGap = size_t(minGapSeconds * rate);
    std::vector<Span> bursts;
    for (size_t start = 0; window > 0 && start + window <= samples.size(); start += window) {
        float peak = 0.0f;
        for (size_t i = start; i < start + window; ++i) {
            peak = std::max(peak, std::fabs(samples[i]));
        }
        if (peak <= threshold) {
            continue;
        }
        if (!bursts.empty() && start - bursts.back().end < minGap) {
            bursts.back().end = start + window;
        } else {
            bursts.push_back({start, start + window});
        }
    }
    return bursts;
}

Span Trimmed(Span span, int rate, double trimSeconds) {
    const size_t trim = size_t(trimSeconds * rate);
    if (span.Length() <= 2 * trim) {
        return {span.begin, span.begin};
    }
    return {span.begin + trim, span.end - trim};
}

double ToneAmplitude(const std::vector<float>& samples, Span span, int rate, double frequency) {
    const size_t count = span.Length();
    if (count == 0) {
        return 0.0;
    }
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / rate);
    double previous = 0.0;
    double beforePrevious = 0.0;
    for (size_t i = span.begin; i < span.end; ++i) {
        const double current = samples[i] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    const double power = previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
    return 2.0 * std::sqrt(std::max(0.0, power)) / double(count);
}

double ZeroCrossingFrequency(const std::vector<float>& samples, Span span, int rate) {
    size_t first = 0;
    size_t last = 0;
    size_t crossings = 0;
    for (size_t i = span.begin + 1; i < span.end; ++i) {
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            if (crossings == 0) {
                first = i;
            }
            last = i;
            ++crossings;
        }
    }
    if (crossings < 2) {
        return 0.0;
    }
    return double(crossings - 1) * rate / double(last - first);
}

} // namespace testing_support
