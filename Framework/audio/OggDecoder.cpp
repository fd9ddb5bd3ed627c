#include "audio/OggDecoder.h"

#include "core/BaseFile.h"
#include "core/Log.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <climits>

struct OggDecoder::State {
    OggVorbis_File file{};
};

namespace {

// The file callbacks: reads, seeks and tells go to the engine file; there is
// no close callback because the file belongs to the caller.
size_t ReadCallback(void* buffer, size_t size, size_t count, void* source) {
    return static_cast<BaseFile*>(source)->ReadItems(buffer, size, count);
}

int SeekCallback(void* source, ogg_int64_t offset, int whence) {
    if (offset < LONG_MIN || offset > LONG_MAX) {
        return -1;
    }
    return static_cast<BaseFile*>(source)->Seek(static_cast<long>(offset), whence);
}

long TellCallback(void* source) {
    return static_cast<BaseFile*>(source)->Tell();
}

const ov_callbacks kFileCallbacks = {ReadCallback, SeekCallback, nullptr, TellCallback};

// Holes (lost pages) are skipped; this many in a row means the data is garbage.
constexpr int kMaxHolesInARow = 64;
constexpr size_t kReadBytes = 4096;
constexpr size_t kInitialBytes = size_t(1) << 20;
// Vorbis rarely packs audio tighter than this (a pure tone reaches about 70:1).
constexpr size_t kMaxExpansion = 128;

} // namespace

OggDecoder::OggDecoder() : vorbis(std::make_unique<State>()) {}

OggDecoder::~OggDecoder() {
    Close();
}

bool OggDecoder::Open(BaseFile& file, const char* name) {
    Close();
    path.Assign(name ? name : "");
    reportedBroken = false;
    if (ov_open_callbacks(&file, &vorbis->file, nullptr, 0, kFileCallbacks) != 0) {
        LogFormat("Sound %s: not an Ogg Vorbis file", path.CStr());
        return false;
    }
    open = true;
    const vorbis_info* info = ov_info(&vorbis->file, -1);
    if (!info || info->channels < 1 || info->channels > 2) {
        LogFormat("Sound %s: %d channels; only mono and stereo sounds play", path.CStr(), info ? info->channels : 0);
        Close();
        return false;
    }
    if (info->rate < kMinRate || info->rate > kMaxRate) {
        LogFormat("Sound %s: sample rate %ld is outside %d..%d", path.CStr(), info->rate, kMinRate, kMaxRate);
        Close();
        return false;
    }
    rate = static_cast<int>(info->rate);
    channels = info->channels;
    return true;
}

void OggDecoder::Close() {
    if (open) {
        ov_clear(&vorbis->file);
        open = false;
    }
    rate = 0;
    channels = 0;
}

int64_t OggDecoder::TotalFrames() {
    if (!open) {
        return -1;
    }
    const ogg_int64_t total = ov_pcm_total(&vorbis->file, -1);
    return total < 0 ? -1 : int64_t(total);
}

long OggDecoder::Read(char* out, size_t bytes) {
    if (!open) {
        return -1;
    }
    bytes -= bytes % FrameBytes();
    const int length = static_cast<int>(std::min<size_t>(bytes, INT_MAX));
    for (int holes = 0; holes < kMaxHolesInARow; ++holes) {
        int link = 0;
        const long got = ov_read(&vorbis->file, out, length, 0, 2, 1, &link);
        if (got == OV_HOLE) {
            continue;
        }
        if (got < 0) {
            break;
        }
        const vorbis_info* info = ov_info(&vorbis->file, link);
        if (got > 0 && (!info || info->channels != channels || info->rate != rate)) {
            if (!reportedBroken) {
                LogFormat("Sound %s: a chained stream changes its format; decoding stops", path.CStr());
                reportedBroken = true;
            }
            return -1;
        }
        return got;
    }
    if (!reportedBroken) {
        LogFormat("Sound %s: the Vorbis data is damaged; decoding stops", path.CStr());
        reportedBroken = true;
    }
    return -1;
}

bool OggDecoder::Rewind() {
    return open && ov_pcm_seek(&vorbis->file, 0) == 0;
}

OggDecoder::FillResult OggDecoder::Fill(char* block, size_t bytes, bool loop, size_t& filled) {
    filled = 0;
    if (!open) {
        return FillResult::kBroken;
    }
    bool rewoundWithoutSamples = false;
    while (filled < bytes) {
        const long got = Read(block + filled, bytes - filled);
        if (got < 0) {
            return FillResult::kBroken;
        }
        if (got > 0) {
            filled += size_t(got);
            rewoundWithoutSamples = false;
            continue;
        }
        if (!loop) {
            return FillResult::kEnd;
        }
        if (rewoundWithoutSamples || !Rewind()) {
            return FillResult::kBroken;
        }
        rewoundWithoutSamples = true;
    }
    return FillResult::kFull;
}

bool DecodeWholeFile(BaseFile& file, const char* path, DecodedSound& out) {
    OggDecoder decoder;
    if (!decoder.Open(file, path)) {
        return false;
    }
    const int64_t frames = decoder.TotalFrames();
    const size_t frameBytes = decoder.FrameBytes();
    if (frames <= 0) {
        LogFormat("Sound %s: the stream states no length", path);
        return false;
    }
    if (uint64_t(frames) > kMaxDecodedBytes / frameBytes) {
        LogFormat("Sound %s: %lld samples are too long to hold in memory", path, static_cast<long long>(frames));
        return false;
    }
    const size_t expected = size_t(frames) * frameBytes;
    // The stated length comes from the file's last page and can be forged;
    // room beyond what the compressed size makes plausible is only made as
    // the samples actually arrive.
    const size_t plausible = std::max(kInitialBytes, size_t(std::max(0L, file.Length())) * kMaxExpansion);
    std::vector<char>& samples = out.samples;
    samples.assign(std::min(expected, plausible), 0);
    size_t decoded = 0;
    while (decoded < expected) {
        if (decoded == samples.size()) {
            samples.resize(std::min(expected, samples.size() * 2));
        }
        const long got = decoder.Read(samples.data() + decoded, std::min(kReadBytes, samples.size() - decoded));
        if (got < 0) {
            samples.clear();
            return false;
        }
        if (got == 0) {
            break;
        }
        decoded += size_t(got);
    }
    samples.resize(decoded);
    if (samples.capacity() - decoded > decoded / 8) {
        samples.shrink_to_fit();
    }
    if (decoded == 0) {
        LogFormat("Sound %s: the stream holds no samples", path);
        return false;
    }
    out.rate = decoder.Rate();
    out.channels = decoder.Channels();
    return true;
}
