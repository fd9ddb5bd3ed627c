#include "Pictures.h"

#include "Glyphs.h"
#include "PictureKinds.h"
#include "Portrait.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>

// Contents (the background kind is in Landscape.cpp):
//   1. shared helpers: sizes, text styles
//   2. panel and button
//   3. text
//   4. cursor
//   5. loading bar
//   6. emoji
//   7. dispatch, fonts and texts

bool GetSize(const Recipe& recipe, int32_t& w, int32_t& h, std::string& error) {
    float size[2] = {0, 0};
    if (!recipe.GetFloats("Size", size, 2, 1, kMaxSide, true, error)) {
        return false;
    }
    w = static_cast<int32_t>(size[0]);
    h = static_cast<int32_t>(size[1]);
    return true;
}

Colour Darker(const Colour& c, float f) {
    return Colour{c.r * f, c.g * f, c.b * f, c.a};
}

namespace {

// How text is painted: a vertical colour gradient, an outline and a soft shadow.
struct TextStyle {
    std::string font = "DejaVuSans-Bold.ttf";
    int32_t size = 24;
    Colour top{1, 1, 1, 1}, bottom{1, 1, 1, 1};
    float outline = 0;
    Colour outlineColour{0.1f, 0.06f, 0.03f, 1};
    float shadow[3] = {0, 0, 0}; // dx, dy, blur
    Colour shadowColour{0, 0, 0, 0.5f};
    float lineSpacing = 1.1f;
};

const std::vector<std::string_view> kTextStyleKeys = {
    "Text",    "Font",          "TextSize",   "TextColour",       "TextColourBottom",
    "Outline", "OutlineColour", "TextShadow", "TextShadowColour", "LineSpacing"};

bool ReadTextStyle(const Recipe& recipe, TextStyle& style, std::string& error) {
    float size = static_cast<float>(style.size);
    if (!recipe.GetText("Font", style.font, false, error) ||
        !recipe.GetFloat("TextSize", size, 4, 400, false, error) ||
        !recipe.GetColour("TextColour", style.top, false, error)) {
        return false;
    }
    style.size = static_cast<int32_t>(size);
    style.bottom = style.top;
    return recipe.GetColour("TextColourBottom", style.bottom, false, error) &&
           recipe.GetFloat("Outline", style.outline, 0, 12, false, error) &&
           recipe.GetColour("OutlineColour", style.outlineColour, false, error) &&
           recipe.GetFloats("TextShadow", style.shadow, 3, -40, 40, false, error) &&
           recipe.GetColour("TextShadowColour", style.shadowColour, false, error) &&
           recipe.GetFloat("LineSpacing", style.lineSpacing, 0.5f, 4, false, error);
}

bool ReadLines(const Recipe& recipe, const Sources& sources, std::vector<std::string>& lines,
               std::string& error) {
    for (const RecipeEntry* entry : recipe.FindAll("Text")) {
        std::string text;
        if (!ResolveText(recipe, *entry, sources, text, error)) {
            return false;
        }
        lines.push_back(text);
    }
    return true;
}

// The text's mask, with room around it for the outline and the shadow.
bool TextMask(const Recipe& recipe, const TextStyle& style, const std::vector<std::string>& lines,
              const Sources& sources, Mask& mask, int32_t& padding, std::string& error) {
    const std::string font = FindFont(sources, style.font);
    const RecipeEntry* fontEntry = recipe.Find("Font");
    if (font.empty()) {
        error = recipe.ErrorAt(fontEntry, "font '" + style.font + "' not found");
        return false;
    }
    padding = static_cast<int32_t>(std::ceil(style.outline + std::fabs(style.shadow[0]) +
                                             std::fabs(style.shadow[1]) + style.shadow[2] * 1.5f)) +
              2;
    if (!RenderText(font, style.size, lines, padding, style.lineSpacing, mask, error)) {
        error = recipe.ErrorAt(fontEntry, error);
        return false;
    }
    return true;
}

// Paints text whose mask is `mask` with its top-left corner at (x, y).
void PaintText(Canvas& canvas, const Mask& mask, int32_t x, int32_t y, int32_t padding,
               const TextStyle& style) {
    Mask placed(canvas.Width(), canvas.Height());
    for (int32_t my = 0; my < mask.Height(); ++my) {
        for (int32_t mx = 0; mx < mask.Width(); ++mx) {
            const int32_t tx = x + mx, ty = y + my;
            if (tx >= 0 && ty >= 0 && tx < canvas.Width() && ty < canvas.Height()) {
                placed.At(tx, ty) = mask.At(mx, my);
            }
        }
    }
    const Mask outline = style.outline > 0 ? placed.Grown(style.outline) : placed;
    if (style.shadowColour.a > 0 && (style.shadow[0] != 0 || style.shadow[1] != 0 || style.shadow[2] != 0)) {
        Mask shadow =
            outline.Shifted(static_cast<int32_t>(style.shadow[0]), static_cast<int32_t>(style.shadow[1]));
        if (style.shadow[2] > 0) {
            shadow = shadow.Blurred(style.shadow[2]);
        }
        canvas.Fill(shadow, style.shadowColour);
    }
    if (style.outline > 0) {
        canvas.Fill(outline, style.outlineColour);
    }
    const float top = static_cast<float>(y + padding);
    const float height = std::max(1.0f, static_cast<float>(mask.Height() - 2 * padding));
    canvas.Fill(placed, [&](float, float py) { return Mix(style.top, style.bottom, (py - top) / height); });
}

// --- 2. panel and button -----------------------------------------------------

bool MakePanel(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error) {
    std::vector<std::string_view> keys = {"Kind",        "Size",       "Margin",    "Radius",
                                          "FillTop",     "FillBottom", "Border",    "BorderBottom",
                                          "BorderWidth", "Inner",      "Shadow",    "ShadowColour",
                                          "Gloss",       "Grain",      "TextOffset", "Piece",
                                          "Corner",      "Tile"};
    keys.insert(keys.end(), kTextStyleKeys.begin(), kTextStyleKeys.end());
    if (!recipe.CheckKeys(keys, error)) {
        return false;
    }
    int32_t w = 0, h = 0;
    float margin = 0, radius = 12, borderWidth = 3, shadow[3] = {0, 4, 8}, gloss = 0.25f, grain = 0,
          textOffset[2] = {0, 0};
    Colour fillTop{0.98f, 0.93f, 0.8f, 1}, fillBottom{0.88f, 0.78f, 0.6f, 1}, border{0.55f, 0.36f, 0.16f, 1};
    Colour inner{1, 0.95f, 0.75f, 0.7f}, shadowColour{0, 0, 0, 0.45f};
    if (!GetSize(recipe, w, h, error) || !recipe.GetFloat("Margin", margin, 0, 200, false, error) ||
        !recipe.GetFloat("Radius", radius, 0, 400, false, error) ||
        !recipe.GetColour("FillTop", fillTop, false, error) ||
        !recipe.GetColour("FillBottom", fillBottom, false, error) ||
        !recipe.GetColour("Border", border, false, error)) {
        return false;
    }
    Colour borderBottom = Darker(border, 0.7f);
    if (!recipe.GetColour("BorderBottom", borderBottom, false, error) ||
        !recipe.GetFloat("BorderWidth", borderWidth, 0, 100, false, error) ||
        !recipe.GetColour("Inner", inner, false, error) ||
        !recipe.GetFloats("Shadow", shadow, 3, -100, 100, false, error) ||
        !recipe.GetColour("ShadowColour", shadowColour, false, error) ||
        !recipe.GetFloat("Gloss", gloss, 0, 1, false, error) ||
        !recipe.GetFloat("Grain", grain, 0, 1, false, error) ||
        !recipe.GetFloats("TextOffset", textOffset, 2, -1000, 1000, false, error)) {
        return false;
    }
    if (margin * 2 >= std::min(w, h)) {
        error = recipe.ErrorAt(recipe.Find("Margin"), "the margin leaves no room for the panel");
        return false;
    }
    canvas = Canvas(w, h);
    const float x0 = margin, y0 = margin, x1 = w - margin, y1 = h - margin;
    Mask body(w, h);
    body.AddRoundedRect(x0, y0, x1, y1, radius);
    // Drop shadow.
    if (shadowColour.a > 0) {
        Mask drop = body.Shifted(static_cast<int32_t>(shadow[0]), static_cast<int32_t>(shadow[1]));
        if (shadow[2] > 0) {
            drop = drop.Blurred(shadow[2]);
        }
        canvas.Fill(drop, shadowColour);
    }
    // The frame: a bevelled border, lighter at the top.
    canvas.Fill(body, [&](float, float y) { return Mix(border, borderBottom, (y - y0) / (y1 - y0)); });
    Mask face(w, h);
    face.AddRoundedRect(x0 + borderWidth, y0 + borderWidth, x1 - borderWidth, y1 - borderWidth,
                        std::max(0.0f, radius - borderWidth));
    // A thin light line on the top edge of the frame.
    Mask rim(w, h);
    rim.AddRoundedRect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, std::max(0.0f, radius - 1));
    const Mask rimLine = rim.Minus(face.Grown(std::max(0.0f, borderWidth - 2.5f)));
    canvas.Fill(rimLine, [&](float, float y) {
        return Colour{1, 1, 1, 0.35f * (1.0f - std::clamp((y - y0) / (y1 - y0) * 2.5f, 0.0f, 1.0f))};
    });
    canvas.Fill(face, [&](float x, float y) {
        Colour c = Mix(fillTop, fillBottom, (y - y0) / (y1 - y0));
        if (grain > 0) {
            const float fibre = FractalNoise(x * 0.5f, y * 2.0f, 24, 3, 11u) - 0.5f;
            c = Darker(c, 1.0f + fibre * grain);
        }
        return c;
    });
    // Inner line and a soft shade along the face's edge, for depth.
    if (inner.a > 0 && borderWidth > 0) {
        Mask innerFace(w, h);
        innerFace.AddRoundedRect(x0 + borderWidth + 2, y0 + borderWidth + 2, x1 - borderWidth - 2,
                                 y1 - borderWidth - 2, std::max(0.0f, radius - borderWidth - 2));
        canvas.Fill(face.Minus(innerFace).Minus(face.Minus(innerFace.Grown(1.2f))), inner);
        const Mask edgeShade = face.Minus(innerFace.Blurred(6));
        canvas.Fill(edgeShade, Colour{0.25f, 0.15f, 0.05f, 0.18f});
    }
    // Gloss: a light sheen over the upper half.
    if (gloss > 0) {
        const float mid = y0 + (y1 - y0) * 0.5f;
        canvas.Fill(face, [&](float, float y) {
            const float t = std::clamp((y - y0) / (mid - y0), 0.0f, 1.0f);
            return Colour{1, 1, 1, gloss * (1.0f - t) * (1.0f - t)};
        });
    }
    // The optional label, centred on the face.
    if (recipe.Find("Text")) {
        TextStyle style;
        std::vector<std::string> lines;
        Mask mask;
        int32_t padding = 0;
        if (!ReadTextStyle(recipe, style, error) || !ReadLines(recipe, sources, lines, error) ||
            !TextMask(recipe, style, lines, sources, mask, padding, error)) {
            return false;
        }
        const int32_t tx = static_cast<int32_t>(std::lround((x0 + x1 - mask.Width()) * 0.5f + textOffset[0]));
        const int32_t ty =
            static_cast<int32_t>(std::lround((y0 + y1 - mask.Height()) * 0.5f + textOffset[1]));
        PaintText(canvas, mask, tx, ty, padding, style);
    }
    return true;
}

