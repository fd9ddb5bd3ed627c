// The background kind: a painted landscape of sky, sun, clouds, sea, hills
// with trees and a small harbour town, built up far to near.
#include "PictureKinds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>
#include <vector>

namespace {

// One hill layer: its colour, the mean height of its crest line and how much
// the crest rises and falls.
struct Hill {
    Colour colour;
    float base = 0, amplitude = 0, cell = 260;
};

bool ReadHills(const Recipe& recipe, std::vector<Hill>& hills, std::string& error) {
    for (const RecipeEntry* entry : recipe.FindAll("Hill")) {
        const std::vector<std::string> words = Recipe::Words(entry->value);
        Hill hill;
        if (words.size() < 3 || words.size() > 4 || !Recipe::ParseColour(words[0], hill.colour) ||
            !Recipe::ParseFloat(words[1], -kMaxSide, kMaxSide, hill.base) ||
            !Recipe::ParseFloat(words[2], 0, kMaxSide, hill.amplitude) ||
            (words.size() == 4 && !Recipe::ParseFloat(words[3], 8, kMaxSide, hill.cell))) {
            error = recipe.ErrorAt(entry, "a Hill is: #colour crest-height amplitude [width-of-a-rise]");
            return false;
        }
        hills.push_back(hill);
    }
    return true;
}

float Crest(const Hill& hill, float x, uint32_t seed) {
    return hill.base + hill.amplitude * (FractalNoise(x, 0.5f, hill.cell, 3, seed) * 2.0f - 1.0f);
}

// Houses with lit windows and a lighthouse standing on a crest.
void PaintTown(Canvas& canvas, const Hill& hill, uint32_t seed, float from, float to, const Colour& colour,
               const Colour& light) {
    Random random(seed * 31u + 7u);
    Mask walls(canvas.Width(), canvas.Height());
    std::vector<std::array<float, 4>> windows;
    float x = from;
    while (x < to) {
        const float width = random.Range(26, 46);
        const float height = random.Range(26, 48);
        const float ground = Crest(hill, x + width * 0.5f, seed) + 6.0f;
        walls.AddRoundedRect(x, ground - height, x + width, ground + 20, 1.5f);
        // A pitched roof.
        walls.AddPolygon({{x - 3, ground - height}, {x + width * 0.5f, ground - height - width * 0.45f},
                          {x + width + 3, ground - height}});
        if (random.Unit() < 0.5f) {
            walls.AddRoundedRect(x + width * 0.7f, ground - height - width * 0.45f, x + width * 0.82f,
                                 ground - height - 4, 1);
        }
        for (float wy = ground - height + 8; wy < ground - 8; wy += 14) {
            for (float wx = x + 7; wx + 6 < x + width - 4; wx += 13) {
                if (random.Unit() < 0.55f) {
                    windows.push_back({wx, wy, wx + 6, wy + 7});
                }
            }
        }
        x += width + random.Range(2, 14);
    }
    // The lighthouse at the end of the row.
    const float lx = to + 30;
    const float ground = Crest(hill, lx, seed) + 6.0f;
    walls.AddPolygon({{lx - 14, ground + 20}, {lx - 9, ground - 120}, {lx + 9, ground - 120}, {lx + 14, ground + 20}});
    walls.AddRoundedRect(lx - 13, ground - 126, lx + 13, ground - 119, 2);
    walls.AddPolygon({{lx - 10, ground - 142}, {lx, ground - 156}, {lx + 10, ground - 142}});
    walls.AddRoundedRect(lx - 9, ground - 143, lx + 9, ground - 126, 1);
    canvas.Fill(walls, colour);
    Mask lit(canvas.Width(), canvas.Height());
    for (const auto& w : windows) {
        lit.AddRoundedRect(w[0], w[1], w[2], w[3], 1);
    }
    lit.AddRoundedRect(lx - 6, ground - 140, lx + 6, ground - 129, 1);
    canvas.Fill(lit.Blurred(7), Colour{light.r, light.g, light.b, 0.8f});
    canvas.Fill(lit, light);
    // The lantern's beam: a cone towards the left, fading with distance.
    Mask beam(canvas.Width(), canvas.Height());
    const Point lamp{lx, ground - 135};
    const float reach = 300;
    beam.AddPolygon({lamp, {lamp.x - reach, lamp.y - 34}, {lamp.x - reach, lamp.y + 30}});
    canvas.Fill(beam.Blurred(6), [&](float x, float) {
        const float fade = std::clamp(1.0f - (lamp.x - x) / reach, 0.0f, 1.0f);
        return Colour{light.r, light.g, light.b, 0.32f * fade * fade};
    });
}

// Round trees standing along a crest: a trunk and a crown of three puffs,
// lit on the sun's side.
template <typename CrestAt>
void PaintTrees(Canvas& canvas, const Colour& hill, const Colour& sun, const CrestAt& crestAt, int32_t count,
                uint32_t seed) {
    Random random(seed);
    const float w = static_cast<float>(canvas.Width());
    const Colour leaves = Darker(hill, 0.72f), trunk{0.28f, 0.2f, 0.14f, 1};
    for (int32_t t = 0; t < count; ++t) {
        const float x = random.Range(10, w - 10);
        const float size = random.Range(0.7f, 1.3f);
        const float ground = crestAt(x) + 4 * size;
        Mask stem(canvas.Width(), canvas.Height()), crown(canvas.Width(), canvas.Height());
        stem.AddRoundedRect(x - 2.2f * size, ground - 22 * size, x + 2.2f * size, ground + 2, 1);
        crown.AddCircle(x, ground - 34 * size, 13 * size);
        crown.AddCircle(x - 9 * size, ground - 25 * size, 10 * size);
        crown.AddCircle(x + 9 * size, ground - 26 * size, 10.5f * size);
        Mask shadow(canvas.Width(), canvas.Height());
        shadow.AddRoundedRect(x - 4 * size, ground - 2 * size, x + 20 * size, ground + 3 * size, 3 * size);
        canvas.Fill(shadow.Blurred(3), Colour{0, 0, 0, 0.18f});
        canvas.Fill(stem, trunk);
        const float top = ground - 47 * size, height = 34 * size;
        canvas.Fill(crown, [&](float px, float py) {
            const float light = std::clamp(1.0f - (py - top) / height, 0.0f, 1.0f) * 0.5f +
                                std::clamp((x - px) / (22 * size), -0.5f, 0.5f) * 0.4f;
            return Mix(Darker(leaves, 0.8f), Mix(leaves, sun, 0.25f), std::clamp(light + 0.3f, 0.0f, 1.0f));
        });
    }
}

} // namespace

