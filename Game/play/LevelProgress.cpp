#include "play/LevelProgress.h"

#include "core/ConfigTable.h"

#include <cstdio>

namespace {

constexpr const char* kTargets = "targetTreasure";

String Key(const char* name) {
    char key[96];
    std::snprintf(key, sizeof key, "object_parameters.%s", name);
    return String(key);
}

void ReadBool(ConfigTable& table, const char* name, bool& out) {
    if (const String* text = table.Value(0, Key(name).CStr())) {
        out = *text == "true";
    }
}

} // namespace

void LevelProgress::Write(ConfigTable& table) const {
    for (const String& target : targets) {
        table.AddString(kTargets, target.CStr());
    }
    table.AddInt(Key("gameMode").CStr(), gameMode);
    table.AddString(Key("introShown").CStr(), introShown ? "true" : "false");
    table.AddString(Key("outroShown").CStr(), outroShown ? "true" : "false");
    table.AddString(Key("completed").CStr(), completed ? "true" : "false");
    table.AddString(Key("goalMessage").CStr(), goalMessage.CStr());
    if (!activeFlashlight.Empty()) {
        table.AddString(Key("activeFlashlight").CStr(), activeFlashlight.CStr());
    }
    table.AddFloat(Key("penalty").CStr(), penalty);
    table.AddFloat(Key("energyEarned").CStr(), energyEarned);
    table.AddInt(Key("levelProgress").CStr(), levelProgress);
    table.AddString(Key("disableDisc").CStr(), disableDisc ? "true" : "false");
}

void LevelProgress::Read(ConfigTable& table) {
    const int32_t count = table.ValueCount(kTargets);
    hasTargets = count > 0;
    if (hasTargets) {
        targets.clear();
        for (int32_t i = 0; i < count; ++i) {
            targets.push_back(*table.Value(i, kTargets));
        }
    }
    table.GetInt(0, Key("gameMode").CStr(), gameMode);
    ReadBool(table, "introShown", introShown);
    ReadBool(table, "outroShown", outroShown);
    ReadBool(table, "completed", completed);
    ReadBool(table, "disableDisc", disableDisc);
    table.GetString(0, Key("goalMessage").CStr(), goalMessage);
    table.GetString(0, Key("activeFlashlight").CStr(), activeFlashlight);
    table.GetFloat(0, Key("penalty").CStr(), penalty);
    table.GetFloat(0, Key("energyEarned").CStr(), energyEarned);
    table.GetInt(0, Key("levelProgress").CStr(), levelProgress);
}