// --- 3. text -------------------------------------------------------------------

bool MakeText(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error) {
    std::vector<std::string_view> keys = {"Kind", "Size"};
    keys.insert(keys.end(), kTextStyleKeys.begin(), kTextStyleKeys.end());
    if (!recipe.CheckKeys(keys, error)) {
        return false;
    }
    TextStyle style;
    std::vector<std::string> lines;
    Mask mask;
    int32_t padding = 0;
    if (!recipe.Find("Text")) {
        error = recipe.ErrorAt(nullptr, "the recipe has no 'Text'");
        return false;
    }
    if (!ReadTextStyle(recipe, style, error) || !ReadLines(recipe, sources, lines, error) ||
        !TextMask(recipe, style, lines, sources, mask, padding, error)) {
        return false;
    }
    // With a Size the text is centred on a canvas of that size, so a scene can
    // place the picture without knowing how wide the words came out.
    int32_t w = mask.Width(), h = mask.Height();
    if (recipe.Find("Size")) {
        if (!GetSize(recipe, w, h, error)) {
            return false;
        }
        if (w < mask.Width() - 2 * padding || h < mask.Height() - 2 * padding) {
            error = recipe.ErrorAt(recipe.Find("Size"),
                                   "the text needs " + std::to_string(mask.Width() - 2 * padding) + " x " +
                                       std::to_string(mask.Height() - 2 * padding) + " pixels");
            return false;
        }
    }
    canvas = Canvas(w, h);
    PaintText(canvas, mask, (w - mask.Width()) / 2, (h - mask.Height()) / 2, padding, style);
    return true;
}

