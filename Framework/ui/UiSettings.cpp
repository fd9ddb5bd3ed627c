#include "ui/UiSettings.h"

#include "core/Element.h"
#include "core/EngineState.h"
#include "core/Link.h"
#include "render/Sprite.h"

namespace {

Var* FindSetting(Element* owner, const char* name, int32_t index) {
    if (!owner) {
        return nullptr;
    }
    Var* var = owner->FindProperty(name);
    if (!var || index < 0 || index >= var->GetCount()) {
        return nullptr;
    }
    return var;
}

} // namespace

String GlobalText(const char* name, const char* fallback, int32_t index) {
    Var* var = FindSetting(globals, name, index);
    if (!var || var->GetString(index).Empty()) {
        return String(fallback);
    }
    return var->GetString(index);
}

String GlobalText(const TextSetting& setting, int32_t index) {
    return GlobalText(setting.name, setting.fallback, index);
}

float GlobalFloat(const char* name, int32_t index, float fallback) {
    Var* var = FindSetting(globals, name, index);
    return var ? var->GetFloat(index) : fallback;
}

int32_t GlobalInt(const char* name, int32_t index, int32_t fallback) {
    Var* var = FindSetting(globals, name, index);
    return var ? var->GetInt(index) : fallback;
}

int32_t GlobalCount(const char* name) {
    Var* var = globals ? globals->FindProperty(name) : nullptr;
    return var ? var->GetCount() : 0;
}

Sprite* GlobalSprite(const char* name) {
    auto* link = dynamic_cast<Link<Sprite>*>(FindSetting(globals, name, 0));
    if (!link) {
        return nullptr;
    }
    link->Resolve();
    return link->Get(0);
}

float OptionFloat(const char* name, float fallback) {
    Var* var = FindSetting(options, name, 0);
    return var ? var->GetFloat(0) : fallback;
}
