// Kind = lamproom: the lamp room at the top of a lighthouse at night, seen
// from inside. A ring of glazing runs round the room (its iron bars closer
// together towards the sides, because the wall curves away), with the night
// sky, stars, the moon and the sea outside and the gallery rail beyond the
// glass; below it a panelled wall with a sill, a plank floor, a workbench on
// the left, and in the middle the great lens on its pedestal: a barrel of
// glass prisms held by brass ribs. A lantern on the floor gives the warm
// light; the moon a cool one from behind the glass.

#include "PictureKinds.h"

#include <algorithm>
#include <cmath>

namespace {

Colour Scaled(const Colour& c, float f) {
    return Colour{std::clamp(c.r * f, 0.0f, 1.0f), std::clamp(c.g * f, 0.0f, 1.0f),
                  std::clamp(c.b * f, 0.0f, 1.0f), c.a};
}

// Wood grain: long streaks along x.
float WoodGrain(float x, float y, uint32_t seed) {
    const float wave = FractalNoise(x * 0.02f, y * 0.02f, 1.0f, 2, seed) * 6.0f;
    return FractalNoise(x * 0.004f, (y + wave) * 0.09f, 1.0f, 3, seed + 7);
}

// The x of bar `i` of `count` + 1 bars across a curved wall of half-width
// `half` round `centre`: evenly spaced in angle, so closer at the sides.
float BarX(int32_t i, int32_t count, float centre, float half) {
    const float angle = -1.3f + 2.6f * float(i) / float(count);
    return centre + half * std::sin(angle) / std::sin(1.3f);
}

struct LampRoomSettings {
    int32_t w = 0, h = 0, seed = 1, panes = 9, stars = 60;
    float glazing[2] = {0, 0}, horizon = 0, floorLine = 0, vignette = 0.5f, grain = 0.03f;
    float lens[4] = {0, 0, 0, 0}, lamp[3] = {0, 0, 0}, moon[3] = {0, 0, 0}, bench[4] = {0, 0, 0, 0};
    Colour skyTop{0.05f, 0.07f, 0.2f, 1}, skyHorizon{0.6f, 0.35f, 0.3f, 1}, sea{0.05f, 0.1f, 0.2f, 1};
    Colour wall{0.4f, 0.25f, 0.2f, 1}, wallBottom{0.2f, 0.12f, 0.1f, 1}, floor{0.35f, 0.2f, 0.1f, 1};
    Colour brass{0.8f, 0.6f, 0.3f, 1}, glass{0.55f, 0.7f, 0.7f, 1}, lampColour{1.0f, 0.75f, 0.4f, 1};
};

bool ReadLampRoom(const Recipe& recipe, LampRoomSettings& s, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Size", "Seed", "SkyTop", "SkyHorizon", "Sea", "Glazing", "Horizon", "Panes",
                           "Stars", "Moon", "Wall", "WallBottom", "Floor", "FloorLine", "Lens", "Brass", "Glass",
                           "Bench", "Lamp", "LampColour", "Vignette", "Grain"},
                          error)) {
        return false;
    }
    return GetSize(recipe, s.w, s.h, error) && recipe.GetInt("Seed", s.seed, 0, 1 << 30, false, error) &&
           recipe.GetColour("SkyTop", s.skyTop, false, error) &&
           recipe.GetColour("SkyHorizon", s.skyHorizon, false, error) && recipe.GetColour("Sea", s.sea, false, error) &&
           recipe.GetFloats("Glazing", s.glazing, 2, 0, kMaxSide, true, error) &&
           recipe.GetFloat("Horizon", s.horizon, 0, kMaxSide, true, error) &&
           recipe.GetInt("Panes", s.panes, 2, 40, false, error) &&
           recipe.GetInt("Stars", s.stars, 0, 400, false, error) &&
           recipe.GetFloats("Moon", s.moon, 3, 0, kMaxSide, false, error) &&
           recipe.GetColour("Wall", s.wall, true, error) && recipe.GetColour("WallBottom", s.wallBottom, true, error) &&
           recipe.GetColour("Floor", s.floor, true, error) &&
           recipe.GetFloat("FloorLine", s.floorLine, 0, kMaxSide, true, error) &&
           recipe.GetFloats("Lens", s.lens, 4, 0, kMaxSide, true, error) &&
           recipe.GetColour("Brass", s.brass, false, error) && recipe.GetColour("Glass", s.glass, false, error) &&
           recipe.GetFloats("Bench", s.bench, 4, 0, kMaxSide, false, error) &&
           recipe.GetFloats("Lamp", s.lamp, 3, 0, kMaxSide, true, error) &&
           recipe.GetColour("LampColour", s.lampColour, false, error) &&
           recipe.GetFloat("Vignette", s.vignette, 0, 1, false, error) &&
           recipe.GetFloat("Grain", s.grain, 0, 1, false, error);
}