// --- 4. cursor -----------------------------------------------------------------

// The classic pointer with its tip at (x, y), `scale` times 1 pixel per unit.
std::vector<Point> Arrow(float x, float y, float scale) {
    const Point unit[] = {{0, 0},     {0, 16.5f},    {4, 12.8f},    {6.8f, 19.2f},
                          {9.6f, 18}, {6.9f, 11.8f}, {11.8f, 11.8f}};
    std::vector<Point> points;
    for (const Point& p : unit) {
        points.push_back({x + p.x * scale, y + p.y * scale});
    }
    return points;
}

std::vector<Point> Gear(float cx, float cy, float outer, float innerRadius, int32_t teeth) {
    std::vector<Point> points;
    const float step = 6.2831853f / static_cast<float>(teeth * 4);
    for (int32_t i = 0; i < teeth * 4; ++i) {
        const float r = (i % 4 < 2) ? outer : innerRadius;
        const float a = step * (static_cast<float>(i) + 0.5f);
        points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
    }
    return points;
}

bool MakeCursor(const Recipe& recipe, const Sources&, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Size", "Shape", "Hotspot", "Fill", "FillBottom", "Outline", "Accent"},
                          error)) {
        return false;
    }
    int32_t w = 0, h = 0;
    float hot[2] = {1, 1};
    std::string shape;
    Colour fill{1, 0.96f, 0.84f, 1}, outline{0.16f, 0.1f, 0.05f, 1}, accent{0.2f, 0.45f, 0.85f, 1};
    if (!GetSize(recipe, w, h, error) || !recipe.GetText("Shape", shape, true, error) ||
        !recipe.GetFloats("Hotspot", hot, 2, 0, kMaxSide, true, error) ||
        !recipe.GetColour("Fill", fill, false, error) ||
        !recipe.GetColour("Outline", outline, false, error) ||
        !recipe.GetColour("Accent", accent, false, error)) {
        return false;
    }
    Colour fillBottom = Darker(fill, 0.82f);
    if (!recipe.GetColour("FillBottom", fillBottom, false, error)) {
        return false;
    }
    if (hot[0] >= w || hot[1] >= h) {
        error = recipe.ErrorAt(recipe.Find("Hotspot"), "the hot spot lies outside the picture");
        return false;
    }
    canvas = Canvas(w, h);
    Mask body(w, h), badge(w, h), badgeMark(w, h);
    const float scale = std::min(w, h) / 24.0f * 0.9f;
    if (shape == "arrow" || shape == "use" || shape == "info") {
        body.AddPolygon(Arrow(hot[0] + 0.2f, hot[1] + 0.2f, shape == "arrow" ? scale * 1.1f : scale));
        const float bx = w - 8.5f, by = h - 8.5f;
        if (shape == "use") {
            badge.AddPolygon(Gear(bx, by, 7.5f, 5.6f, 8));
            badgeMark.AddCircle(bx, by, 2.3f);
        } else if (shape == "info") {
            badge.AddCircle(bx, by, 7.5f);
            badgeMark.AddCircle(bx, by - 3.6f, 1.4f);
            badgeMark.AddRoundedRect(bx - 1.2f, by - 1.4f, bx + 1.2f, by + 4.8f, 0.6f);
        }
    } else if (shape == "magnifier") {
        const float r = std::min(w, h) * 0.24f;
        body.AddRing(hot[0], hot[1], r, 3.2f);
        body.AddLine({hot[0] + r * 0.75f, hot[1] + r * 0.75f}, {w - 4.0f, h - 4.0f}, 4.6f);
        badge.AddCircle(hot[0], hot[1], r - 1.0f);
    } else if (shape == "exit") {
        const float s = std::min(w, h) / 50.0f;
        const float cx = hot[0], cy = hot[1];
        body.AddPolygon({{cx, cy - 17 * s},
                         {cx + 15 * s, cy - 1 * s},
                         {cx + 6 * s, cy - 1 * s},
                         {cx + 6 * s, cy + 16 * s},
                         {cx - 6 * s, cy + 16 * s},
                         {cx - 6 * s, cy - 1 * s},
                         {cx - 15 * s, cy - 1 * s}});
    } else {
        error = recipe.ErrorAt(recipe.Find("Shape"),
                               "unknown cursor shape '" + shape + "' (arrow, use, info, magnifier, exit)");
        return false;
    }
    const bool lens = shape == "magnifier";
    Mask all = body;
    if (!lens) {
        all.Add(badge);
    }
    const Mask rim = all.Grown(1.0f);
    canvas.Fill(rim.Shifted(2, 2).Blurred(2.5f), Colour{0, 0, 0, 0.45f});
    canvas.Fill(rim, outline);
    if (lens) {
        // The lens: a pale glass tint with a glint.
        canvas.Fill(badge, Colour{0.75f, 0.9f, 1.0f, 0.35f});
        Mask glint(w, h);
        glint.AddCircle(hot[0] - 2.5f, hot[1] - 2.5f, 1.8f);
        canvas.Fill(glint, Colour{1, 1, 1, 0.85f});
    }
    const float top = hot[1], bottom = static_cast<float>(h);
    canvas.Fill(body, [&](float, float y) { return Mix(fill, fillBottom, (y - top) / (bottom - top)); });
    if (!lens) {
        canvas.Fill(badge, [&](float, float y) {
            return Mix(accent, Darker(accent, 0.7f), (y - (h - 16.0f)) / 16.0f);
        });
        canvas.Fill(badgeMark, Colour{1, 1, 1, 1});
    }
    return true;
}

