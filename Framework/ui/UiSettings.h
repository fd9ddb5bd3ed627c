#pragma once
// Read access to the global settings and the options for the screen
// services, by property name. Either element may be missing (tools, tests,
// early start-up): the reads then give the fallback.

#include "core/SettingKeys.h"
#include "core/String.h"

#include <cstdint>

class Sprite;

/// Globals text item `index`, or `fallback` when the setting is missing or empty.
String GlobalText(const char* name, const char* fallback, int32_t index = 0);
/// Globals text item `index` of a known setting, or its built-in default.
String GlobalText(const TextSetting& setting, int32_t index = 0);
/// Globals float item `index`, or `fallback` when the setting or item is missing.
float GlobalFloat(const char* name, int32_t index, float fallback);
/// Globals integer item `index`, or `fallback` when the setting or item is missing.
int32_t GlobalInt(const char* name, int32_t index, int32_t fallback);
/// The number of items of a Globals setting (0 when missing).
int32_t GlobalCount(const char* name);
/// The sprite a Globals sprite link resolves to; null when it does not.
Sprite* GlobalSprite(const char* name);
/// An options value, or `fallback` when the option is missing.
float OptionFloat(const char* name, float fallback);
