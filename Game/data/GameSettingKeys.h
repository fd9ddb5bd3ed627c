#pragma once
// The keys of the global settings only the game reads, with their built-in
// defaults, in the form of the engine's own table (core/SettingKeys.h).

#include "core/SettingKeys.h"

namespace game_setting {

/// The product's name, the window title.
inline constexpr TextSetting kGameTitle{"GameTitle", "Dunhaven - Tessaroon"};
/// The folder of the level folders.
inline constexpr TextSetting kLevelDirectory{"LevelDirectory", "levels"};
/// The level HUD scene of each world.
inline constexpr TextSetting kFirstWorldHud{"Path_DunhavenUI", "gui/DunhavenHud.scene"};
inline constexpr TextSetting kSecondWorldHud{"Path_EmberlowUI", "gui/EmberlowHud.scene"};

} // namespace game_setting