// --- 5. loading bar ------------------------------------------------------------

bool MakeLoadBar(const Recipe& recipe, const Sources&, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Part", "Size", "Radius", "Border", "BorderBottom", "Trough", "Inset",
                           "FillTop", "FillBottom", "Gloss"},
                          error)) {
        return false;
    }
    int32_t w = 0, h = 0;
    std::string part;
    float radius = 10, inset = 4, gloss = 0.5f;
    Colour border{0.85f, 0.66f, 0.3f, 1}, trough{0.08f, 0.06f, 0.1f, 0.85f};
    Colour fillTop{0.55f, 0.9f, 0.55f, 1}, fillBottom{0.15f, 0.55f, 0.3f, 1};
    if (!GetSize(recipe, w, h, error) || !recipe.GetText("Part", part, true, error) ||
        !recipe.GetFloat("Radius", radius, 0, 400, false, error) ||
        !recipe.GetColour("Border", border, false, error) ||
        !recipe.GetColour("Trough", trough, false, error) ||
        !recipe.GetFloat("Inset", inset, 0, 100, false, error) ||
        !recipe.GetColour("FillTop", fillTop, false, error) ||
        !recipe.GetColour("FillBottom", fillBottom, false, error) ||
        !recipe.GetFloat("Gloss", gloss, 0, 1, false, error)) {
        return false;
    }
    Colour borderBottom = Darker(border, 0.6f);
    if (!recipe.GetColour("BorderBottom", borderBottom, false, error)) {
        return false;
    }
    canvas = Canvas(w, h);
    if (part == "frame") {
        Mask outer(w, h), hole(w, h);
        outer.AddRoundedRect(2, 1, w - 2.0f, h - 3.0f, radius);
        hole.AddRoundedRect(2 + inset, 1 + inset, w - 2 - inset, h - 3 - inset,
                            std::max(0.0f, radius - inset));
        canvas.Fill(outer.Shifted(0, 2).Blurred(3), Colour{0, 0, 0, 0.5f});
        canvas.Fill(outer, [&](float, float y) { return Mix(border, borderBottom, y / h); });
        canvas.Fill(hole, trough);
        // The trough's inner shadow along its top edge.
        canvas.Fill(hole.Minus(hole.Shifted(0, 3).Blurred(3)), Colour{0, 0, 0, 0.5f});
        return true;
    }
    Mask pill(w, h);
    pill.AddRoundedRect(0, 0, static_cast<float>(w), static_cast<float>(h), radius);
    if (part == "fill") {
        // Drawn with an alpha test that passes alpha > 1 − progress: alpha falls
        // from 255 at the left to 1 at the right, so the bar grows rightwards.
        canvas.Fill(pill, [&](float, float y) { return Mix(fillTop, fillBottom, y / h); });
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                float* p = canvas.Pixel(x, y);
                const float order = w > 1 ? 1.0f - static_cast<float>(x) / static_cast<float>(w - 1) : 1.0f;
                const float alpha = pill.At(x, y) >= 0.5f ? (1.0f + 254.0f * order) / 255.0f : 0.0f;
                const float straight[3] = {p[3] > 0 ? p[0] / p[3] : 0, p[3] > 0 ? p[1] / p[3] : 0,
                                           p[3] > 0 ? p[2] / p[3] : 0};
                for (int c = 0; c < 3; ++c) {
                    p[c] = straight[c] * alpha;
                }
                p[3] = alpha;
            }
        }
        return true;
    }
    if (part == "gloss") {
        Mask sheen(w, h);
        sheen.AddRoundedRect(2, 1.5f, w - 2.0f, h * 0.5f, std::max(1.0f, radius - 2));
        canvas.Fill(sheen, [&](float, float y) { return Colour{1, 1, 1, gloss * (1.0f - y / (h * 0.5f))}; });
        return true;
    }
    error =
        recipe.ErrorAt(recipe.Find("Part"), "unknown loading-bar part '" + part + "' (frame, fill, gloss)");
    return false;
}