bool MakeBackground(const Recipe& recipe, const Sources&, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Size", "Seed", "SkyTop", "SkyHorizon", "Horizon", "Sun", "SunColour", "Clouds",
                           "CloudColour", "Sea", "Hill", "Trees", "Town", "TownColour", "WindowColour", "Vignette", "Grain",
                           "Water", "Quay", "Bollards", "KerbColour", "Lamp", "Stall", "Crate"},
                          error)) {
        return false;
    }
    int32_t w = 0, h = 0, seed = 1, clouds = 0, town = -1;
    Colour skyTop{0.2f, 0.35f, 0.6f, 1}, skyHorizon{0.95f, 0.8f, 0.6f, 1}, sunColour{1, 0.95f, 0.8f, 1};
    Colour seaColour{0.25f, 0.45f, 0.6f, 1};
    Colour cloudColour{1, 0.97f, 0.94f, 0.85f}, townColour{0.2f, 0.18f, 0.25f, 1}, windowColour{1, 0.85f, 0.45f, 1};
    float horizon = 0, sun[3] = {0, 0, 0}, vignette = 0, grain = 0, townSpan[2] = {0, 0};
    std::vector<Hill> hills;
    if (!GetSize(recipe, w, h, error) || !recipe.GetInt("Seed", seed, 0, 1 << 30, false, error) ||
        !recipe.GetColour("SkyTop", skyTop, false, error) || !recipe.GetColour("SkyHorizon", skyHorizon, false, error) ||
        !recipe.GetFloat("Horizon", horizon, 0, kMaxSide, true, error) ||
        !recipe.GetFloats("Sun", sun, 3, -kMaxSide, kMaxSide, false, error) ||
        !recipe.GetColour("SunColour", sunColour, false, error) || !recipe.GetInt("Clouds", clouds, 0, 40, false, error) ||
        !recipe.GetColour("CloudColour", cloudColour, false, error) || !recipe.GetColour("Sea", seaColour, false, error) ||
        !ReadHills(recipe, hills, error) ||
        !recipe.GetColour("TownColour", townColour, false, error) ||
        !recipe.GetColour("WindowColour", windowColour, false, error) ||
        !recipe.GetFloat("Vignette", vignette, 0, 1, false, error) || !recipe.GetFloat("Grain", grain, 0, 1, false, error)) {
        return false;
    }
    std::vector<std::pair<int32_t, int32_t>> trees;
    for (const RecipeEntry* entry : recipe.FindAll("Trees")) {
        const std::vector<std::string> words = Recipe::Words(entry->value);
        float layer = 0, count = 0;
        if (words.size() != 2 || !Recipe::ParseFloat(words[0], 0, 64, layer) ||
            layer >= static_cast<float>(hills.size()) || !Recipe::ParseFloat(words[1], 0, 200, count)) {
            error = recipe.ErrorAt(entry, "Trees is: hill-number (from 0) count");
            return false;
        }
        trees.emplace_back(static_cast<int32_t>(layer), static_cast<int32_t>(count));
    }
    if (const RecipeEntry* entry = recipe.Find("Town")) {
        const std::vector<std::string> words = Recipe::Words(entry->value);
        float layer = 0;
        if (words.size() != 3 || !Recipe::ParseFloat(words[0], 0, 64, layer) || layer >= static_cast<float>(hills.size()) ||
            !Recipe::ParseFloat(words[1], 0, kMaxSide, townSpan[0]) ||
            !Recipe::ParseFloat(words[2], townSpan[0], kMaxSide, townSpan[1])) {
            error = recipe.ErrorAt(entry, "Town is: hill-number (from 0) left right");
            return false;
        }
        town = static_cast<int32_t>(layer);
    }
    const auto base = static_cast<uint32_t>(seed);
    canvas = Canvas(w, h);
    // Sky: a gradient to the horizon, warmed by a wide glow round the sun.
    canvas.Paint([&](float x, float y) {
        Colour c = Mix(skyTop, skyHorizon, std::pow(std::clamp(y / horizon, 0.0f, 1.0f), 1.6f));
        if (sun[2] > 0) {
            const float d = std::hypot(x - sun[0], y - sun[1]) / (sun[2] * 6.0f);
            c = Mix(c, sunColour, 0.55f * std::exp(-d * d * 2.5f));
        }
        return c;
    });
    if (sun[2] > 0) {
        Mask disc(w, h);
        disc.AddCircle(sun[0], sun[1], sun[2]);
        canvas.Fill(disc.Blurred(sun[2] * 0.6f), Colour{sunColour.r, sunColour.g, sunColour.b, 0.5f});
        canvas.Fill(disc, Colour{1, 0.98f, 0.9f, 0.95f});
    }
    // Clouds: rows of puffs, biggest in the middle, on a flat base; lit from
    // above and shaded underneath.
    Random random(base);
    for (int32_t c = 0; c < clouds; ++c) {
        Mask cloud(w, h);
        const float cx = random.Range(0, static_cast<float>(w)), cy = random.Range(horizon * 0.1f, horizon * 0.55f);
        const float size = random.Range(0.55f, 1.25f);
        const float half = random.Range(80, 130) * size;
        const int32_t puffs = 5 + static_cast<int32_t>(random.Unit() * 4);
        for (int32_t k = 0; k < puffs; ++k) {
            const float t = (static_cast<float>(k) + 0.5f) / static_cast<float>(puffs);
            const float radius = (18 + 26 * std::sin(3.14159265f * t)) * size * random.Range(0.8f, 1.15f);
            cloud.AddCircle(cx - half + 2 * half * t + random.Range(-8, 8) * size, cy - radius * 0.45f, radius);
        }
        cloud.AddRoundedRect(cx - half - 6 * size, cy - 14 * size, cx + half + 6 * size, cy + 6 * size, 10 * size);
        const Mask soft = cloud.Blurred(5);
        const Colour shade = Mix(skyHorizon, Colour{0.72f, 0.68f, 0.78f, 1}, 0.55f);
        canvas.Fill(soft, [&](float, float y) {
            const float t = std::clamp((y - (cy - 50 * size)) / (56 * size), 0.0f, 1.0f);
            return Mix(cloudColour, Colour{shade.r, shade.g, shade.b, cloudColour.a}, t * t);
        });
    }
    // The sea from the horizon down, with the sun's glitter on it.
    if (recipe.Find("Sea")) {
        Mask sea(w, h);
        sea.AddDistance([&](float, float y) { return horizon - y; }, 0, horizon - 1, static_cast<float>(w), static_cast<float>(h));
        canvas.Fill(sea, [&](float x, float y) {
            const float depth = std::clamp((y - horizon) / 90.0f, 0.0f, 1.0f);
            Colour c = Mix(Mix(seaColour, skyHorizon, 0.55f), seaColour, depth);
            // Long, thin ripples.
            const float ripple = FractalNoise(x * 0.12f, y * 3.0f, 30, 2, base + 3u) - 0.5f;
            c = Darker(c, 1.0f + ripple * 0.18f);
            if (sun[2] > 0) {
                const float spread = sun[2] * (1.2f + (y - horizon) * 0.04f);
                const float near = std::exp(-std::pow((x - sun[0]) / spread, 2.0f));
                const float glint = SmoothStep(0.55f, 0.72f, FractalNoise(x * 0.3f, y * 3.0f, 12, 2, base + 9u));
                c = Mix(c, Colour{1, 0.97f, 0.85f, 1}, near * (0.2f + glint * 0.8f));
            }
            return c;
        });
    }
    // Hills, far to near; each lighter towards its crest, as in hazy air.
    for (size_t i = 0; i < hills.size(); ++i) {
        const Hill& hill = hills[i];
        const uint32_t hillSeed = base + static_cast<uint32_t>(i) * 977u;
        if (static_cast<int32_t>(i) == town) {
            PaintTown(canvas, hill, hillSeed, townSpan[0], townSpan[1], townColour, windowColour);
        }
        Mask land(w, h);
        std::vector<float> crest(static_cast<size_t>(w));
        for (int32_t x = 0; x < w; ++x) {
            crest[static_cast<size_t>(x)] = Crest(hill, x + 0.5f, hillSeed);
        }
        land.AddDistance([&](float x, float y) { return crest[static_cast<size_t>(std::clamp<int32_t>(static_cast<int32_t>(x), 0, w - 1))] - y; });
        const Colour haze = Mix(hill.colour, skyHorizon, 0.3f);
        const Colour lit = Mix(hill.colour, sunColour, 0.3f);
        const auto crestAt = [&](float x) { return crest[static_cast<size_t>(std::clamp<int32_t>(static_cast<int32_t>(x), 0, w - 1))]; };
        canvas.Fill(land, [&](float x, float y) {
            const float below = y - crestAt(x);
            // A sunlit rim, a hazy band under the crest, then deeper colour.
            Colour c = Mix(haze, hill.colour, std::clamp(below / 40.0f, 0.0f, 1.0f));
            c = Mix(c, lit, std::exp(-below / 3.0f) * 0.6f);
            c = Darker(c, 1.0f - 0.18f * std::clamp((below - 40.0f) / 220.0f, 0.0f, 1.0f));
            // Brush-stroke texture: long, flat noise.
            const float stroke = FractalNoise(x * 0.25f, y * 1.6f, 40, 3, hillSeed + 5u) - 0.5f;
            return Darker(c, 1.0f + stroke * 0.14f);
        });
        for (const auto& [layer, count] : trees) {
            if (layer == static_cast<int32_t>(i)) {
                PaintTrees(canvas, hill.colour, sunColour, crestAt, count, hillSeed + 77u);
            }
        }
    }
    if (!PaintHarbourFront(recipe, canvas, sunColour, sun[0], skyHorizon, seaColour, base, error)) {
        return false;
    }
    // Canvas grain and vignette.
    canvas.Shade([&](float x, float y) {
        const float nx = x / w - 0.5f, ny = y / h - 0.5f;
        const float edge = 1.0f - vignette * std::pow(std::min(1.0f, (nx * nx + ny * ny) * 2.0f), 1.5f);
        const float noise = (FractalNoise(x, y, 3, 2, base + 17u) - 0.5f) * grain;
        return edge * (1.0f + noise);
    });
    return true;
}
