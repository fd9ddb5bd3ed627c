#pragma once
// Globals: the one element that holds every game-wide setting.
//
// The program creates one instance at start-up with the built-in defaults;
// LoadGlobals then copies the values of the first Globals element of the
// settings scene over them, by property name. A file can overwrite declared
// items but never add or remove any, so the level list and the per-level
// tables keep their 27 items whatever LevelCount the file gives.
//
// Settings are read by property name through the typed getters of Var;
// Setting() answers a shared empty variable for an unknown name, so a typo
// reads neutral values instead of crashing.
//
// Kinds: plain text, integer, float and bool variables; the cursor and
// loading-screen pictures are sprite links and Quests is a scene link. The
// sounds and fonts are held as their path texts until the sound and font
// resource classes exist to link them to.

#include "core/Element.h"
#include "core/String.h"

#include <memory>
#include <vector>

class Globals : public Element {
    ENGINE_CLASS(Globals, Element)

public:
    /// Number of levels the built-in level tables are made for.
    static constexpr int32_t kDefaultLevelCount = 27;

    Globals();
    ~Globals() override;

    /// The setting of that name, or an empty variable (neutral reads) when unknown.
    const Var& Setting(const char* name);
    const String& GetString(const char* name, int32_t index = 0) { return Setting(name).GetString(index); }
    int32_t GetInt(const char* name, int32_t index = 0) { return Setting(name).GetInt(index); }
    float GetFloat(const char* name, int32_t index = 0) { return Setting(name).GetFloat(index); }
    bool GetBool(const char* name, int32_t index = 0) { return Setting(name).GetBool(index); }

    /// Resolves the links: the loading-screen pictures first, then the rest.
    void ResolveLinks();

private:
    // The settings, in declaration order; owned here, registered as properties.
    std::vector<std::unique_ptr<Var>> settings;
};

/// The built-in default of item `index` of the setting `name`, as text (what
/// a fresh Globals holds before any file is read); empty for an unknown name
/// or an index past the setting's count.
String GlobalsDefault(const char* name, int32_t index = 0);

/// The global settings element, or null before start-up made it.
Globals* GetGlobals();

/// Replaces the global settings with those of the first element (in ascending
/// name order) of the file named by GlobalsPath whose class IsA Globals. A
/// missing file or one without such an element leaves every default.
/// Returns true when an element was copied.
bool LoadGlobals();
/// Resolves the global instance's links; the loading-screen pictures first so
/// that the loading bar can be drawn while the rest loads.
void ResolveGlobals();