// --- 6. emoji ------------------------------------------------------------------

bool MakeEmoji(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Character", "Size", "Font", "Saturation", "Tint", "Shade", "LightFrom"},
                          error)) {
        return false;
    }
    std::string character, fontName = "NotoColorEmoji.ttf";
    int32_t size = 96;
    ObjectLight light;
    if (!recipe.GetText("Character", character, true, error) ||
        !recipe.GetInt("Size", size, 8, 1024, false, error) ||
        !recipe.GetText("Font", fontName, false, error) || !ReadObjectLight(recipe, light, error)) {
        return false;
    }
    const RecipeEntry* entry = recipe.Find("Character");
    const uint32_t code = ParseCharacter(character);
    if (code == 0) {
        error = recipe.ErrorAt(entry, "a Character is one character or its number, as in U+1F511");
        return false;
    }
    const std::string font = FindFont(sources, fontName);
    if (font.empty()) {
        error = recipe.ErrorAt(recipe.Find("Font"), "font '" + fontName + "' not found");
        return false;
    }
    if (!RenderEmoji(font, code, size, canvas, error)) {
        error = recipe.ErrorAt(entry, error);
        return false;
    }
    ApplyObjectLight(light, canvas);
    return true;
}

// --- 6a. portrait ---------------------------------------------------------------