void PaintWindows(const LampRoomSettings& s, Canvas& canvas, uint32_t seed) {
    const int32_t w = s.w, h = s.h;
    const float top = s.glazing[0], bottom = s.glazing[1];
    Mask glass(w, h);
    glass.AddRoundedRect(0, top, float(w), bottom, 0.0f);
    canvas.Fill(glass, [&](float x, float y) {
        if (y >= s.horizon) {
            // The sea, darker towards the room, with the moon's path on it.
            const float depth = (y - s.horizon) / std::max(1.0f, bottom - s.horizon);
            Colour water = Scaled(s.sea, 1.0f - 0.4f * depth);
            if (s.moon[2] > 0) {
                const float spread = s.moon[2] * (1.5f + 4.0f * depth);
                const float path = std::exp(-(x - s.moon[0]) * (x - s.moon[0]) / (2 * spread * spread));
                const float ripple = FractalNoise(x * 0.5f, y * 3.0f, 4.0f, 2, seed + 31);
                water = Mix(water, Colour{0.85f, 0.85f, 0.75f, 1}, std::clamp(path * (ripple - 0.35f) * 1.4f, 0.0f, 0.8f));
            }
            return water;
        }
        const float t = std::clamp((y - top) / std::max(1.0f, s.horizon - top), 0.0f, 1.0f);
        return Mix(s.skyTop, s.skyHorizon, t * t);
    });
    Random random(seed + 5);
    for (int32_t i = 0; i < s.stars; ++i) {
        const float x = random.Range(0, float(w)), y = random.Range(top, s.horizon - 10);
        const float size = random.Range(0.6f, 1.6f);
        Mask star(w, h);
        star.AddCircle(x, y, size);
        canvas.Fill(star, Colour{1.0f, 0.97f, 0.88f, random.Range(0.4f, 0.95f)});
    }
    if (s.moon[2] > 0) {
        Mask halo(w, h);
        halo.AddCircle(s.moon[0], s.moon[1], s.moon[2] * 2.5f);
        canvas.Fill(halo.Blurred(s.moon[2] * 1.5f), Colour{0.9f, 0.9f, 0.8f, 0.25f});
        Mask moon(w, h);
        moon.AddCircle(s.moon[0], s.moon[1], s.moon[2]);
        canvas.Fill(moon, [&](float x, float y) {
            const float spot = FractalNoise(x, y, s.moon[2] * 0.4f, 2, seed + 9);
            return Scaled(Colour{0.98f, 0.95f, 0.82f, 1}, 0.85f + 0.2f * spot);
        });
    }
    // The gallery rail outside the glass.
    const float rail = top + (bottom - top) * 0.78f;
    Mask railing(w, h);
    railing.AddRoundedRect(0, rail, float(w), rail + 5, 2.0f);
    for (float x = 10; x < float(w); x += 46) {
        railing.AddRoundedRect(x, rail, x + 3, bottom, 1.0f);
    }
    canvas.Fill(railing, Colour{0.07f, 0.07f, 0.1f, 0.9f});
    // The iron bars and the transom, closer together at the sides.
    Mask bars(w, h);
    for (int32_t i = 0; i <= s.panes; ++i) {
        const float x = BarX(i, s.panes, float(w) / 2, float(w) * 0.56f);
        const float width = 6.0f + 6.0f * std::cos((x - float(w) / 2) / float(w) * 2.4f);
        bars.AddRoundedRect(x - width / 2, top, x + width / 2, bottom, 1.0f);
    }
    bars.AddRoundedRect(0, top + (bottom - top) * 0.36f - 4, float(w), top + (bottom - top) * 0.36f + 4, 1.0f);
    bars.AddRoundedRect(0, top - 14, float(w), top, 0.0f);
    canvas.Fill(bars.Shifted(4, 3).Blurred(3), Colour{0, 0, 0, 0.35f});
    canvas.Fill(bars, [&](float x, float y) {
        return Scaled(Colour{0.2f, 0.17f, 0.17f, 1}, 0.8f + 0.4f * FractalNoise(x, y, 6.0f, 2, seed + 3));
    });
}

