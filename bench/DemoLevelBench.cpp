// The real game, in this process, on the demo data of the build (bin/data.pack),
// in the demo's biggest and busiest level (DUNHAVEN_BENCH_LEVEL, else
// harbour_square), after the start a new player has. Reported:
//   - the level's load (its scenes, scripts, pictures and sounds, as the
//     console's loadLevel does it), best of three, against decoding the
//     pictures that load opened with the bare libraries (libpng, libjpeg)
//     from memory: the ratio load / bare decode, both in CPU seconds of the
//     one thread that does them;
//   - the texture memory the sprites hold in the level (each texture's
//     width × height × 4 over the slot table) and the pixels they keep;
//   - per frame on the title, its ambient effects moving, and in the level,
//     drawn every frame with a fixed frame time, in CPU time: the update (window
//     events, deferred calls, the screens, the cursor), the draw submission
//     (the screens, the game's frame work, the console) and the rasteriser's
//     share (glFinish after the submission), with the heap allocations of the
//     update and of the submission once the level has run for a while.
// Needs a display (xvfb-run -a -s "-screen 0 1024x768x24"); run it alone
// (--benchmark_filter=DemoLevel): it starts the game in this process.
#include "GameStartup.h"
#include "app/Application.h"
#include "core/FrameTime.h"
#include "io/File.h"
#include "platform/GameWindow.h"
#include "render/Image.h"
#include "render/RenderState.h"
#include "render/ScreenCamera.h"
#include "render/ScreenFrame.h"
#include "render/Sprite.h"
#include "script/CommandTable.h"
#include "script/DeferredCalls.h"
#include "ui/Console.h"
#include "ui/Cursor.h"
#include "ui/InputManagerCallback.h"
#include "ui/Screen.h"
#include "ui/UI.h"

#include "support/AllocationCounter.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kLoads = 3;
constexpr int kWarmFrames = 300;
constexpr int kFrames = 600;

// CPU seconds of this thread, and of the whole process (the software
// renderer's threads included): a busy machine stretches the wall clock, not these.
double CpuSeconds(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double ThreadSeconds() {
    return CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
}

double ProcessSeconds() {
    return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

const char* LevelName() {
    const char* level = std::getenv("DUNHAVEN_BENCH_LEVEL");
    return level && *level ? level : "harbour_square";
}

// A private save folder, and the build's game folder as the working
// directory, as the game binary has it.
bool EnterGameFolder() {
    char pattern[] = "/tmp/dunhaven-demo-bench-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder) {
        return false;
    }
    for (const char* variable : {"HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"}) {
        setenv(variable, folder, 1);
    }
    std::error_code error;
    std::filesystem::current_path(std::string(BENCH_BINARY_DIR) + "/bin", error);
    return !error && std::filesystem::exists("data.pack");
}

// One frame of the game's loop, in the frame loop's order, with the CPU its
// parts take: the update and the submission on this thread, the rasteriser
// as the process's CPU while glFinish waits for it. The limiter's sleep is
// left out: frames follow at once.
struct FrameParts {
    double update = 0, submit = 0, finish = 0;
    size_t updateAllocations = 0, submitAllocations = 0;
};

void RunTimedFrame(GameHooks& game, FrameParts& parts) {
    frameTime = 1.0f / 65.0f;
    totalTime += frameTime;
    const double start = ThreadSeconds();
    {
        testing_support::AllocationCounter counter;
        GetInputManager().Pump();
        RunDeferredCalls();
        GetUI().Update();
        GetCursor().Update();
        parts.updateAllocations += counter.Count();
    }
    const double updated = ThreadSeconds();
    {
        testing_support::AllocationCounter counter;
        LoadScreenProjectionAndCamera();
        GetUI().Draw();
        game.OnFrame();
        GetConsole().Draw();
        parts.submitAllocations += counter.Count();
    }
    const double submitted = ThreadSeconds();
    const double processSubmitted = ProcessSeconds();
    glFinish();
    const double processFinished = ProcessSeconds();
    Present();
    EvictUnusedTextures(true);
    RenderStack::CheckFrameEnd();
    parts.update += updated - start;
    parts.submit += submitted - updated;
    parts.finish += processFinished - processSubmitted;
}

void RunFrames(GameHooks& game, int count) {
    FrameParts ignored;
    for (int i = 0; i < count; ++i) {
        RunTimedFrame(game, ignored);
    }
}

// ---- the bare decode ----------------------------------------------------------

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
};

