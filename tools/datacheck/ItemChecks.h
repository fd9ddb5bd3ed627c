#pragma once
// The checks of the item database (Globals "ItemConfigPath"): items without
// an icon (Globals "ItemDirectory") or without a display name in the string
// tables (Globals "Path_ItemNames"), products whose ingredients are no
// declared items, item sounds that are missing, and lines the game skips.
// A data set without the file has no items, which is allowed.

class CheckReport;
class Recording;

/// The string tables and the global settings must be loaded.
void CheckItemDatabase(CheckReport& report, Recording& recording);
