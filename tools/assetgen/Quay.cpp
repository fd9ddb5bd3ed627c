// The harbour front of the background kind: a wooden quay from a line down
// to the bottom of the picture, its stone kerb with iron bollards, a market
// stall with a striped awning, lamp posts and stacked crates, all lit from
// the sun's side and painted over the landscape.
#include "PictureKinds.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Stall {
    float left = 0, top = 0, width = 0, height = 0;
    Colour stripe{0.75f, 0.2f, 0.18f, 1}, cloth{0.96f, 0.9f, 0.78f, 1};
};

/// How much brighter a point is on the sun's side: 1 + up to `strength`.
float SideLight(float x, float sunX, float width, float strength) {
    return 1.0f + strength * std::clamp(1.0f - std::fabs(x - sunX) / width, 0.0f, 1.0f);
}

void PaintPlanks(Canvas& canvas, float top, const Colour& wood, const Colour& haze, const Colour& sunColour,
                 float sunX, uint32_t seed) {
    const float w = static_cast<float>(canvas.Width()), h = static_cast<float>(canvas.Height());
    // Boards run across the picture; seen from above at a slant they get
    // taller towards the viewer.
    std::vector<float> seams;
    for (float v = 0; v <= 1.0001f; v += 1.0f / 16.0f) {
        seams.push_back(top + (h - top) * std::pow(v, 1.45f));
    }
    Mask deck(canvas.Width(), canvas.Height());
    deck.AddDistance([&](float, float y) { return top - y; }, 0, top - 1, w, h);
    canvas.Fill(deck, [&](float x, float y) {
        size_t board = 0;
        while (board + 2 < seams.size() && y >= seams[board + 1]) {
            ++board;
        }
        const float y0 = seams[board], y1 = seams[board + 1];
        const float t = (y - y0) / std::max(1.0f, y1 - y0);
        Random shade(seed + static_cast<uint32_t>(board) * 131u);
        Colour c = Darker(wood, shade.Range(0.82f, 1.08f));
        // Grain: long streaks along the board.
        const float grain =
            FractalNoise(x * 0.06f, y * 2.4f, 18, 3, seed + static_cast<uint32_t>(board)) - 0.5f;
        c = Darker(c, 1.0f + grain * 0.35f);
        // Butt joints, staggered board by board.
        const float length = (y1 - y0) * 9.0f + 60.0f;
        const float offset = shade.Range(0, length);
        const float along = std::fmod(x + offset, length);
        if (along < 2.0f) {
            c = Darker(c, 0.45f);
        }
        // A dark seam between boards, with the lit edge just below it.
        c = Darker(c, 0.55f + 0.45f * SmoothStep(0.0f, 0.12f, t));
        c = Darker(c, 1.0f + 0.12f * (1.0f - SmoothStep(0.1f, 0.3f, t)));
        // Far boards take the evening haze; the sun's side is warmer.
        const float far = 1.0f - std::clamp((y - top) / ((h - top) * 0.6f), 0.0f, 1.0f);
        c = Mix(c, haze, far * 0.35f);
        c = Darker(c, SideLight(x, sunX, w * 0.8f, 0.25f));
        c = Mix(c, sunColour, 0.12f * std::clamp(1.0f - std::fabs(x - sunX) / w, 0.0f, 1.0f));
        return c;
    });
}