void PaintRoom(const LampRoomSettings& s, Canvas& canvas, uint32_t seed) {
    const int32_t w = s.w, h = s.h;
    const float top = s.glazing[0], bottom = s.glazing[1];
    // The ceiling above the glass, the wall below it, the plank floor.
    canvas.Paint([&](float x, float y) {
        if (y < top) {
            const float ring = 0.85f + 0.15f * std::cos(y / 12.0f);
            return Scaled(s.wallBottom, 0.6f * ring * (0.9f + 0.2f * FractalNoise(x, y, 30.0f, 2, seed)));
        }
        if (y < s.floorLine) {
            const float t = (y - bottom) / std::max(1.0f, s.floorLine - bottom);
            const float noise = 0.9f + 0.2f * FractalNoise(x, y, 40.0f, 3, seed + 1);
            return Scaled(Mix(s.wall, s.wallBottom, t), noise);
        }
        // Boards running towards a vanishing point high over the room's
        // middle, with staggered joints across them.
        const float depth = (y - s.floorLine) / std::max(1.0f, float(h) - s.floorLine);
        const float vanishY = s.floorLine - 420.0f;
        const float along = (x - float(w) / 2) * (s.floorLine - vanishY) / (y - vanishY) + 4000.0f;
        const float boardIndex = std::floor(along / 64.0f);
        const float seam = std::fmod(along, 64.0f) < 2.5f ? 0.55f : 1.0f;
        const float row = (y - s.floorLine) * 0.02f + boardIndex * 0.37f;
        const float joint = std::fmod(row + 40.0f, 1.6f) < 0.04f ? 0.6f : 1.0f;
        const float tone = 0.9f + 0.2f * ValueNoise(boardIndex, 0.5f, 1.0f, seed + 41);
        return Scaled(s.floor, (0.55f + 0.55f * depth) * seam * joint * tone *
                                   (0.85f + 0.3f * WoodGrain(along * 4.0f, y * 3.0f, seed + 3)));
    });
    // Panels on the wall under the glass, one under each pane.
    for (int32_t i = 0; i < s.panes; ++i) {
        const float left = BarX(i, s.panes, float(w) / 2, float(w) * 0.56f);
        const float right = BarX(i + 1, s.panes, float(w) / 2, float(w) * 0.56f);
        if (right - left < 30) {
            continue;
        }
        Mask panel(w, h);
        panel.AddRoundedRect(left + 10, bottom + 30, right - 10, s.floorLine - 16, 4.0f);
        Mask inner(w, h);
        inner.AddRoundedRect(left + 14, bottom + 34, right - 14, s.floorLine - 20, 3.0f);
        canvas.Fill(panel.Minus(inner), Colour{0.0f, 0.0f, 0.0f, 0.28f});
        canvas.Fill(inner.Shifted(-2, -2).Minus(inner), Colour{1.0f, 0.85f, 0.6f, 0.12f});
    }
    // The sill under the glass.
    Mask sill(w, h);
    sill.AddRoundedRect(-4, bottom - 4, float(w) + 4, bottom + 16, 3.0f);
    canvas.Fill(sill.Shifted(0, 8).Blurred(6), Colour{0, 0, 0, 0.4f});
    canvas.Fill(sill, [&](float x, float y) {
        return Scaled(Mix(s.floor, s.wall, 0.3f), 1.15f * (0.8f + 0.3f * WoodGrain(x, y * 4, seed + 5)));
    });
    // The skirting where the wall meets the floor.
    Mask skirting(w, h);
    skirting.AddRoundedRect(-4, s.floorLine - 12, float(w) + 4, s.floorLine + 2, 1.0f);
    canvas.Fill(skirting, Scaled(s.wallBottom, 0.7f));
}

