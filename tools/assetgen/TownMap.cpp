// Kind = townmap: a painted map of a town seen from above, at dusk.
//
// Keys: Size = W H; Seed; Sea, Land, Sand, RoadColour, RoofColour = colours;
// Coast = X Y X Y ...  (the land's outline, at least three points);
// Road = X Y X Y ...   (a path through those points, one line each);
// House = X Y W H      (a roof, one line each); Lighthouse = X Y;
// Vignette, Grain = 0..1.

#include "PictureKinds.h"

#include <cmath>

namespace {

bool ReadPoints(const Recipe& recipe, const RecipeEntry& entry, size_t minimum, std::vector<Point>& out,
                std::string& error) {
    const std::vector<std::string> words = Recipe::Words(entry.value);
    if (words.size() % 2 != 0 || words.size() < minimum * 2) {
        error = recipe.ErrorAt(&entry,
                               "needs pairs of numbers (at least " + std::to_string(minimum) + " points)");
        return false;
    }
    for (size_t i = 0; i < words.size(); i += 2) {
        Point p;
        if (!Recipe::ParseFloat(words[i], -kMaxSide, kMaxSide, p.x) ||
            !Recipe::ParseFloat(words[i + 1], -kMaxSide, kMaxSide, p.y)) {
            error = recipe.ErrorAt(&entry, "'" + words[i] + " " + words[i + 1] + "' is not a point");
            return false;
        }
        out.push_back(p);
    }
    return true;
}

} // namespace

