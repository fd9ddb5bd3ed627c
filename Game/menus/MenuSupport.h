#pragma once
// Small helpers the menu screens share: who the current player is, the
// texts they format, the links they require and the title music.

#include "core/String.h"

#include <cstdint>
#include <functional>
#include <initializer_list>

class State;
class Var;

/// The current player when it is a registered profile (PlayerId ≥ 0), else null.
State* RegisteredCurrentPlayer();
/// `pattern` with its first "%s" or "%d" replaced by `value`; other text
/// (including further placeholders) is kept as it is.
String FillPlaceholder(const char* pattern, const char* value);
/// The string-table text of the key a Globals setting names (its fallback
/// when the setting is missing), its placeholder filled with `value`. False
/// when the string table has no such entry.
bool FormatSettingText(const char* setting, const char* fallbackKey, const char* value, String& out);
/// Resolves the links and answers true when every one of them resolved;
/// otherwise logs one line naming the screen and the first missing link.
bool LinksResolved(const char* screenName, std::initializer_list<Var*> links);
/// Starts the title music of the current world (Globals
/// "Music_EmberlowTitle" in the second, "Music_DunhavenTitle" otherwise)
/// unless some music is playing.
void PlayTitleMusicIfSilent();