bool MakePortrait(const Recipe& recipe, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys(
            {"Kind", "Size", "Skin", "Hair", "HairStyle", "Clothes", "Accent", "Expression", "FaceOnly"},
            error)) {
        return false;
    }
    int32_t w = 0, h = 0, faceOnly = 0;
    PortraitLook look;
    if (!GetSize(recipe, w, h, error) || !recipe.GetColour("Skin", look.skin, false, error) ||
        !recipe.GetColour("Hair", look.hair, false, error) ||
        !recipe.GetColour("Clothes", look.clothes, false, error) ||
        !recipe.GetColour("Accent", look.accent, false, error) ||
        !recipe.GetText("HairStyle", look.hairStyle, false, error) ||
        !recipe.GetText("Expression", look.expression, false, error) ||
        !recipe.GetInt("FaceOnly", faceOnly, 0, 1, false, error)) {
        return false;
    }
    if (!IsPortraitHairStyle(look.hairStyle)) {
        error = recipe.ErrorAt(recipe.Find("HairStyle"), "a HairStyle is short, bun or long");
        return false;
    }
    if (!IsPortraitExpression(look.expression)) {
        error = recipe.ErrorAt(recipe.Find("Expression"),
                               "an Expression is neutral, smile, worry, surprise or sad");
        return false;
    }
    look.faceOnly = faceOnly != 0;
    PaintPortrait(canvas, w, h, look);
    return true;
}

// --- 6b. glow --------------------------------------------------------------------

// A soft round light, optionally with four rays (a sparkle), on a transparent
// picture: particle sprites, and light layers the size of a whole scene.
bool MakeGlow(const Recipe& recipe, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Size", "Centre", "Radius", "Colour", "Rays"}, error)) {
        return false;
    }
    int32_t w = 0, h = 0;
    float centre[2] = {0, 0};
    float radius = 0, rays = 0;
    Colour colour{1, 1, 1, 1};
    if (!GetSize(recipe, w, h, error) || !recipe.GetFloat("Radius", radius, 1, kMaxSide, true, error) ||
        !recipe.GetColour("Colour", colour, true, error) ||
        !recipe.GetFloat("Rays", rays, 0, 1, false, error)) {
        return false;
    }
    centre[0] = float(w) / 2;
    centre[1] = float(h) / 2;
    if (!recipe.GetFloats("Centre", centre, 2, -kMaxSide, kMaxSide, false, error)) {
        return false;
    }
    canvas = Canvas(w, h);
    canvas.Paint([&](float x, float y) {
        const float dx = std::fabs(x - centre[0]), dy = std::fabs(y - centre[1]);
        const float d = std::sqrt(dx * dx + dy * dy) / radius;
        const float core = std::pow(std::clamp(1.0f - d, 0.0f, 1.0f), 2.0f);
        const float thin = 0.05f * radius;
        const float ray = std::max(std::exp(-dy / thin) * std::clamp(1.0f - dx / radius, 0.0f, 1.0f),
                                   std::exp(-dx / thin) * std::clamp(1.0f - dy / radius, 0.0f, 1.0f));
        const float alpha = std::clamp(core + rays * ray, 0.0f, 1.0f) * colour.a;
        return Colour{colour.r, colour.g, colour.b, alpha};
    });
    return true;
}

