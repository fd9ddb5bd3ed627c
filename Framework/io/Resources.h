#pragma once
// Resources: the one cache of shared media, keyed by path.
//
// Sprites, fonts, sounds, music, animations, models, model animations,
// textures and shaders are loaded once and handed out to everybody who asks
// for the same path (compared byte for byte, case-sensitive, exactly as the
// caller wrote it). The cache owns every object it holds; callers keep plain
// pointers, valid until the object's directory is unloaded or the program
// ends. Entries are appended unsorted and sorted on the next look-up.
//
// Each kind of media is a row: a Find operation, the class it must answer
// to, the line its misuse reports, and a loader that the subsystem owning
// the class installs (render for sprites and fonts, audio for sounds, ...).
// A row without a loader finds only what is cached.

#include "core/String.h"

#include <functional>
#include <vector>

class Anim;
class Object;
class Sprite;
class Font;
class Sound;
class Texture;

namespace Resources {

enum Row {
    kSpriteRow,
    kFontRow,
    kSoundRow,
    kMusicRow,
    kAnimRow,
    kModelRow,
    kModelAnimRow,
    kTextureRow,
    kShaderRow,
    kRowCount
};

/// Creates and loads the object of a path; null on any failure (no report).
using Loader = Object* (*)(const char* path);

/// Installs the loader of a row (null removes it).
void SetLoader(Row row, Loader loader);

/// Consult the cache before loading / keep what is loaded.
extern bool lookupEnabled;
extern bool storeEnabled;

/// The row's Find: the cached object when it is of the row's class (another
/// class reports the row's error line and gives null), else a fresh load,
/// stored when storeEnabled is set.
Object* Find(Row row, const char* path);

// The typed Find operations; each is defined beside its class. The rows of
// classes not built yet (models, shaders) have no Find here.
Sprite* FindSprite(const char* path);
Font* FindFont(const char* path);
Sound* FindSound(const char* path);
Sound* FindMusic(const char* path);
Texture* FindTexture(const char* path);
Anim* FindAnim(const char* path);

/// The entry of resource links: a cached object of that class (silently null
/// for another class), else the Find of the class ("Sound" never streams).
Object* FindResource(const char* path, const char* className);

/// Destroys the cached objects of the files listed directly in `directory`.
void UnloadDirectory(const char* directory);

struct PreloadSettings {
    String directories = "audio,fonts,gui,items,journal,puzzles,test";
    String fileTypes = "tga,png,jpg,ogg,anim";
    /// Called with the progress 0..1 so a loading picture can be drawn.
    void (*onProgress)(float progress) = nullptr;
    /// Asked before each file; false ends the preload there (a close
    /// request, or enough decoded). What was loaded stays cached.
    std::function<bool()> keepGoing;
};
/// Loads every file of the preload directories once per run; false when it
/// already ran. Returns the list it loaded through `loaded` when given.
bool Preload(const PreloadSettings& settings, std::vector<String>* loaded = nullptr);
/// The preload list: per directory, per type, every "*.type" file below it.
std::vector<String> PreloadList(const PreloadSettings& settings);

/// Destroys every cached object, empties the cache and the string tables.
void Shutdown();
/// Number of cached entries.
size_t CachedCount();
/// Forgets that the preload ran (for tests and a restart).
void ResetPreloadFlag();

/// Makes resource links resolve through FindResource.
void InstallLinkResolver();

} // namespace Resources
