#include "render/BlendMode.h"

#include "core/String.h"
#include "core/Var.h"

namespace {

constexpr const char* kBlendModeNames[kBlendModeCount] = {
    "BlockCopy",  "AlphaBlend",  "AlphaAdd",  "Highlight",   "Outline",
    "AlphaTest",  "AlphaWrite",  "Delta",     "Refract",     "Colorize",
    "Desaturate", "RainbowGlow", "Intensify", "StencilRead", "StencilWrite",
};

} // namespace

const char* BlendModeName(int32_t mode) {
    if (mode < 0 || mode >= kBlendModeCount) {
        return nullptr;
    }
    return kBlendModeNames[mode];
}

bool BlendModeName(int32_t mode, String& out) {
    const char* name = BlendModeName(mode);
    if (!name) {
        return false;
    }
    out = name;
    return true;
}

bool AddBlendModeNames(Var& var) {
    bool allAdded = true;
    String name;
    for (int32_t mode = 0; BlendModeName(mode, name); ++mode) {
        allAdded = var.AddValueName(name.CStr(), mode) && allAdded;
    }
    return allAdded;
}

bool DeclareBlendMode(const char* name, Var& var, Element* owner, int32_t value) {
    if (!DeclareInt(name, var, 1, owner, value)) {
        return false;
    }
    return AddBlendModeNames(var);
}