void PaintKerb(Canvas& canvas, float top, const Colour& stone, float sunX, uint32_t seed, int32_t bollards) {
    const float w = static_cast<float>(canvas.Width());
    const float bottom = top + 16.0f;
    Mask kerb(canvas.Width(), canvas.Height());
    kerb.AddRoundedRect(-10, top - 4, w + 10, bottom, 3);
    Mask shadow = kerb.Shifted(0, 6).Blurred(5);
    canvas.Fill(shadow, Colour{0, 0, 0, 0.35f});
    canvas.Fill(kerb, [&](float x, float y) {
        const float block = std::fmod(x + (y < top + 6 ? 0.0f : 23.0f), 46.0f);
        Colour c = Darker(stone, 0.9f + 0.2f * FractalNoise(x, y, 6, 2, seed + 3u));
        if (block < 1.5f) {
            c = Darker(c, 0.6f);
        }
        c = Darker(c, 1.0f + 0.2f * (1.0f - SmoothStep(top - 4, top + 3, y)));
        return Darker(c, SideLight(x, sunX, w, 0.2f));
    });
    // Iron bollards along the edge, each with its shadow falling away from the sun.
    Random random(seed + 41u);
    for (int32_t b = 0; b < bollards; ++b) {
        const float x =
            (static_cast<float>(b) + 0.5f) * w / static_cast<float>(bollards) + random.Range(-30, 30);
        const float side = x < sunX ? -1.0f : 1.0f;
        Mask cast(canvas.Width(), canvas.Height());
        cast.AddPolygon({{x - 9, bottom},
                         {x + 9, bottom},
                         {x + 9 + side * 40, bottom + 10},
                         {x - 9 + side * 40, bottom + 12}});
        canvas.Fill(cast.Blurred(3), Colour{0, 0, 0, 0.3f});
        Mask post(canvas.Width(), canvas.Height());
        post.AddRoundedRect(x - 9, top - 26, x + 9, bottom, 4);
        post.AddRoundedRect(x - 13, top - 30, x + 13, top - 22, 4);
        canvas.Fill(post, [&](float px, float) {
            const float lit = std::clamp((sunX < x ? x - px : px - x) / 13.0f, -1.0f, 1.0f);
            return Mix(Colour{0.1f, 0.1f, 0.12f, 1}, Colour{0.42f, 0.38f, 0.36f, 1}, 0.5f + lit * 0.5f);
        });
    }
}

void PaintStall(Canvas& canvas, const Stall& stall, float sunX, uint32_t seed) {
    const float x0 = stall.left, x1 = stall.left + stall.width;
    const float y0 = stall.top, y1 = stall.top + stall.height;
    const float awningBottom = y0 + stall.height * 0.26f;
    const float counterTop = y0 + stall.height * 0.6f;
    // Its shadow on the boards, away from the sun.
    const float side = (x0 + x1) * 0.5f < sunX ? -1.0f : 1.0f;
    Mask cast(canvas.Width(), canvas.Height());
    cast.AddPolygon({{x0, y1}, {x1, y1}, {x1 + side * 80, y1 + 30}, {x0 + side * 80, y1 + 30}});
    canvas.Fill(cast.Blurred(10), Colour{0, 0, 0, 0.35f});
    // Poles.
    Mask poles(canvas.Width(), canvas.Height());
    poles.AddRoundedRect(x0 + 6, y0 + 4, x0 + 16, y1, 3);
    poles.AddRoundedRect(x1 - 16, y0 + 4, x1 - 6, y1, 3);
    canvas.Fill(poles, Colour{0.3f, 0.2f, 0.12f, 1});
    // The back cloth in the stall's shade, then the counter of planks.
    Mask back(canvas.Width(), canvas.Height());
    back.AddRoundedRect(x0 + 14, awningBottom - 4, x1 - 14, counterTop, 2);
    canvas.Fill(back, Colour{0.24f, 0.17f, 0.14f, 1});
    Mask counter(canvas.Width(), canvas.Height());
    counter.AddRoundedRect(x0 + 2, counterTop, x1 - 2, y1, 3);
    canvas.Fill(counter, [&](float x, float y) {
        const float plank = std::fmod(y - counterTop, 18.0f);
        Colour c{0.52f, 0.34f, 0.2f, 1};
        c = Darker(c, 0.85f + 0.3f * FractalNoise(x * 0.08f, y * 1.5f, 14, 2, seed + 5u));
        if (plank < 1.6f) {
            c = Darker(c, 0.55f);
        }
        c = Darker(c, 1.0f + 0.25f * (1.0f - SmoothStep(counterTop, counterTop + 6, y)));
        return Darker(c, SideLight(x, sunX, 700, 0.2f));
    });
    // The awning: stripes with a scalloped hem, lighter at its top edge.
    Mask awning(canvas.Width(), canvas.Height());
    awning.AddPolygon({{x0 - 18, awningBottom}, {x0 + 10, y0}, {x1 - 10, y0}, {x1 + 18, awningBottom}});
    const float stripe = stall.width / 9.0f;
    for (float sx = x0 - 18 + stripe * 0.5f; sx < x1 + 18; sx += stripe * 0.5f) {
        awning.AddCircle(sx, awningBottom, stripe * 0.25f);
    }
    canvas.Fill(awning.Shifted(0, 8).Blurred(6), Colour{0, 0, 0, 0.3f});
    canvas.Fill(awning, [&](float x, float y) {
        // Stripes fan out with the awning's slope.
        const float t = std::clamp((y - y0) / (awningBottom - y0), 0.0f, 1.0f);
        const float centre = (x0 + x1) * 0.5f;
        const float spread = 1.0f + t * (36.0f / stall.width);
        const float u = (x - centre) / spread + stall.width * 0.5f;
        const bool dark = static_cast<int32_t>(std::floor(u / stripe)) % 2 == 0;
        Colour c = dark ? stall.stripe : stall.cloth;
        c = Darker(c, 0.8f + 0.3f * (1.0f - t));
        const float fold = std::sin(u / stripe * 3.14159265f * 2.0f) * 0.06f;
        c = Darker(c, 1.0f + fold);
        return Darker(c, SideLight(x, sunX, 700, 0.15f));
    });
}