// A window piece cut from a whole panel: "Piece" names it (TL, T, TR, L, R,
// BL, B, BR, or BG for the centre), "Corner" is the border's size and "Tile"
// the middle tiles' size; the middle pieces come from the panel's centre so
// that tiling them repeats the frame's straight stretch. Without "Piece" the
// panel stays whole.
bool CutPiece(const Recipe& recipe, Canvas& canvas, std::string& error) {
    if (!recipe.Find("Piece")) {
        return true;
    }
    static const char* const kPieces[] = {"TL", "T", "TR", "L", "R", "BL", "B", "BR", "BG"};
    std::string piece;
    int32_t corner = 0, tile = 0;
    if (!recipe.GetText("Piece", piece, true, error) ||
        !recipe.GetInt("Corner", corner, 1, 512, true, error) ||
        !recipe.GetInt("Tile", tile, 1, 512, true, error)) {
        return false;
    }
    const int32_t w = canvas.Width(), h = canvas.Height();
    if (2 * corner + tile > std::min(w, h)) {
        error = recipe.ErrorAt(recipe.Find("Tile"), "the corners and a tile do not fit in the panel");
        return false;
    }
    int32_t index = -1;
    for (int32_t i = 0; i < 9; ++i) {
        if (piece == kPieces[i]) {
            index = i;
        }
    }
    if (index < 0) {
        error = recipe.ErrorAt(recipe.Find("Piece"), "unknown piece '" + piece + "'");
        return false;
    }
    // Column and row of each piece: 0 the first border, 1 the middle, 2 the last border.
    static const int32_t kColumn[] = {0, 1, 2, 0, 2, 0, 1, 2, 1};
    static const int32_t kRow[] = {0, 0, 0, 1, 1, 2, 2, 2, 1};
    const int32_t starts[3][2] = {{0, 0}, {(w - tile) / 2, (h - tile) / 2}, {w - corner, h - corner}};
    const int32_t column = kColumn[index], row = kRow[index];
    const int32_t x = starts[column][0], y = starts[row][1];
    const int32_t cw = column == 1 ? tile : corner, ch = row == 1 ? tile : corner;
    Canvas cut(cw, ch);
    for (int32_t py = 0; py < ch; ++py) {
        for (int32_t px = 0; px < cw; ++px) {
            const float* from = canvas.Pixel(x + px, y + py);
            std::copy(from, from + 4, cut.Pixel(px, py));
        }
    }
    canvas = std::move(cut);
    return true;
}

} // namespace

// --- 6c. the scene's light on object pictures (emoji and clutter) -----------------

void ApplyObjectLight(const ObjectLight& light, Canvas& canvas) {
    const float w = static_cast<float>(canvas.Width()), h = static_cast<float>(canvas.Height());
    const float tint[3] = {1.0f + (light.tint.r - 1.0f) * light.tint.a,
                           1.0f + (light.tint.g - 1.0f) * light.tint.a,
                           1.0f + (light.tint.b - 1.0f) * light.tint.a};
    for (int32_t y = 0; y < canvas.Height(); ++y) {
        for (int32_t x = 0; x < canvas.Width(); ++x) {
            float* p = canvas.Pixel(x, y);
            if (p[3] <= 0.0f) {
                continue;
            }
            // How far the pixel lies from the lit side, 0 … 1.
            const float across = light.from == "left"    ? (x + 0.5f) / w
                                 : light.from == "right" ? 1.0f - (x + 0.5f) / w
                                                         : (y + 0.5f) / h;
            const float dim = 1.0f - light.shade * across;
            const float grey = 0.3f * p[0] + 0.59f * p[1] + 0.11f * p[2];
            for (int i = 0; i < 3; ++i) {
                const float coloured = grey + (p[i] - grey) * light.saturation;
                p[i] = std::clamp(coloured * tint[i] * dim, 0.0f, p[3]);
            }
        }
    }
}

bool ReadObjectLight(const Recipe& recipe, ObjectLight& light, std::string& error) {
    if (!recipe.GetFloat("Saturation", light.saturation, 0, 1, false, error) ||
        !recipe.GetColour("Tint", light.tint, false, error) ||
        !recipe.GetFloat("Shade", light.shade, 0, 1, false, error) ||
        !recipe.GetText("LightFrom", light.from, false, error)) {
        return false;
    }
    if (light.from != "left" && light.from != "right" && light.from != "top") {
        error = recipe.ErrorAt(recipe.Find("LightFrom"), "LightFrom is left, right or top");
        return false;
    }
    return true;
}

