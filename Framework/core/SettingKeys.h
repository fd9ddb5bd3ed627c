#pragma once
// The keys of the global settings the engine reads, each with its built-in
// default: one table for the settings element, which declares them with these
// defaults, and for every reader that falls back when the element or the key
// is missing (tools, tests, early start-up). A reader that must tell "no
// settings" from "the default" (no window title, no archive without the game)
// uses the key alone with its own fallback.
//
// The values are data, kept byte for byte.

/// One setting: its key and its built-in default as the settings file writes
/// it (numbers too are text here; the settings element parses them).
struct TextSetting {
    const char* name;
    /// The built-in default, also the fallback of a missing or empty value.
    const char* fallback;
};

namespace setting {

// Product and window. The title has no default here: the game's settings
// give its product's name, and without settings the window keeps its class name.
inline constexpr TextSetting kGameTitle{"GameTitle", ""};
inline constexpr TextSetting kDisplayWidth{"DisplayWidth", "1024"};
inline constexpr TextSetting kDisplayHeight{"DisplayHeight", "768"};
// Files and directories.
inline constexpr TextSetting kPackfilePath{"PackfilePath", "data.pack"};
inline constexpr TextSetting kBackgroundFilename{"BackgroundFilename", "background.tga"};
inline constexpr TextSetting kCursorConfigPath{"CursorConfigPath", "config/cursor.config"};
inline constexpr TextSetting kInterfaceDirectory{"InterfaceDirectory", "gui"};
inline constexpr TextSetting kGameCompleteBackground{"Path_GameCompleteBackground",
                                                     "gui/TitleScreen/game_complete_bg.tga"};
// Texts and fonts.
inline constexpr TextSetting kGamePausedText{"String_GamePaused", "str.game_paused"};
inline constexpr TextSetting kHeaderFont{"Font_HeaderText", "fonts/Times_New_Roman_20.config"};
inline constexpr TextSetting kDialogueFont{"Font_DialogueText", "fonts/Times_New_Roman_24.config"};

} // namespace setting
