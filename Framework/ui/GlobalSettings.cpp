#include "ui/GlobalSettings.h"

#include "app/Engine.h"
#include "core/Element.h"
#include "core/Var.h"

Var* FindGlobalSetting(const char* name) {
    return globals ? globals->FindProperty(name) : nullptr;
}

String GlobalText(const char* name, const char* fallback, int32_t index) {
    const Var* setting = FindGlobalSetting(name);
    if (!setting || setting->GetType() != kVarString || index < 0 || index >= setting->GetCount()) {
        return String(fallback);
    }
    return setting->GetString(index);
}

float GlobalFloat(const char* name, float fallback, int32_t index) {
    const Var* setting = FindGlobalSetting(name);
    if (!setting || setting->GetType() != kVarFloat || index < 0 || index >= setting->GetCount()) {
        return fallback;
    }
    return setting->GetFloat(index);
}
