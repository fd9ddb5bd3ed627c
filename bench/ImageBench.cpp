// Image loading against the bare library decode of the same bytes.
//
// A 1024 × 768 picture (smooth gradients with some noise, like painted
// scenery) is encoded once as PNG and JPEG. Each iteration decodes it through
// Image::LoadFromMemory and through the bare library (libpng into its own
// 8-bit rows, libjpeg into RGB rows, output buffer allocated each time), both
// timed, so that the reported ratio engine / bare survives a noisy machine.
#include "render/Image.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>
#include <png.h>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

std::vector<uint8_t> ScenePixels(int channels) {
    std::vector<uint8_t> pixels(size_t(kWidth) * kHeight * channels);
    uint32_t noise = 1;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int jitter = int(noise >> 29);
            uint8_t* p = &pixels[(size_t(y) * kWidth + x) * channels];
            p[0] = uint8_t(x / 4 + jitter);
            p[1] = uint8_t(y / 3 + jitter);
            p[2] = uint8_t((x + y) / 8 + ((x / 64 + y / 64) % 2) * 60);
            if (channels == 4) {
                p[3] = uint8_t(x < 512 ? 255 : 255 - (x - 512) / 2);
            }
        }
    }
    return pixels;
}

void AppendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

std::vector<uint8_t> EncodePng(int channels) {
    const std::vector<uint8_t> pixels = ScenePixels(channels);
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        throw std::runtime_error("PNG encoding failed");
    }
    png_set_write_fn(png, &out, AppendPngBytes, nullptr);
    png_set_IHDR(png, info, kWidth, kHeight, 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < kHeight; ++y) {
        png_write_row(png, &pixels[size_t(y) * kWidth * channels]);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

std::vector<uint8_t> EncodeJpeg(int quality) {
    const std::vector<uint8_t> pixels = ScenePixels(3);
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = kWidth;
    info.image_height = kHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&pixels[size_t(info.next_scanline) * kWidth * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return out;
}

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

void ReadPngBytes(png_structp png, png_bytep out, png_size_t length) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (length > reader->size - reader->offset) {
        png_error(png, "end of data");
    }
    std::memcpy(out, reader->data + reader->offset, length);
    reader->offset += length;
}

/// libpng with no transformation: the file's own 8-bit channels.
size_t BarePngDecode(const std::vector<uint8_t>& file) {
    MemoryReader reader{file.data(), file.size(), 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_read_fn(png, &reader, ReadPngBytes);
    png_read_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[rowBytes * height]);
    for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, pixels.get() + y * rowBytes, nullptr);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    benchmark::DoNotOptimize(pixels.get());
    return rowBytes * height;
}

/// libjpeg's standard decode into RGB rows.
size_t BareJpegDecode(const std::vector<uint8_t>& file) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), file.size());
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    const size_t rowBytes = size_t(info.output_width) * info.output_components;
    std::unique_ptr<uint8_t[]> pixels(new uint8_t[rowBytes * info.output_height]);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[16];
        const JDIMENSION count = std::min<JDIMENSION>(16, info.output_height - info.output_scanline);
        for (JDIMENSION i = 0; i < count; ++i) {
            rows[i] = pixels.get() + (info.output_scanline + i) * rowBytes;
        }
        jpeg_read_scanlines(&info, rows, count);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    benchmark::DoNotOptimize(pixels.get());
    return rowBytes * info.output_height;
}

using Clock = std::chrono::steady_clock;

/// Times both decodes in turn every iteration and reports each and their ratio.
template <typename Bare>
void CompareWithBare(benchmark::State& state, const std::vector<uint8_t>& file, Bare bare) {
    double engineSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        Image image;
        if (!image.LoadFromMemory(file.data(), file.size(), "bench")) {
            state.SkipWithError("the engine refused the file");
            return;
        }
        benchmark::DoNotOptimize(image.Pixels());
        const auto middle = Clock::now();
        bare(file);
        const auto end = Clock::now();
        engineSeconds += std::chrono::duration<double>(middle - start).count();
        bareSeconds += std::chrono::duration<double>(end - middle).count();
    }
    const double iterations = double(state.iterations());
    state.counters["engine_ms"] = engineSeconds / iterations * 1e3;
    state.counters["bare_ms"] = bareSeconds / iterations * 1e3;
    state.counters["engine/bare"] = engineSeconds / bareSeconds;
    state.counters["file_kB"] = double(file.size()) / 1024;
}

void BM_PngRgbaLoad(benchmark::State& state) {
    static const std::vector<uint8_t> file = EncodePng(4);
    CompareWithBare(state, file, BarePngDecode);
}

void BM_PngRgbLoad(benchmark::State& state) {
    static const std::vector<uint8_t> file = EncodePng(3);
    CompareWithBare(state, file, BarePngDecode);
}

void BM_JpegLoad(benchmark::State& state) {
    static const std::vector<uint8_t> file = EncodeJpeg(90);
    CompareWithBare(state, file, BareJpegDecode);
}

} // namespace

BENCHMARK(BM_PngRgbaLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PngRgbLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_JpegLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);
