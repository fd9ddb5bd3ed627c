#pragma once
// GameStartup: the game's steps in the engine's start-up, frame and shut-down.
//
// The engine calls these hooks at their fixed places (see GameHooks). They
// create, load, save and delete the global settings, the options and the
// player state; the first screen is chosen once the screens exist.

#include "app/GameHooks.h"

#include <cstdint>

/// The window class name; the single-instance lock is named after it.
constexpr const char* kWindowClassName = "KorrindelGameWindow";

/// The Globals setting naming the font of the game's text style `number`
/// (the order the game registers its styles in); null outside that list.
const char* GameTextStyleFontSetting(int32_t number);

/// Registers the game's text styles in their numbered order, each with the
/// font its global setting names (loaded now when the cache lacks it); the
/// last step of the preload. Needs the global settings loaded and a
/// rendering context for the fonts' textures.
void RegisterGameTextStyles();

class GameStartup : public GameHooks {
public:
    const char* ProductName() const override { return "Dunhaven"; }
    const char* WindowClassName() const override { return kWindowClassName; }
    bool CreateGlobalObjects() override;
    void RegisterGameStateClasses() override;
    void RegisterGameClasses() override;
    void LoadOptionsAndState() override;
    void ReloadPlayerState() override;
    void Preload() override;
    void ChooseFirstScreen() override;
    void SaveOptions() override;
    void DeleteStateAndOptions() override;
    void DeleteGlobals() override;

    /// The returning player's game: the title on top of what they left.
    /// False when it cannot be shown.
    static bool ContinueGame();

private:
    /// Reads the global settings, preloads the shared media under the
    /// loading picture and registers the text styles.
    void PreloadNow();

    /// A partner picture is present and the splash screen shows it (and
    /// preloads in its place).
    bool splashTakesOver = false;
};
