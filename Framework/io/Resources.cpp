#include "io/Resources.h"

#include "core/Link.h"
#include "core/Log.h"
#include "core/NameMap.h"
#include "core/Tokenizer.h"
#include "io/File.h"
#include "io/FileListing.h"
#include "io/StringTable.h"

#include <cstring>
#include <memory>
#include <strings.h>

namespace Resources {

bool lookupEnabled = false;
bool storeEnabled = false;

namespace {

// Errors name the resource manager's source file the way reports always have.
constexpr const char* kReportFile = ".\\Framework\\Resources";

struct RowInfo {
    const char* function;
    const char* className;
    int line;
    Loader loader;
};

RowInfo rows[kRowCount] = {
    {"Resources::FindSprite", "Sprite", 225, nullptr},
    {"Resources::FindFont", "Font", 232, nullptr},
    {"Resources::FindSound", "Sound", 239, nullptr},
    {"Resources::FindMusic", "Sound", 250, nullptr},
    {"Resources::FindAnim", "Anim", 261, nullptr},
    {"Resources::FindModel", "Model", 283, nullptr},
    {"Resources::FindModelAnim", "ModelAnim", 290, nullptr},
    {"Resources::FindTexture", "Texture", 297, nullptr},
    {"Resources::FindShader", "Shader", 304, nullptr},
};

struct Cache {
    NameMap<String, Object*> entries; // path -> owned object
    ~Cache() { Clear(); }
    void Clear() {
        for (auto& entry : entries.Entries()) {
            delete entry.value;
        }
        entries.Clear();
    }
};

Cache& TheCache() {
    static Cache cache;
    return cache;
}

bool preloadRan = false;

Object* Cached(const char* path) {
    return TheCache().entries.Find(path);
}

} // namespace

void SetLoader(Row row, Loader loader) {
    if (row >= 0 && row < kRowCount) {
        rows[row].loader = loader;
    }
}

Object* Find(Row row, const char* path) {
    if (row < 0 || row >= kRowCount || !path) {
        return nullptr;
    }
    const RowInfo& info = rows[row];
    if (lookupEnabled) {
        if (Object* cached = Cached(path)) {
            if (cached->IsA(info.className)) {
                return cached;
            }
            ReportError(info.function, kReportFile, info.line);
            return nullptr;
        }
    }
    Object* loaded = info.loader ? info.loader(path) : nullptr;
    if (loaded && storeEnabled) {
        TheCache().entries.Insert(String(path), loaded);
    }
    return loaded;
}

Object* FindResource(const char* path, const char* className) {
    if (!path || !className) {
        return nullptr;
    }
    if (Object* cached = Cached(path)) {
        return cached->IsA(className) ? cached : nullptr;
    }
    static const struct {
        const char* className;
        Row row;
    } dispatch[] = {{"Sprite", kSpriteRow},   {"Font", kFontRow},    {"Sound", kSoundRow},
                    {"Anim", kAnimRow},       {"Model", kModelRow},  {"ModelAnim", kModelAnimRow},
                    {"Texture", kTextureRow}, {"Shader", kShaderRow}};
    for (const auto& entry : dispatch) {
        if (std::strcmp(entry.className, className) == 0) {
            return Find(entry.row, path);
        }
    }
    return nullptr;
}

void UnloadDirectory(const char* directory) {
    std::vector<String> files = ListFiles(directory, "*.*", false);
    for (const String& file : files) {
        TheCache().entries.RemoveIf([&](const auto& entry) {
            if (entry.key == file) {
                delete entry.value;
                return true;
            }
            return false;
        });
    }
}

std::vector<String> PreloadList(const PreloadSettings& settings) {
    std::vector<String> list;
    Tokenizer directories(settings.directories.CStr(), ",");
    String directory;
    while (directories.NextToken(directory)) {
        Tokenizer types(settings.fileTypes.CStr(), ",");
        String type;
        while (types.NextToken(type)) {
            String pattern = String("*.") + type;
            for (const String& file : ListFiles(directory.CStr(), pattern.CStr(), true)) {
                list.push_back(file);
            }
        }
    }
    return list;
}

namespace {

// The class a preloaded file becomes, by its extension without regard to
// case; null for files the preload skips.
const char* PreloadClass(const String& path) {
    const char* dot = std::strrchr(path.CStr(), '.');
    if (!dot || std::strchr(dot, '/')) {
        return nullptr;
    }
    const char* extension = dot + 1;
    if (strcasecmp(extension, "tga") == 0 || strcasecmp(extension, "png") == 0 ||
        strcasecmp(extension, "jpg") == 0) {
        return "Sprite";
    }
    if (strcasecmp(extension, "ogg") == 0) {
        return "Sound";
    }
    if (strcasecmp(extension, "anim") == 0) {
        return "Anim";
    }
    return nullptr;
}

// A picture beside a font description of the same name ("x.png" and
// "x.config") holds that font's glyphs: its font loads it, never as a sprite.
bool IsFontGlyphStrip(const String& path, const char* className) {
    if (std::strcmp(className, "Sprite") != 0) {
        return false;
    }
    const char* dot = std::strrchr(path.CStr(), '.');
    String description;
    description.Assign(path.CStr(), size_t(dot - path.CStr()));
    description.Append(".config");
    return Exists(description.CStr());
}

} // namespace

bool Preload(const PreloadSettings& settings, std::vector<String>* loaded) {
    if (preloadRan) {
        return false;
    }
    // Every preloaded file is loaded anew and stored.
    lookupEnabled = false;
    storeEnabled = true;
    if (settings.onProgress) {
        settings.onProgress(0.0f);
    }
    // The global settings scene and the item definitions load here with the
    // loading bar, once the game's settings and item catalogue exist.
    std::vector<String> list = PreloadList(settings);
    for (size_t i = 0; i < list.size(); ++i) {
        if (settings.keepGoing && !settings.keepGoing()) {
            LogFormat("Preload ended after %zu of %zu files", i, list.size());
            break;
        }
        const char* className = PreloadClass(list[i]);
        if (!className || IsFontGlyphStrip(list[i], className) || !FindResource(list[i].CStr(), className)) {
            continue;
        }
        if (loaded) {
            loaded->push_back(list[i]);
        }
        if (i % 5 == 0 && settings.onProgress) {
            settings.onProgress(static_cast<float>(i) / static_cast<float>(list.size()));
        }
    }
    // The named text styles, the render-state scripts and the interface sound
    // are set up here once those subsystems exist.
    lookupEnabled = true;
    storeEnabled = true;
    preloadRan = true;
    return true;
}

void Shutdown() {
    TheCache().Clear();
    ClearStringTables();
}

size_t CachedCount() {
    return TheCache().entries.Size();
}

void ResetPreloadFlag() {
    preloadRan = false;
}

namespace {
Object* ResolveLink(const char* className, const char* path) {
    return FindResource(path, className);
}
} // namespace

void InstallLinkResolver() {
    SetResourceFinder(ResolveLink);
}

} // namespace Resources
