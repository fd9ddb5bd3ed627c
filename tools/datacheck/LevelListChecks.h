#pragma once
// The checks of the levels the level list names (the first "LevelCount"
// entries of "Levels" that the settings file gives, not the built-in names):
// a level without its scene or script, a script that does not compile, and
// calls of Find, ShowObject, HideObject, IsVisible, Set* and CombineBurst
// whose literal name names no element of the level's scene (a scan of quoted
// first arguments). A listed level's sub-levels (the level directories
// whose name contains its name) are checked alike, and every script's gadget
// calls are checked as GadgetChecks.h describes. The objects of a level
// scene are checked with every scene file (LevelChecks.h).

class CheckReport;
class Recording;

/// The string tables and the global settings must be loaded.
void CheckLevels(CheckReport& report, Recording& recording);