void PaintBench(const LampRoomSettings& s, Canvas& canvas, uint32_t seed) {
    if (s.bench[2] <= 0 || s.bench[3] <= 0) {
        return;
    }
    const int32_t w = s.w, h = s.h;
    const float x0 = s.bench[0], y0 = s.bench[1], x1 = x0 + s.bench[2], y1 = y0 + s.bench[3];
    Mask shadow(w, h);
    shadow.AddRoundedRect(x0 + 20, y1 - 12, x1 + 40, y1 + 24, 2.0f);
    canvas.Fill(shadow.Blurred(16), Colour{0.02f, 0.01f, 0.0f, 0.5f});
    Mask legs(w, h);
    legs.AddRoundedRect(x0 + 10, y0 + 18, x0 + 30, y1, 2.0f);
    legs.AddRoundedRect(x1 - 30, y0 + 18, x1 - 10, y1, 2.0f);
    legs.AddRoundedRect(x0 + 10, y0 + s.bench[3] * 0.7f, x1 - 10, y0 + s.bench[3] * 0.7f + 12, 2.0f);
    canvas.Fill(legs, [&](float x, float y) {
        return Scaled(s.floor, 0.7f * (0.8f + 0.3f * WoodGrain(x * 3, y, seed + 13)));
    });
    Mask topBoard(w, h);
    topBoard.AddRoundedRect(x0, y0, x1, y0 + 20, 3.0f);
    canvas.Fill(topBoard, [&](float x, float y) {
        return Scaled(Mix(s.floor, s.wall, 0.25f), 1.2f * (0.8f + 0.3f * WoodGrain(x, y * 4, seed + 11)));
    });
}

void PaintLens(const LampRoomSettings& s, Canvas& canvas, uint32_t seed) {
    const int32_t w = s.w, h = s.h;
    const float cx = s.lens[0], top = s.lens[1], half = s.lens[2] / 2, height = s.lens[3];
    const float bottom = top + height;
    // The pedestal: a tapered iron column on a round foot.
    Mask column(w, h);
    column.AddPolygon({{cx - half * 0.35f, bottom}, {cx + half * 0.35f, bottom}, {cx + half * 0.55f, s.floorLine + 60},
                       {cx - half * 0.55f, s.floorLine + 60}});
    Mask foot(w, h);
    foot.AddRoundedRect(cx - half * 0.8f, s.floorLine + 50, cx + half * 0.8f, s.floorLine + 80, 12.0f);
    Mask pedestal = column;
    pedestal.Add(foot);
    canvas.Fill(pedestal.Shifted(24, 10).Blurred(16), Colour{0.0f, 0.0f, 0.0f, 0.45f});
    canvas.Fill(pedestal, [&](float x, float y) {
        const float across = (x - cx) / (half * 0.8f);
        const float light = 0.55f + 0.45f * std::clamp(0.6f - across, 0.0f, 1.0f);
        return Scaled(Colour{0.2f, 0.2f, 0.24f, 1}, light * (0.85f + 0.3f * FractalNoise(x, y, 8.0f, 2, seed + 21)));
    });
    // The barrel of glass: widest in the middle.
    const auto halfAt = [&](float y) {
        const float t = (y - top) / height;
        return half * (0.72f + 0.28f * std::sin(t * 3.14159265f));
    };
    std::vector<Point> outline;
    for (int32_t i = 0; i <= 24; ++i) {
        const float y = top + height * float(i) / 24.0f;
        outline.push_back({cx - halfAt(y), y});
    }
    for (int32_t i = 24; i >= 0; --i) {
        const float y = top + height * float(i) / 24.0f;
        outline.push_back({cx + halfAt(y), y});
    }
    Mask barrel(w, h);
    barrel.AddPolygon(outline);
    canvas.Fill(barrel.Grown(10).Blurred(14), Colour{0.9f, 0.8f, 0.6f, 0.18f});
    const int32_t bands = 9;
    canvas.Fill(barrel, [&](float x, float y) {
        const float band = (y - top) / height * float(bands);
        const float within = band - std::floor(band);
        const float across = (x - cx) / std::max(1.0f, halfAt(y));
        // Each prism ring: a bright upper edge catching the lantern, darker
        // below; the glass clearer in the middle, greener at the edges.
        const float prism = 0.75f + 0.5f * std::pow(1.0f - within, 3.0f);
        const float bulls = std::exp(-across * across * 3.0f);
        Colour c = Mix(Scaled(s.glass, 0.55f), s.glass, bulls);
        c = Scaled(c, prism * (0.9f + 0.15f * FractalNoise(x, y, 5.0f, 2, seed + 23)));
        // The dark lamp inside shows as a dim core.
        const float core = std::exp(-((x - cx) * (x - cx) + (y - top - height * 0.5f) * (y - top - height * 0.5f)) /
                                    (2 * half * half * 0.12f));
        return Mix(c, Colour{0.25f, 0.2f, 0.15f, 1}, core * 0.5f);
    });
    // The brass: rings at the top, the middle and the foot, and ribs.
    Mask metal(w, h);
    for (float at : {0.0f, 0.5f, 1.0f}) {
        const float y = top + height * at;
        const float hw = halfAt(y) + 8;
        metal.AddRoundedRect(cx - hw, y - 7, cx + hw, y + 7, 6.0f);
    }
    for (int32_t i = 1; i < 6; ++i) {
        const float across = -1.0f + 2.0f * float(i) / 6.0f;
        std::vector<Point> rib;
        for (int32_t j = 0; j <= 12; ++j) {
            const float y = top + height * float(j) / 12.0f;
            rib.push_back({cx + halfAt(y) * std::sin(across * 1.3f) / std::sin(1.3f) - 3, y});
        }
        for (int32_t j = 12; j >= 0; --j) {
            const float y = top + height * float(j) / 12.0f;
            rib.push_back({cx + halfAt(y) * std::sin(across * 1.3f) / std::sin(1.3f) + 3, y});
        }
        metal.AddPolygon(rib);
    }
    // The cap over the lens.
    metal.AddPolygon({{cx - half * 0.7f, top - 4}, {cx + half * 0.7f, top - 4}, {cx + half * 0.25f, top - half * 0.45f},
                      {cx - half * 0.25f, top - half * 0.45f}});
    metal.AddCircle(cx, top - half * 0.5f, half * 0.12f);
    canvas.Fill(metal.Shifted(3, 3).Blurred(3), Colour{0, 0, 0, 0.4f});
    canvas.Fill(metal, [&](float x, float y) {
        const float across = (x - cx) / half;
        const float shine = 0.65f + 0.5f * std::exp(-(across + 0.35f) * (across + 0.35f) * 6.0f);
        return Scaled(s.brass, shine * (0.9f + 0.15f * FractalNoise(x, y, 4.0f, 2, seed + 25)));
    });
}

} // namespace

