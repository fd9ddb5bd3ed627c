#pragma once
// The checks of the global settings in effect: the game's built-in defaults,
// replaced by the data set's settings file as the game replaces them.
//
// Reported: a settings file that is missing (a warning: the game runs on its
// defaults) or holds no Globals element; settings naming data files that do
// not exist or do not load (pictures, sounds, music, fonts, scenes, scripts,
// configuration files); settings holding string identifiers ("str.ok") that no
// string table holds. A setting the file gives is always checked. One left at
// its built-in default is checked only when the game already reads it:
// defaults of features still to come name files no data set has to provide.
//
// Settings that are patterns ("levels/%s/%s.scene"), name files of the save
// folder or are optional by design (the partner splash picture) are not
// file names to check.

#include <string>
#include <vector>

class CheckReport;
class Recording;

/// Loads the settings file into the global settings element (which must
/// exist) and checks every setting. The string tables must be loaded.
void CheckSettings(CheckReport& report, Recording& recording);

/// The settings left at their defaults that are checked all the same,
/// because the game reads them.
const std::vector<std::string>& SettingsTheGameReads();

/// "table.key" with no pattern, no path and no blank in it: a text the game
/// looks up in the string tables rather than shows as it is.
bool LooksLikeStringIdentifier(const std::string& text);
/// Why the string identifier `identifier` finds no text: its table or its key
/// is missing.
std::string MissingStringText(const std::string& identifier);
