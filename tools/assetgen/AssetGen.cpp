#include "AssetGen.h"

#include "Movies.h"
#include "OggWriter.h"
#include "PngWriter.h"
#include "Sounds.h"

#include <cstdio>
#include <filesystem>

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A writer's message names the temporary file; the user asked for `output`.
std::string NamingOutput(std::string error, const std::string& temporary, const std::string& output) {
    for (size_t at = error.find(temporary); at != std::string::npos;
         at = error.find(temporary, at + output.size())) {
        error.replace(at, temporary.size(), output);
    }
    return error;
}

} // namespace

bool ParseAssetGenArguments(const std::vector<std::string>& arguments, AssetGenOptions& options,
                            std::string& error) {
    std::vector<std::string> positional;
    bool ownFonts = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (a == "--help" || a == "-h") {
            options.help = true;
            return true;
        }
        if ((a == "--content" || a == "--fonts") && i + 1 < arguments.size()) {
            if (a == "--content") {
                options.sources.contentDirectory = arguments[++i];
            } else {
                if (!ownFonts) {
                    options.sources.fontDirectories.clear();
                    ownFonts = true;
                }
                options.sources.fontDirectories.push_back(arguments[++i]);
            }
        } else if (!a.empty() && a[0] == '-') {
            error = "unknown option " + a + "\n" + kAssetGenUsage;
            return false;
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) {
        error = std::string("expected RECIPE OUT\n") + kAssetGenUsage;
        return false;
    }
    options.recipe = positional[0];
    options.output = positional[1];
    return true;
}

bool GenerateAsset(const AssetGenOptions& options, std::string& error) {
    Recipe recipe;
    if (!recipe.Load(options.recipe, error)) {
        return false;
    }
    std::string kind;
    if (!recipe.GetText("Kind", kind, true, error)) {
        return false;
    }
    const bool picture = IsPictureKind(kind);
    const bool sound = IsSoundKind(kind);
    const bool movie = IsMovieKind(kind);
    if (!picture && !sound && !movie) {
        error = recipe.ErrorAt(recipe.Find("Kind"),
                               "unknown kind '" + kind +
                                   "' (background, panel, text, cursor, loadbar, emoji, portrait, click, "
                                   "chime, whoosh, fanfare, music, movie)");
        return false;
    }
    const std::string wanted = picture ? ".png" : movie ? ".ogv" : ".ogg";
    if (!EndsWith(options.output, wanted)) {
        error = recipe.ErrorAt(recipe.Find("Kind"),
                               "a " + kind + " is written as " + wanted + ", not as " + options.output);
        return false;
    }
    const std::string temporary = options.output + ".part";
    if (picture) {
        Canvas canvas;
        if (!MakePicture(recipe, kind, options.sources, canvas, error)) {
            return false;
        }
        const std::vector<uint8_t> bgra = canvas.ToBgra();
        if (!WritePng(temporary.c_str(), bgra.data(), static_cast<uint32_t>(canvas.Width()),
                      static_cast<uint32_t>(canvas.Height()), error)) {
            error = NamingOutput(error, temporary, options.output);
            std::remove(temporary.c_str());
            return false;
        }
    } else if (movie) {
        std::string bytes;
        if (!MakeMovie(recipe, options.sources, bytes, error)) {
            return false;
        }
        std::FILE* out = std::fopen(temporary.c_str(), "wb");
        bool written = out && std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
        written = out && std::fclose(out) == 0 && written;
        if (!written) {
            error = "cannot write " + options.output;
            std::remove(temporary.c_str());
            return false;
        }
    } else {
        Pcm pcm;
        float quality = 0.4f;
        if (!MakeSound(recipe, kind, pcm, quality, error)) {
            return false;
        }
        if (!WriteOggVorbis(temporary, pcm, quality, error)) {
            error = NamingOutput(error, temporary, options.output);
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code failure;
    std::filesystem::rename(temporary, options.output, failure);
    if (failure) {
        error = "cannot write " + options.output + ": " + failure.message();
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