void PaintLamp(Canvas& canvas, float x, float top, float bottom, const Colour& light) {
    Mask pole(canvas.Width(), canvas.Height());
    pole.AddRoundedRect(x - 4, top + 20, x + 4, bottom, 2);
    pole.AddRoundedRect(x - 10, bottom - 10, x + 10, bottom, 3);
    pole.AddRoundedRect(x - 12, top - 4, x + 12, top, 2);
    pole.AddPolygon({{x - 8, top - 4}, {x, top - 16}, {x + 8, top - 4}});
    canvas.Fill(pole, Colour{0.12f, 0.11f, 0.12f, 1});
    Mask glass(canvas.Width(), canvas.Height());
    glass.AddRoundedRect(x - 9, top, x + 9, top + 20, 2);
    canvas.Fill(glass.Grown(30).Blurred(26), Colour{light.r, light.g, light.b, 0.45f});
    canvas.Fill(glass, light);
    Mask frame(canvas.Width(), canvas.Height());
    frame.AddRoundedRect(x - 1, top, x + 1, top + 20, 0);
    frame.AddRoundedRect(x - 10, top + 18, x + 10, top + 22, 1);
    canvas.Fill(frame, Colour{0.12f, 0.11f, 0.12f, 1});
}

void PaintCrate(Canvas& canvas, float x, float y, float size, float sunX, uint32_t seed) {
    const float top = size * 0.22f;
    Mask cast(canvas.Width(), canvas.Height());
    const float side = x + size * 0.5f < sunX ? -1.0f : 1.0f;
    cast.AddPolygon({{x, y + size},
                     {x + size, y + size},
                     {x + size + side * size * 0.6f, y + size + 18},
                     {x + side * size * 0.6f, y + size + 20}});
    canvas.Fill(cast.Blurred(6), Colour{0, 0, 0, 0.35f});
    Mask front(canvas.Width(), canvas.Height());
    front.AddRoundedRect(x, y, x + size, y + size, 2);
    canvas.Fill(front, [&](float px, float py) {
        Colour c{0.62f, 0.44f, 0.26f, 1};
        c = Darker(c, 0.85f + 0.3f * FractalNoise(px * 0.1f, py * 1.2f, 10, 2, seed));
        const float board = std::fmod(py - y, size / 4.0f);
        if (board < 1.5f) {
            c = Darker(c, 0.6f);
        }
        // Frame and a cross brace.
        const float u = (px - x) / size, v = (py - y) / size;
        const bool frameEdge = u < 0.09f || u > 0.91f || v < 0.09f || v > 0.91f;
        const bool brace = std::fabs(u - v) < 0.06f;
        if (frameEdge || brace) {
            c = Darker(c, 0.78f);
        }
        return Darker(c, SideLight(px, sunX, 900, 0.25f));
    });
    Mask lid(canvas.Width(), canvas.Height());
    lid.AddPolygon({{x, y}, {x + size * 0.12f, y - top}, {x + size * 1.12f, y - top}, {x + size, y}});
    canvas.Fill(lid, Colour{0.74f, 0.56f, 0.34f, 1});
}