void JpegFail(j_common_ptr info) {
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

bool DecodeJpeg(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& pixels) {
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    pixels.resize(size_t(info.output_width) * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t(info.output_scanline) * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

bool DecodePng(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        return false;
    }
    image.format = PNG_FORMAT_BGRA;
    pixels.resize(PNG_IMAGE_SIZE(image));
    const bool done = png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
    png_image_free(&image);
    return done;
}

struct Picture {
    std::vector<uint8_t> bytes;
    bool jpeg = false;
};

// The paths of the files the level's load opened (the file layer's path hook).
std::vector<std::string> openedFiles;

void RecordOpenedFile(const char* path) {
    openedFiles.push_back(path);
}

bool EndsWith(const std::string& text, const char* end) {
    const size_t length = std::strlen(end);
    return text.size() >= length && strcasecmp(text.c_str() + text.size() - length, end) == 0;
}

// The PNG and JPEG pictures among the files the last load opened, each once, read whole
// through the file layer. Other pictures (TGA) have no bare library: counted.
std::vector<Picture> LoadedPictures(size_t& others) {
    std::vector<Picture> pictures;
    std::vector<std::string> seen;
    others = 0;
    for (const std::string& path : openedFiles) {
        const bool jpeg = EndsWith(path, ".jpg") || EndsWith(path, ".jpeg");
        if (std::find(seen.begin(), seen.end(), path) != seen.end()) {
            continue;
        }
        seen.push_back(path);
        if (EndsWith(path, ".tga")) {
            ++others;
        }
        File file;
        if ((!jpeg && !EndsWith(path, ".png")) || !file.Open(path.c_str(), kFileRead | kFileBinary)) {
            continue;
        }
        Picture picture;
        picture.jpeg = jpeg;
        picture.bytes.resize(size_t(std::max(file.Length(), 0L)));
        if (file.Read(picture.bytes.data(), picture.bytes.size())) {
            pictures.push_back(std::move(picture));
        }
    }
    return pictures;
}

double BareDecodeSeconds(const std::vector<Picture>& pictures, uint64_t& decodedBytes) {
    std::vector<uint8_t> pixels;
    decodedBytes = 0;
    const double start = ThreadSeconds();
    for (const Picture& picture : pictures) {
        if (picture.jpeg ? DecodeJpeg(picture.bytes, pixels) : DecodePng(picture.bytes, pixels)) {
            decodedBytes += pixels.size();
        }
    }
    return ThreadSeconds() - start;
}

// ---- the figures --------------------------------------------------------------

struct TextureUse {
    uint64_t textureBytes = 0, pixelBytes = 0;
    int slots = 0;
};

TextureUse SlotTextures() {
    TextureUse use;
    for (int32_t i = 0; i < kTextureSlotCount; ++i) {
        if (const Sprite* owner = TextureSlotOwner(i)) {
            use.textureBytes += uint64_t(owner->TexWidth()) * uint64_t(owner->TexHeight()) * 4;
            use.pixelBytes += uint64_t(owner->Width()) * uint64_t(owner->Height()) * 4;
            ++use.slots;
        }
    }
    return use;
}

std::string ScreenNames() {
    std::string names;
    for (const Screen* screen : GetUI().Stack()) {
        names += std::string(names.empty() ? "" : " > ") + screen->GetClassName();
    }
    return names;
}

// The level, entered: the intro story it may open on top is closed.
bool ShowLevel(GameHooks& game, const char* level, double& seconds, uint64_t& decoded) {
    const uint64_t decodedBefore = Image::DecodedBytesTotal();
    const std::string command = std::string("loadLevel ") + level;
    openedFiles.clear();
    SetFilePathHook(RecordOpenedFile);
    const double start = ThreadSeconds();
    const bool loaded = ExecuteCommandLine(command.c_str());
    seconds = ThreadSeconds() - start;
    SetFilePathHook(nullptr);
    decoded = Image::DecodedBytesTotal() - decodedBefore;
    RunFrames(game, 130); // the entry's transition and the story's fade
    while (GetUI().TopScreen() && !GetUI().TopScreen()->IsA("GameScreen") && GetUI().Stack().size() > 1) {
        GetUI().PopScreen(0);
        RunFrames(game, 30);
    }
    return loaded && GetUI().TopScreen() && GetUI().TopScreen()->IsA("GameScreen");
}

void BM_DemoLevel(benchmark::State& state) {
    if (!EnterGameFolder()) {
        state.SkipWithError("no data.pack in the build's bin folder");
        return;
    }
    GameStartup game;
    if (!Startup(game) || !GameWindowExists()) {
        Shutdown(game);
        state.SkipWithError("the game did not start (no display? run under xvfb-run)");
        return;
    }
    RunFrames(game, 60);
    ExecuteCommandLine("setPlayerName Tess");
    // The title first, its ambient effects moving.
    ExecuteCommandLine("setUI TitleScreen");
    RunFrames(game, kWarmFrames);
    FrameParts title;
    for (int i = 0; i < kFrames; ++i) {
        RunTimedFrame(game, title);
    }
    const std::string titleScreens = ScreenNames();
    const char* level = LevelName();
    double load = 1e9;
    uint64_t loadDecoded = 0;
    bool shown = false;
    std::vector<Picture> pictures;
    size_t otherPictures = 0;
    for (auto _ : state) {
        for (int i = 0; i < kLoads; ++i) {
            double seconds = 0;
            uint64_t decoded = 0;
            shown = ShowLevel(game, level, seconds, decoded);
            std::printf("DemoLevel: load %d of %s: %.1f ms, %.1f MiB of pictures decoded\n", i + 1, level,
                        seconds * 1e3, double(decoded) / double(1 << 20));
            if (seconds < load) {
                load = seconds;
                loadDecoded = decoded;
                pictures = LoadedPictures(otherPictures);
            }
        }
        if (!shown) {
            state.SkipWithError(("the level did not show; the screens: " + ScreenNames()).c_str());
            break;
        }
        RunFrames(game, kWarmFrames);
        FrameParts parts;
        for (int i = 0; i < kFrames; ++i) {
            RunTimedFrame(game, parts);
        }
        uint64_t bareDecoded = 0;
        double bare = 1e9;
        for (int i = 0; i < kLoads; ++i) {
            bare = std::min(bare, BareDecodeSeconds(pictures, bareDecoded));
        }
        const TextureUse textures = SlotTextures();
        const bool counted = testing_support::AllocationCounter::Available();
        state.counters["load_ms"] = load * 1e3;
        state.counters["load_decoded_MiB"] = double(loadDecoded) / double(1 << 20);
        state.counters["bare_decode_ms"] = bare * 1e3;
        state.counters["bare_decoded_MiB"] = double(bareDecoded) / double(1 << 20);
        state.counters["pictures"] = double(pictures.size());
        state.counters["tga_pictures"] = double(otherPictures);
        state.counters["load/bare_decode"] = load / bare;
        state.counters["texture_MiB"] = double(textures.textureBytes) / double(1 << 20);
        state.counters["texture_pixels_MiB"] = double(textures.pixelBytes) / double(1 << 20);
        state.counters["texture_slots"] = textures.slots;
        state.counters["title_update_us"] = title.update / kFrames * 1e6;
        state.counters["title_submit_us"] = title.submit / kFrames * 1e6;
        state.counters["title_raster_us"] = title.finish / kFrames * 1e6;
        state.counters["update_us"] = parts.update / kFrames * 1e6;
        state.counters["submit_us"] = parts.submit / kFrames * 1e6;
        state.counters["raster_us"] = parts.finish / kFrames * 1e6;
        state.counters["update_allocs/frame"] = counted ? double(parts.updateAllocations) / kFrames : -1.0;
        state.counters["submit_allocs/frame"] = counted ? double(parts.submitAllocations) / kFrames : -1.0;
    }
    std::printf("DemoLevel: the title's screens %s; the level %s, its screens %s\n", titleScreens.c_str(),
                level, ScreenNames().c_str());
    Shutdown(game);
}
BENCHMARK(BM_DemoLevel)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