bool MakeTownMap(const Recipe& recipe, Canvas& canvas, std::string& error) {
    int32_t w = 0;
    int32_t h = 0;
    int32_t seed = 1;
    Colour sea{0.12f, 0.22f, 0.36f, 1}, land{0.33f, 0.38f, 0.24f, 1}, sand{0.72f, 0.6f, 0.42f, 1};
    Colour road{0.62f, 0.5f, 0.36f, 1}, roof{0.55f, 0.25f, 0.18f, 1};
    float vignette = 0.4f;
    float grain = 0.3f;
    if (!recipe.CheckKeys({"Kind", "Size", "Seed", "Sea", "Land", "Sand", "RoadColour", "RoofColour", "Coast",
                           "Road", "House", "Lighthouse", "Vignette", "Grain"},
                          error) ||
        !GetSize(recipe, w, h, error) || !recipe.GetInt("Seed", seed, 0, 1 << 30, false, error) ||
        !recipe.GetColour("Sea", sea, false, error) || !recipe.GetColour("Land", land, false, error) ||
        !recipe.GetColour("Sand", sand, false, error) ||
        !recipe.GetColour("RoadColour", road, false, error) ||
        !recipe.GetColour("RoofColour", roof, false, error) ||
        !recipe.GetFloat("Vignette", vignette, 0, 1, false, error) ||
        !recipe.GetFloat("Grain", grain, 0, 1, false, error)) {
        return false;
    }
    const RecipeEntry* coastEntry = recipe.Find("Coast");
    std::vector<Point> coast;
    if (!coastEntry) {
        error = recipe.ErrorAt(nullptr, "Coast is missing");
        return false;
    }
    if (!ReadPoints(recipe, *coastEntry, 3, coast, error)) {
        return false;
    }
    canvas = Canvas(w, h);
    const uint32_t s = static_cast<uint32_t>(seed);
    // Water: deeper away from the shore, with soft swells.
    canvas.Paint([&](float x, float y) {
        const float swell = FractalNoise(x, y * 2.0f, 90.0f, 3, s) - 0.5f;
        return Darker(sea, 0.9f + 0.25f * swell);
    });
    Mask landMask(w, h);
    landMask.AddPolygon(coast);
    Mask shallows = landMask.Grown(26.0f).Blurred(14.0f);
    canvas.Fill(shallows, Mix(sea, Colour{0.35f, 0.55f, 0.6f, 1}, 0.5f));
    canvas.Fill(landMask.Grown(7.0f).Blurred(2.0f), sand);
    canvas.Fill(landMask, [&](float x, float y) {
        const float patch = FractalNoise(x, y, 60.0f, 4, s + 7);
        return Mix(Darker(land, 0.8f), Mix(land, sand, 0.25f), patch);
    });
    // Paths: a darker verge under a worn middle.
    for (const RecipeEntry* entry : recipe.FindAll("Road")) {
        std::vector<Point> points;
        if (!ReadPoints(recipe, *entry, 2, points, error)) {
            return false;
        }
        Mask verge(w, h);
        Mask middle(w, h);
        for (size_t i = 1; i < points.size(); ++i) {
            verge.AddLine(points[i - 1], points[i], 17.0f);
            middle.AddLine(points[i - 1], points[i], 11.0f);
        }
        canvas.Fill(verge, Darker(road, 0.7f));
        canvas.Fill(middle, [&](float x, float y) {
            return Darker(road, 0.9f + 0.2f * ValueNoise(x, y, 6.0f, s + 3));
        });
    }
    // Houses: a shadow to the lower right, a roof with a lit and a dark half.
    for (const RecipeEntry* entry : recipe.FindAll("House")) {
        std::vector<Point> box;
        if (!ReadPoints(recipe, *entry, 2, box, error)) {
            return false;
        }
        const float x = box[0].x, y = box[0].y, bw = box[1].x, bh = box[1].y;
        Mask shadow(w, h);
        shadow.AddRoundedRect(x + 6, y + 7, x + bw + 6, y + bh + 7, 3);
        canvas.Fill(shadow.Blurred(4.0f), Colour{0, 0, 0, 0.45f});
        Mask lit(w, h);
        lit.AddRoundedRect(x, y, x + bw, y + bh / 2, 2);
        Mask dark(w, h);
        dark.AddRoundedRect(x, y + bh / 2, x + bw, y + bh, 2);
        canvas.Fill(lit, Mix(roof, Colour{1.0f, 0.7f, 0.4f, 1}, 0.18f));
        canvas.Fill(dark, Darker(roof, 0.72f));
        Mask ridge(w, h);
        ridge.AddLine(Point{x + 2, y + bh / 2}, Point{x + bw - 2, y + bh / 2}, 2.0f);
        canvas.Fill(ridge, Darker(roof, 0.5f));
    }
    if (const RecipeEntry* entry = recipe.Find("Lighthouse")) {
        std::vector<Point> at;
        if (!ReadPoints(recipe, *entry, 1, at, error)) {
            return false;
        }
        Mask base(w, h);
        base.AddCircle(at[0].x + 5, at[0].y + 6, 20);
        canvas.Fill(base.Blurred(5.0f), Colour{0, 0, 0, 0.5f});
        Mask tower(w, h);
        tower.AddCircle(at[0].x, at[0].y, 18);
        canvas.Fill(tower, Colour{0.9f, 0.88f, 0.82f, 1});
        Mask band(w, h);
        band.AddRing(at[0].x, at[0].y, 12, 5);
        canvas.Fill(band, Colour{0.7f, 0.16f, 0.12f, 1});
        Mask lamp(w, h);
        lamp.AddCircle(at[0].x, at[0].y, 6);
        canvas.Fill(lamp, Colour{0.35f, 0.3f, 0.28f, 1});
    }
    // Dusk: warm light from the upper left, a vignette and canvas grain.
    const float cx = w * 0.5f, cy = h * 0.5f;
    const float reach = std::sqrt(cx * cx + cy * cy);
    canvas.Shade([&](float x, float y) {
        const float warm = 1.05f - 0.15f * (x / w + y / h) * 0.5f;
        const float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) / reach;
        const float fibres = 1.0f + grain * 0.12f * (ValueNoise(x, y, 2.0f, s + 11) - 0.5f);
        return warm * (1.0f - vignette * SmoothStep(0.55f, 1.0f, d)) * fibres;
    });
    return true;
}