// The harbour's water between the far shore and the quay, with the sun's
// glitter and the far shore's reflection darkening its upper edge.
void PaintWater(Canvas& canvas, float top, float bottom, const Colour& sea, const Colour& haze,
                const Colour& sunColour, float sunX, uint32_t seed) {
    const float w = static_cast<float>(canvas.Width());
    Mask water(canvas.Width(), canvas.Height());
    water.AddDistance([&](float, float y) { return std::max(top - y, y - bottom); }, 0, top - 1, w,
                      bottom + 1);
    canvas.Fill(water, [&](float x, float y) {
        const float depth = std::clamp((y - top) / std::max(1.0f, bottom - top), 0.0f, 1.0f);
        Colour c = Mix(Darker(Mix(sea, haze, 0.3f), 0.8f), sea, SmoothStep(0.0f, 0.35f, depth));
        const float ripple = FractalNoise(x * 0.1f, y * 2.6f, 26, 2, seed + 3u) - 0.5f;
        c = Darker(c, 1.0f + ripple * 0.22f);
        const float spread = 60.0f + (y - top) * 0.9f;
        const float near = std::exp(-std::pow((x - sunX) / spread, 2.0f));
        const float glint = SmoothStep(0.55f, 0.72f, FractalNoise(x * 0.3f, y * 2.6f, 10, 2, seed + 9u));
        return Mix(c, sunColour, near * (0.15f + glint * 0.75f));
    });
}

bool ReadNumbers(const Recipe& recipe, const RecipeEntry* entry, size_t count, float* out, const char* form,
                 std::string& error) {
    const std::vector<std::string> words = Recipe::Words(entry->value);
    bool ok = words.size() == count;
    for (size_t i = 0; ok && i < count; ++i) {
        ok = Recipe::ParseFloat(words[i], -kMaxSide, kMaxSide, out[i]);
    }
    if (!ok) {
        error = recipe.ErrorAt(entry, form);
    }
    return ok;
}

} // namespace

bool PaintHarbourFront(const Recipe& recipe, Canvas& canvas, const Colour& sunColour, float sunX,
                       const Colour& haze, const Colour& sea, uint32_t seed, std::string& error) {
    const RecipeEntry* quay = recipe.Find("Quay");
    if (!quay) {
        return true;
    }
    const std::vector<std::string> words = Recipe::Words(quay->value);
    float top = 0;
    Colour wood;
    if (words.size() != 2 || !Recipe::ParseFloat(words[0], 0, kMaxSide, top) ||
        !Recipe::ParseColour(words[1], wood)) {
        error = recipe.ErrorAt(quay, "Quay is: top-y #wood-colour");
        return false;
    }
    int32_t bollards = 0;
    Colour stone{0.55f, 0.5f, 0.46f, 1};
    if (!recipe.GetInt("Bollards", bollards, 0, 40, false, error) ||
        !recipe.GetColour("KerbColour", stone, false, error)) {
        return false;
    }
    float water = -1;
    if (!recipe.GetFloat("Water", water, 0, kMaxSide, false, error)) {
        return false;
    }
    if (water >= 0 && water < top) {
        PaintWater(canvas, water, top, sea, haze, sunColour, sunX, seed + 97u);
    }
    PaintPlanks(canvas, top, wood, haze, sunColour, sunX, seed + 101u);
    PaintKerb(canvas, top, stone, sunX, seed + 103u, bollards);
    for (const RecipeEntry* entry : recipe.FindAll("Lamp")) {
        float lamp[3];
        if (!ReadNumbers(recipe, entry, 3, lamp, "Lamp is: x top bottom", error)) {
            return false;
        }
        PaintLamp(canvas, lamp[0], lamp[1], lamp[2], Colour{1, 0.86f, 0.5f, 1});
    }
    for (const RecipeEntry* entry : recipe.FindAll("Stall")) {
        const std::vector<std::string> parts = Recipe::Words(entry->value);
        Stall stall;
        if (parts.size() != 6 || !Recipe::ParseFloat(parts[0], -kMaxSide, kMaxSide, stall.left) ||
            !Recipe::ParseFloat(parts[1], -kMaxSide, kMaxSide, stall.top) ||
            !Recipe::ParseFloat(parts[2], 20, kMaxSide, stall.width) ||
            !Recipe::ParseFloat(parts[3], 20, kMaxSide, stall.height) ||
            !Recipe::ParseColour(parts[4], stall.stripe) || !Recipe::ParseColour(parts[5], stall.cloth)) {
            error = recipe.ErrorAt(entry, "Stall is: left top width height #stripe #cloth");
            return false;
        }
        PaintStall(canvas, stall, sunX, seed + 107u);
    }
    uint32_t crateSeed = seed + 109u;
    for (const RecipeEntry* entry : recipe.FindAll("Crate")) {
        float crate[3];
        if (!ReadNumbers(recipe, entry, 3, crate, "Crate is: left top size", error)) {
            return false;
        }
        PaintCrate(canvas, crate[0], crate[1], std::max(8.0f, crate[2]), sunX, crateSeed++);
    }
    return true;
}
