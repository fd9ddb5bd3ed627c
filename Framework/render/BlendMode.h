#pragma once
// BlendMode: how a drawn picture combines with what is already on screen.
//
// Scene files store a BlendMode property as its decimal value; the fifteen
// names below are attached to every such property as its value names, in
// value order. Only three modes differ in GL state: BlockCopy (no blending,
// no alpha test), AlphaAdd (additive) and AlphaTest (alpha test, no
// blending). Every other value, named or not, draws as AlphaBlend: this
// renderer has no stencil, colour-mask or texture-environment variants.

#include <cstdint>

class Element;
class String;
class Var;

enum BlendMode : int32_t {
    kBlendBlockCopy = 0,
    kBlendAlphaBlend = 1,
    kBlendAlphaAdd = 2,
    kBlendHighlight = 3,
    kBlendOutline = 4,
    kBlendAlphaTest = 5,
    kBlendAlphaWrite = 6,
    kBlendDelta = 7,
    kBlendRefract = 8,
    kBlendColorize = 9,
    kBlendDesaturate = 10,
    kBlendRainbowGlow = 11,
    kBlendIntensify = 12,
    kBlendStencilRead = 13,
    kBlendStencilWrite = 14,
};

/// Number of named modes (values 0 to 14).
constexpr int32_t kBlendModeCount = 15;

/// The name of `mode` ("BlockCopy" … "StencilWrite") in `out` and true for
/// 0 to 14; false, `out` untouched, for any other value.
bool BlendModeName(int32_t mode, String& out);
/// The same name as a constant text; null outside 0 to 14.
const char* BlendModeName(int32_t mode);

/// Declares an integer property `name` on `owner` with one item `value` and
/// registers the fifteen mode names on it. False when the declaration fails.
bool DeclareBlendMode(const char* name, Var& var, Element* owner, int32_t value);
/// Registers the fifteen mode names on an already declared variable.
bool AddBlendModeNames(Var& var);