bool MakeLampRoom(const Recipe& recipe, Canvas& canvas, std::string& error) {
    LampRoomSettings s;
    if (!ReadLampRoom(recipe, s, error)) {
        return false;
    }
    if (!(s.glazing[0] < s.glazing[1] && s.glazing[1] < s.floorLine && s.floorLine < float(s.h))) {
        error = recipe.ErrorAt(recipe.Find("FloorLine"), "the glazing must lie above the floor line, inside the picture");
        return false;
    }
    if (s.horizon < s.glazing[0] || s.horizon > s.glazing[1]) {
        error = recipe.ErrorAt(recipe.Find("Horizon"), "the horizon must lie within the glazing");
        return false;
    }
    const uint32_t seed = static_cast<uint32_t>(s.seed);
    canvas = Canvas(s.w, s.h);
    PaintRoom(s, canvas, seed);
    PaintWindows(s, canvas, seed);
    PaintBench(s, canvas, seed);
    PaintLens(s, canvas, seed);
    // The lantern's warm light falls off round it; the rest of the room lies
    // in the blue of the night; then vignette and canvas grain.
    const float w = float(s.w), h = float(s.h);
    canvas.Shade([&](float x, float y) {
        const float dx = x - s.lamp[0], dy = y - s.lamp[1];
        const float light = std::exp(-(dx * dx + dy * dy) / (2 * s.lamp[2] * s.lamp[2]));
        const float nx = x / w - 0.5f, ny = y / h - 0.5f;
        const float edge = 1.0f - s.vignette * std::pow(std::min(1.0f, (nx * nx + ny * ny) * 2.0f), 1.5f);
        const float noise = (FractalNoise(x, y, 3, 2, seed + 17u) - 0.5f) * s.grain;
        return (0.5f + 0.75f * light) * edge * (1.0f + noise);
    });
    Mask warm(s.w, s.h);
    warm.AddCircle(s.lamp[0], s.lamp[1], s.lamp[2] * 0.8f);
    canvas.Fill(warm.Blurred(s.lamp[2] * 0.6f), Colour{s.lampColour.r, s.lampColour.g, s.lampColour.b, 0.16f});
    return true;
}
