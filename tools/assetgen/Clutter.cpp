// Kind = clutter: many object pictures of the colour emoji font painted into
// one transparent picture, each at its place, size and turn, in the scene's
// light and with a soft shadow falling away from it.
//
// A level's treasures are single pictures the game can click; the things
// around them that are only there to be looked past would each cost a
// picture and a shadow of their own. Painted together they cost one.
//
// Keys: Size = W H;  Font (default NotoColorEmoji.ttf);  the light keys of
// the emoji kind (Saturation, Tint, Shade, LightFrom);  Shadow = DX DY BLUR
// ALPHA (pixels; default 3 2 2 0.4);  Item = CHARACTER X Y SIZE [TURN
// [LIGHT]], one line each, painted in file order (a later one lies on top):
// the picture's centre at X Y, SIZE pixels square, turned TURN degrees
// clockwise, its colours times LIGHT (0 to 2, default 1: less in a shade).
#include "Glyphs.h"
#include "PictureKinds.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

struct Item {
    uint32_t code = 0;
    float x = 0, y = 0, size = 0, turn = 0, light = 1;
    const RecipeEntry* entry = nullptr;
};

bool ReadItem(const Recipe& recipe, const RecipeEntry* entry, Item& item, std::string& error) {
    const std::vector<std::string> words = Recipe::Words(entry->value);
    item.entry = entry;
    bool ok = words.size() >= 4 && words.size() <= 6;
    ok = ok && (item.code = ParseCharacter(words[0])) != 0;
    ok = ok && Recipe::ParseFloat(words[1], -kMaxSide, kMaxSide, item.x) &&
         Recipe::ParseFloat(words[2], -kMaxSide, kMaxSide, item.y) &&
         Recipe::ParseFloat(words[3], 4, 512, item.size);
    ok = ok && (words.size() < 5 || Recipe::ParseFloat(words[4], -360, 360, item.turn));
    ok = ok && (words.size() < 6 || Recipe::ParseFloat(words[5], 0, 2, item.light));
    if (!ok) {
        error = recipe.ErrorAt(entry,
                               "an Item is: CHARACTER X Y SIZE [TURN [LIGHT]], SIZE 4 to 512, LIGHT 0 to 2");
    }
    return ok;
}

// Paints `picture` (premultiplied) over `canvas` with its centre at cx, cy,
// turned `turn` degrees clockwise, sampled bilinearly, its colours times `light`.
void PaintTurned(Canvas& canvas, const Canvas& picture, float cx, float cy, float turn, float light = 1.0f) {
    const float angle = turn * 3.14159265f / 180.0f;
    const float c = std::cos(angle), s = std::sin(angle);
    const float half = 0.5f * std::hypot(float(picture.Width()), float(picture.Height()));
    const int32_t x0 = std::max(0, int32_t(std::floor(cx - half))),
                  x1 = std::min(canvas.Width(), int32_t(cx + half) + 1);
    const int32_t y0 = std::max(0, int32_t(std::floor(cy - half))),
                  y1 = std::min(canvas.Height(), int32_t(cy + half) + 1);
    const float pw = float(picture.Width()), ph = float(picture.Height());
    for (int32_t y = y0; y < y1; ++y) {
        for (int32_t x = x0; x < x1; ++x) {
            // Back from the canvas into the picture: turn the other way.
            const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
            const float u = c * dx + s * dy + pw * 0.5f - 0.5f;
            const float v = -s * dx + c * dy + ph * 0.5f - 0.5f;
            if (u < -1.0f || v < -1.0f || u > pw || v > ph) {
                continue;
            }
            const int32_t iu = int32_t(std::floor(u)), iv = int32_t(std::floor(v));
            const float fu = u - float(iu), fv = v - float(iv);
            float sample[4] = {0, 0, 0, 0};
            for (int32_t k = 0; k < 4; ++k) {
                const int32_t px = iu + (k & 1), py = iv + (k >> 1);
                if (px < 0 || py < 0 || px >= picture.Width() || py >= picture.Height()) {
                    continue;
                }
                const float weight = ((k & 1) ? fu : 1.0f - fu) * ((k >> 1) ? fv : 1.0f - fv);
                const float* p = picture.Pixel(px, py);
                for (int i = 0; i < 4; ++i) {
                    sample[i] += p[i] * weight;
                }
            }
            float* d = canvas.Pixel(x, y);
            for (int i = 0; i < 3; ++i) {
                d[i] = std::min(sample[i] * light, sample[3]) + d[i] * (1.0f - sample[3]);
            }
            d[3] = sample[3] + d[3] * (1.0f - sample[3]);
        }
    }
}

} // namespace

bool MakeClutter(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys(
            {"Kind", "Size", "Font", "Saturation", "Tint", "Shade", "LightFrom", "Shadow", "Item"}, error)) {
        return false;
    }
    int32_t w = 0, h = 0;
    std::string fontName = "NotoColorEmoji.ttf";
    ObjectLight light;
    float shadow[4] = {3, 2, 2, 0.4f};
    if (!GetSize(recipe, w, h, error) || !recipe.GetText("Font", fontName, false, error) ||
        !ReadObjectLight(recipe, light, error) ||
        !recipe.GetFloats("Shadow", shadow, 4, -64, 64, false, error)) {
        return false;
    }
    if (shadow[2] < 0 || shadow[3] < 0 || shadow[3] > 1) {
        error = recipe.ErrorAt(recipe.Find("Shadow"), "Shadow is: DX DY BLUR ALPHA, BLUR >= 0, ALPHA 0 to 1");
        return false;
    }
    std::vector<Item> items;
    for (const RecipeEntry* entry : recipe.FindAll("Item")) {
        Item item;
        if (!ReadItem(recipe, entry, item, error)) {
            return false;
        }
        items.push_back(item);
    }
    const std::string font = FindFont(sources, fontName);
    if (font.empty()) {
        error = recipe.ErrorAt(recipe.Find("Font"), "font '" + fontName + "' not found");
        return false;
    }
    canvas = Canvas(w, h);
    // Each picture once per size, lit once.
    std::map<std::pair<uint32_t, int32_t>, Canvas> pictures;
    for (const Item& item : items) {
        const int32_t side = std::max(4, int32_t(std::lround(item.size)));
        Canvas& picture = pictures[{item.code, side}];
        if (picture.Width() == 0) {
            if (!RenderEmoji(font, item.code, side, picture, error)) {
                error = recipe.ErrorAt(item.entry, error);
                return false;
            }
            ApplyObjectLight(light, picture);
        }
        // The shadow: the item's own shape, moved, blurred and darkened,
        // under it and over what was painted before.
        if (shadow[3] > 0) {
            Canvas alone(w, h);
            PaintTurned(alone, picture, item.x + shadow[0], item.y + shadow[1], item.turn);
            Mask shape(w, h);
            const int32_t reach = int32_t(item.size) + int32_t(std::ceil(shadow[2])) * 3 + 4;
            for (int32_t y = std::max(0, int32_t(item.y) - reach); y < std::min(h, int32_t(item.y) + reach);
                 ++y) {
                for (int32_t x = std::max(0, int32_t(item.x) - reach);
                     x < std::min(w, int32_t(item.x) + reach); ++x) {
                    shape.At(x, y) = alone.Pixel(x, y)[3];
                }
            }
            canvas.Fill(shadow[2] > 0 ? shape.Blurred(shadow[2]) : shape, Colour{0, 0, 0, shadow[3]});
        }
        PaintTurned(canvas, picture, item.x, item.y, item.turn, item.light);
    }
    return true;
}