uint32_t ParseCharacter(const std::string& character) {
    uint32_t code = 0;
    if (character.size() > 2 && (character[0] == 'U' || character[0] == 'u') && character[1] == '+') {
        char* end = nullptr;
        code = static_cast<uint32_t>(std::strtoul(character.c_str() + 2, &end, 16));
        if (*end != '\0' || character.size() > 8) {
            code = 0;
        }
    } else {
        const std::vector<uint32_t> codes = DecodeUtf8(character);
        code = codes.size() == 1 ? codes[0] : 0;
    }
    return code > 0x10FFFF ? 0 : code;
}

// --- 7. dispatch, fonts and texts ----------------------------------------------

bool IsPictureKind(const std::string& kind) {
    return kind == "background" || kind == "panel" || kind == "text" || kind == "cursor" ||
           kind == "loadbar" || kind == "emoji" || kind == "glow" || kind == "portrait" ||
           kind == "townmap" || kind == "mapprop" || kind == "peg" || kind == "pegboard" || kind == "room" ||
           kind == "lamproom" || kind == "cutout" || kind == "clutter";
}

bool MakePicture(const Recipe& recipe, const std::string& kind, const Sources& sources, Canvas& out,
                 std::string& error) {
    if (kind == "background") {
        return MakeBackground(recipe, sources, out, error);
    }
    if (kind == "panel") {
        return MakePanel(recipe, sources, out, error) && CutPiece(recipe, out, error);
    }
    if (kind == "text") {
        return MakeText(recipe, sources, out, error);
    }
    if (kind == "cursor") {
        return MakeCursor(recipe, sources, out, error);
    }
    if (kind == "loadbar") {
        return MakeLoadBar(recipe, sources, out, error);
    }
    if (kind == "glow") {
        return MakeGlow(recipe, out, error);
    }
    if (kind == "emoji") {
        return MakeEmoji(recipe, sources, out, error);
    }
    if (kind == "townmap") {
        return MakeTownMap(recipe, out, error);
    }
    if (kind == "mapprop") {
        return MakeMapProp(recipe, out, error);
    }
    if (kind == "portrait") {
        return MakePortrait(recipe, out, error);
    }
    if (kind == "peg") {
        return MakePeg(recipe, out, error);
    }
    if (kind == "pegboard") {
        return MakePegBoard(recipe, out, error);
    }
    if (kind == "room") {
        return MakeRoom(recipe, out, error);
    }
    if (kind == "lamproom") {
        return MakeLampRoom(recipe, out, error);
    }
    if (kind == "cutout") {
        return MakeCutout(recipe, sources, out, error);
    }
    if (kind == "clutter") {
        return MakeClutter(recipe, sources, out, error);
    }
    error = recipe.ErrorAt(recipe.Find("Kind"), "unknown picture kind '" + kind + "'");
    return false;
}

std::string FindFont(const Sources& sources, const std::string& name) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    if (fs::path(name).is_absolute()) {
        return fs::is_regular_file(name, ignored) ? name : std::string();
    }
    if (name.find("..") != std::string::npos) {
        return {};
    }
    for (const std::string& directory : sources.fontDirectories) {
        const fs::path candidate = fs::path(directory) / name;
        if (fs::is_regular_file(candidate, ignored)) {
            return candidate.string();
        }
    }
    return {};
}

bool ResolveText(const Recipe& recipe, const RecipeEntry& entry, const Sources& sources, std::string& out,
                 std::string& error) {
    if (entry.value.empty() || entry.value[0] != '@') {
        out = entry.value;
        return true;
    }
    const std::string identifier = entry.value.substr(1);
    const size_t dot = identifier.find('.');
    const std::string table = dot == std::string::npos ? std::string() : identifier.substr(0, dot);
    if (table.empty() || dot + 1 >= identifier.size() || table.find('/') != std::string::npos ||
        table.find("..") != std::string::npos) {
        error = recipe.ErrorAt(&entry, "a text reference is @table.key");
        return false;
    }
    Recipe strings;
    if (!strings.Load(sources.contentDirectory + "/text/" + table + ".config", error)) {
        error = recipe.ErrorAt(&entry, "string table: " + error);
        return false;
    }
    const RecipeEntry* found = strings.Find(identifier.substr(dot + 1));
    if (!found) {
        error = recipe.ErrorAt(&entry, "no text '" + identifier + "' in the string tables");
        return false;
    }
    out = found->value;
    return true;
}
