#pragma once
// Reading the game's global settings from engine code.
//
// The settings element (`globals`, app/Engine.h) is built by the game; the
// engine reads its values by property name. Every read falls back to the
// given value when there is no settings element, no such property, or the
// item is missing or of another type.

#include "core/String.h"

#include <cstdint>

class Var;

/// The settings property of that name, or null.
Var* FindGlobalSetting(const char* name);
/// Item `index` of a text setting, or `fallback`.
String GlobalText(const char* name, const char* fallback, int32_t index = 0);
/// Item `index` of a float setting, or `fallback`.
float GlobalFloat(const char* name, float fallback, int32_t index = 0);
