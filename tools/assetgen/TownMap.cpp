// Kind = townmap: a painted map of a harbour town seen from above and a
// little from the south, at dusk. Kind = mapprop: pieces of that map alone on
// a transparent picture (the scenery that changes, the markers, the walker).
//
// Coordinates are pixels of the picture. The land is the Coast polygon; the
// rest is water. Pieces standing on the ground are painted far to near (by
// the y of their foot), so nearer ones overlap farther ones. See
// content/recipes/README.txt for the keys.

#include "MapArt.h"
#include "PictureKinds.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace {

bool ReadNumbers(const Recipe& recipe, const RecipeEntry& entry, size_t minimum, size_t maximum,
                 std::vector<float>& out, std::string& error, const char* form) {
    const std::vector<std::string> words = Recipe::Words(entry.value);
    out.clear();
    for (const std::string& word : words) {
        float value = 0;
        if (!Recipe::ParseFloat(word, -kMaxSide, kMaxSide, value)) {
            break;
        }
        out.push_back(value);
    }
    if (out.size() < minimum || out.size() > maximum) {
        error = recipe.ErrorAt(&entry, std::string("is: ") + form);
        return false;
    }
    return true;
}

// The words after the leading numbers of an entry.
std::vector<std::string> TrailingWords(const RecipeEntry& entry, size_t numbers) {
    std::vector<std::string> words = Recipe::Words(entry.value);
    words.erase(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(std::min(numbers, words.size())));
    return words;
}

bool ReadPoints(const Recipe& recipe, const RecipeEntry& entry, size_t minimum, std::vector<Point>& out,
                std::string& error) {
    std::vector<float> numbers;
    if (!ReadNumbers(recipe, entry, minimum * 2, 4096, numbers, error, "X Y X Y ...") || numbers.size() % 2 != 0) {
        error = recipe.ErrorAt(&entry, "needs pairs of numbers (at least " + std::to_string(minimum) + " points)");
        return false;
    }
    out.clear();
    for (size_t i = 0; i < numbers.size(); i += 2) {
        out.push_back(Point{numbers[i], numbers[i + 1]});
    }
    return true;
}

// A smooth line through the points (Catmull-Rom), eight steps a segment.
std::vector<Point> Smooth(const std::vector<Point>& points) {
    if (points.size() < 3) {
        return points;
    }
    std::vector<Point> out;
    for (size_t i = 0; i + 1 < points.size(); ++i) {
        const Point p0 = points[i == 0 ? 0 : i - 1], p1 = points[i], p2 = points[i + 1];
        const Point p3 = points[std::min(points.size() - 1, i + 2)];
        for (int32_t s = 0; s < 8; ++s) {
            const float t = static_cast<float>(s) / 8.0f, t2 = t * t, t3 = t2 * t;
            const auto f = [&](float a, float b, float c, float d) {
                return 0.5f * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
            };
            out.push_back(Point{f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y)});
        }
    }
    out.push_back(points.back());
    return out;
}

float SegmentDistance(Point p, Point a, Point b) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length = dx * dx + dy * dy;
    const float t = length > 0 ? std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / length, 0.0f, 1.0f) : 0.0f;
    return std::hypot(p.x - a.x - t * dx, p.y - a.y - t * dy);
}

float LineDistance(Point p, const std::vector<Point>& line) {
    float best = 1e9f;
    for (size_t i = 1; i < line.size(); ++i) {
        best = std::min(best, SegmentDistance(p, line[i - 1], line[i]));
    }
    return best;
}

// A piece standing on the ground, painted in order of its foot's y.
struct Standing {
    float y = 0;
    std::function<void(Canvas&)> paint;
};

// The room a standing piece keeps free of scattered trees.
struct Box {
    float x0, y0, x1, y1;
    bool Holds(Point p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

class TownMapPainter {
public:
    TownMapPainter(const Recipe& recipe, std::string& error) : recipe(recipe), error(error) {}

    bool Paint(Canvas& canvas) {
        if (!recipe.CheckKeys({"Kind", "Size", "Seed", "Sea", "Deep", "Land", "Sand", "RoadColour", "RockColour",
                               "RoofColour", "WallColour", "WindowColour", "Coast", "Cliff", "Ground", "Road", "Path",
                               "Square", "Quay", "Jetty", "Boat", "House", "Hall", "Boathouse", "Lighthouse", "Stall",
                               "Lamp", "Tree", "Wood", "Trees", "Vignette", "Grain"},
                              error) ||
            !GetSize(recipe, w, h, error) || !recipe.GetInt("Seed", seed, 0, 1 << 30, false, error) ||
            !recipe.GetColour("Sea", sea, false, error) || !recipe.GetColour("Deep", deep, false, error) ||
            !recipe.GetColour("Land", land, false, error) || !recipe.GetColour("Sand", sand, false, error) ||
            !recipe.GetColour("RoadColour", road, false, error) || !recipe.GetColour("RockColour", rock, false, error) ||
            !recipe.GetColour("WindowColour", window, false, error) ||
            !recipe.GetFloat("Vignette", vignette, 0, 1, false, error) ||
            !recipe.GetFloat("Grain", grain, 0, 1, false, error) || !ReadColours("RoofColour", roofs) ||
            !ReadColours("WallColour", walls)) {
            return false;
        }
        const RecipeEntry* coastEntry = recipe.Find("Coast");
        if (!coastEntry) {
            error = recipe.ErrorAt(nullptr, "Coast is missing");
            return false;
        }
        if (!ReadPoints(recipe, *coastEntry, 3, coast, error)) {
            return false;
        }
        canvas = Canvas(w, h);
        const uint32_t s = static_cast<uint32_t>(seed);
        landMask = Mask(w, h);
        landMask.AddPolygon(coast);
        PaintWater(canvas, s);
        PaintLand(canvas, s);
        return PaintGround(canvas, s) && PaintCliffs(canvas, s) && PaintQuays(canvas, s) && PaintWays(canvas, s) &&
               PaintBoats(canvas, s) && CollectStanding(s) && PaintStanding(canvas, s) && (Finish(canvas, s), true);
    }

private:
    bool ReadColours(const char* key, std::vector<Colour>& out) {
        for (const RecipeEntry* entry : recipe.FindAll(key)) {
            Colour c;
            if (!Recipe::ParseColour(entry->value, c)) {
                error = recipe.ErrorAt(entry, "is not a colour");
                return false;
            }
            out.push_back(c);
        }
        return true;
    }

    bool OnLand(float x, float y) const {
        const int32_t ix = static_cast<int32_t>(x), iy = static_cast<int32_t>(y);
        return ix >= 0 && iy >= 0 && ix < w && iy < h && landMask.At(ix, iy) > 0.5f;
    }

    // Water: light near the shore, deep further out, with swells, the warm
    // dusk sky mirrored in long streaks, and foam along the shore.
    void PaintWater(Canvas& canvas, uint32_t s) {
        const Mask near = landMask.Blurred(120);
        canvas.Paint([&](float x, float y) {
            const float shore = std::clamp(near.At(static_cast<int32_t>(x), static_cast<int32_t>(y)) * 2.2f, 0.0f, 1.0f);
            Colour c = Mix(deep, sea, shore);
            const float swell = FractalNoise(x * 0.5f, y * 2.2f, 70.0f, 3, s) - 0.5f;
            c = Darker(c, 1.0f + swell * 0.22f);
            // Streaks of the sunset's orange on the open water.
            const float streak = SmoothStep(0.66f, 0.8f, FractalNoise(x * 0.16f, y * 1.6f, 14.0f, 2, s + 5));
            const float open = 1.0f - shore;
            return Mix(c, Colour{1.0f, 0.7f, 0.42f, 1}, streak * open * 0.3f);
        });
        const Mask shallows = landMask.Blurred(36);
        canvas.Fill(shallows, [&](float, float) { return WithAlpha(Mix(sea, Colour{0.45f, 0.68f, 0.7f, 1}, 0.45f), 0.7f); });
        const Mask foam = landMask.Blurred(7);
        canvas.Fill(foam, [&](float x, float y) {
            const float broken = SmoothStep(0.35f, 0.7f, ValueNoise(x, y, 5.0f, s + 9));
            return Colour{0.9f, 0.93f, 0.95f, 0.7f * broken};
        });
    }

    static Colour WithAlpha(const Colour& c, float a) { return Colour{c.r, c.g, c.b, a}; }

    // Grass with gentle hills lit from the upper left, a sandy rim to the sea.
    void PaintLand(Canvas& canvas, uint32_t s) {
        canvas.Fill(landMask.Blurred(4), sand);
        const auto height = [&](float x, float y) {
            return FractalNoise(x, y, 150.0f, 3, s + 21) * 60.0f + FractalNoise(x, y, 40.0f, 2, s + 22) * 8.0f;
        };
        Mask inner = landMask.Blurred(10);
        canvas.Fill(inner, [&](float x, float y) {
            const float slope = (height(x - 2, y - 2) - height(x + 2, y + 2)) * 0.12f;
            const float patch = FractalNoise(x, y, 50.0f, 3, s + 7);
            Colour c = Mix(Darker(land, 0.82f), Mix(land, Colour{0.75f, 0.7f, 0.42f, 1}, 0.3f), patch);
            c = Darker(c, std::clamp(1.0f + slope, 0.7f, 1.3f));
            const float strokes = FractalNoise(x * 0.4f, y * 1.2f, 14.0f, 2, s + 8) - 0.5f;
            return Darker(c, 1.0f + strokes * 0.12f);
        });
    }

    // Fields, gardens and cobbled ground: Ground = #colour X Y X Y ...
    bool PaintGround(Canvas& canvas, uint32_t s) {
        uint32_t n = 0;
        for (const RecipeEntry* entry : recipe.FindAll("Ground")) {
            const std::vector<std::string> words = Recipe::Words(entry->value);
            Colour colour;
            if (words.empty() || !Recipe::ParseColour(words[0], colour)) {
                error = recipe.ErrorAt(entry, "is: #colour X Y X Y ...");
                return false;
            }
            RecipeEntry rest = *entry;
            std::string numbers;
            for (size_t i = 1; i < words.size(); ++i) {
                numbers += words[i] + " ";
            }
            rest.value = numbers;
            std::vector<Point> points;
            if (!ReadPoints(recipe, rest, 3, points, error)) {
                return false;
            }
            Mask patch(w, h);
            patch.AddPolygon(points);
            const uint32_t ps = s + 100 + n++;
            const float angle = static_cast<float>(ps % 7) * 0.4f;
            canvas.Fill(patch.Blurred(2.5f), [&](float x, float y) {
                const float u = x * std::cos(angle) + y * std::sin(angle);
                const float furrow = 0.92f + 0.08f * std::sin(u * 0.9f);
                const float noise = 0.88f + 0.24f * FractalNoise(x, y, 22.0f, 2, ps);
                return Darker(colour, furrow * noise);
            });
        }
        return true;
    }

    // Rock faces below the cliff's edge, dropping into the sea.
    bool PaintCliffs(Canvas& canvas, uint32_t s) {
        for (const RecipeEntry* entry : recipe.FindAll("Cliff")) {
            std::vector<Point> edge;
            if (!ReadPoints(recipe, *entry, 2, edge, error)) {
                return false;
            }
            edge = Smooth(edge);
            Mask face(w, h);
            constexpr float kDrop = 44.0f;
            for (size_t i = 1; i < edge.size(); ++i) {
                const Point a = edge[i - 1], b = edge[i];
                face.AddPolygon({a, b, {b.x + 6, b.y + kDrop}, {a.x + 6, a.y + kDrop}});
            }
            canvas.Fill(face.Shifted(5, 10).Blurred(10), Colour{0.02f, 0.04f, 0.1f, 0.45f});
            canvas.Fill(face, [&](float x, float y) {
                const float lineY = y - LineY(edge, x);
                const float down = std::clamp(lineY / kDrop, 0.0f, 1.0f);
                const float strata = 0.8f + 0.3f * FractalNoise(x * 0.35f, y * 1.8f, 9.0f, 2, s + 31);
                const float cracks = SmoothStep(0.72f, 0.9f, FractalNoise(x * 0.8f, y * 0.5f, 6.0f, 2, s + 32));
                Colour c = Darker(Mix(rock, Colour{0.95f, 0.62f, 0.38f, 1}, 0.25f * (1 - down)), (1.05f - 0.5f * down) * strata);
                return Darker(c, 1.0f - 0.4f * cracks);
            });
            Mask lip(w, h);
            for (size_t i = 1; i < edge.size(); ++i) {
                lip.AddLine(edge[i - 1], edge[i], 3.0f);
            }
            canvas.Fill(lip, Darker(land, 0.6f));
            Mask surf(w, h);
            for (size_t i = 1; i < edge.size(); ++i) {
                surf.AddLine(Point{edge[i - 1].x + 6, edge[i - 1].y + kDrop}, Point{edge[i].x + 6, edge[i].y + kDrop}, 5.0f);
            }
            canvas.Fill(surf.Blurred(4), [&](float x, float y) {
                return Colour{0.9f, 0.93f, 0.96f, 0.65f * SmoothStep(0.3f, 0.6f, ValueNoise(x, y, 4.0f, s + 33))};
            });
        }
        return true;
    }

    static float LineY(const std::vector<Point>& line, float x) {
        float best = line.front().y, distance = 1e9f;
        for (size_t i = 1; i < line.size(); ++i) {
            const Point a = line[i - 1], b = line[i];
            if ((x - a.x) * (x - b.x) <= 0 && a.x != b.x) {
                return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
            }
            const float d = std::min(std::fabs(x - a.x), std::fabs(x - b.x));
            if (d < distance) {
                distance = d;
                best = std::fabs(x - a.x) < std::fabs(x - b.x) ? a.y : b.y;
            }
        }
        return best;
    }

    // Stone quays and breakwaters (Quay = X Y ...), wooden jetties (Jetty =
    // X0 Y0 X1 Y1 WIDTH).
    bool PaintQuays(Canvas& canvas, uint32_t s) {
        for (const RecipeEntry* entry : recipe.FindAll("Quay")) {
            std::vector<Point> line;
            if (!ReadPoints(recipe, *entry, 2, line, error)) {
                return false;
            }
            Mask wall(w, h), top(w, h);
            for (size_t i = 1; i < line.size(); ++i) {
                wall.AddLine(Point{line[i - 1].x, line[i - 1].y + 6}, Point{line[i].x, line[i].y + 6}, 16);
                top.AddLine(line[i - 1], line[i], 12);
            }
            canvas.Fill(wall.Shifted(4, 8).Blurred(6), Colour{0.02f, 0.04f, 0.1f, 0.45f});
            canvas.Fill(wall, [&](float x, float y) {
                const float course = std::fmod(y, 6.0f) < 1.0f ? 0.7f : 1.0f;
                const float block = std::fmod(x + std::floor(y / 6.0f) * 7.0f, 14.0f) < 1.0f ? 0.75f : 1.0f;
                return Darker(rock, 0.7f * course * block * (0.9f + 0.2f * ValueNoise(x, y, 3, s + 41)));
            });
            canvas.Fill(top, [&](float x, float y) {
                const float slab = std::fmod(x * 0.7f + y * 0.7f, 11.0f) < 1.0f ? 0.8f : 1.0f;
                return Darker(Mix(rock, Colour{0.95f, 0.7f, 0.45f, 1}, 0.2f), slab * (0.9f + 0.2f * ValueNoise(x, y, 4, s + 42)));
            });
            // Bollards along the edge.
            Mask bollards(w, h);
            for (size_t i = 1; i < line.size(); ++i) {
                const float length = std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
                for (float t = 20; t < length - 10; t += 60) {
                    const float f = t / length;
                    bollards.AddCircle(line[i - 1].x + (line[i].x - line[i - 1].x) * f,
                                       line[i - 1].y + (line[i].y - line[i - 1].y) * f + 3, 2.8f);
                }
            }
            canvas.Fill(bollards, Colour{0.15f, 0.14f, 0.16f, 1});
        }
        for (const RecipeEntry* entry : recipe.FindAll("Jetty")) {
            std::vector<float> v;
            if (!ReadNumbers(recipe, *entry, 5, 5, v, error, "X0 Y0 X1 Y1 WIDTH")) {
                return false;
            }
            const Point a{v[0], v[1]}, b{v[2], v[3]};
            const float width = v[4];
            const float length = std::hypot(b.x - a.x, b.y - a.y);
            const float ux = (b.x - a.x) / length, uy = (b.y - a.y) / length;
            Mask deck(w, h), posts(w, h);
            deck.AddLine(a, b, width);
            for (float t = 8; t < length; t += 22) {
                for (int32_t side = -1; side <= 1; side += 2) {
                    posts.AddCircle(a.x + ux * t - uy * width * 0.5f * static_cast<float>(side),
                                    a.y + uy * t + ux * width * 0.5f * static_cast<float>(side) + 4, 2.5f);
                }
            }
            canvas.Fill(deck.Shifted(3, 7).Blurred(4), Colour{0.02f, 0.04f, 0.1f, 0.5f});
            canvas.Fill(posts, Colour{0.2f, 0.14f, 0.1f, 1});
            canvas.Fill(deck, [&](float x, float y) {
                const float along = (x - a.x) * ux + (y - a.y) * uy;
                const float plank = std::fmod(along + 100, 4.5f) < 0.9f ? 0.65f : 1.0f;
                return Darker(Colour{0.6f, 0.45f, 0.3f, 1}, plank * (0.85f + 0.2f * ValueNoise(x, y, 2, s + 51)));
            });
        }
        return true;
    }

    // Cobbled roads (Road = WIDTH X Y ...), dirt paths with steps (Path =
    // X Y ...) and cobbled squares (Square = X Y RX RY).
    bool PaintWays(Canvas& canvas, uint32_t s) {
        for (const RecipeEntry* entry : recipe.FindAll("Square")) {
            std::vector<float> v;
            if (!ReadNumbers(recipe, *entry, 4, 4, v, error, "X Y RX RY")) {
                return false;
            }
            Mask square(w, h);
            square.AddDistance([&](float x, float y) {
                const float dx = (x - v[0]) / v[2], dy = (y - v[1]) / v[3];
                return (std::sqrt(dx * dx + dy * dy) - 1.0f) * std::min(v[2], v[3]);
            });
            canvas.Fill(square.Blurred(3), [&](float x, float y) { return Cobbles(x, y, s, 1.0f); });
            occupied.push_back(Box{v[0] - v[2], v[1] - v[3], v[0] + v[2], v[1] + v[3]});
        }
        for (const RecipeEntry* entry : recipe.FindAll("Road")) {
            std::vector<float> v;
            if (!ReadNumbers(recipe, *entry, 5, 4096, v, error, "WIDTH X Y X Y ...") || v.size() % 2 == 0) {
                error = recipe.ErrorAt(entry, "is: WIDTH X Y X Y ...");
                return false;
            }
            std::vector<Point> points;
            for (size_t i = 1; i + 1 < v.size(); i += 2) {
                points.push_back(Point{v[i], v[i + 1]});
            }
            points = Smooth(points);
            Mask verge(w, h), middle(w, h);
            for (size_t i = 1; i < points.size(); ++i) {
                verge.AddLine(points[i - 1], points[i], v[0] + 5);
                middle.AddLine(points[i - 1], points[i], v[0]);
            }
            canvas.Fill(verge.Blurred(3), Colour{0.2f, 0.2f, 0.16f, 0.55f});
            canvas.Fill(middle, [&](float x, float y) { return Cobbles(x, y, s, 0.95f); });
            lines.push_back({points, v[0] * 0.5f + 6});
        }
        for (const RecipeEntry* entry : recipe.FindAll("Path")) {
            std::vector<Point> points;
            if (!ReadPoints(recipe, *entry, 2, points, error)) {
                return false;
            }
            points = Smooth(points);
            Mask trail(w, h), steps(w, h);
            float walked = 0;
            for (size_t i = 1; i < points.size(); ++i) {
                trail.AddLine(points[i - 1], points[i], 11);
                const float dx = points[i].x - points[i - 1].x, dy = points[i].y - points[i - 1].y;
                const float length = std::hypot(dx, dy);
                for (float t = std::fmod(12.0f - std::fmod(walked, 12.0f), 12.0f); t < length; t += 12) {
                    const float f = t / length;
                    const Point c{points[i - 1].x + dx * f, points[i - 1].y + dy * f};
                    const float nx = -dy / length * 5.5f, ny = dx / length * 5.5f;
                    steps.AddLine(Point{c.x - nx, c.y - ny}, Point{c.x + nx, c.y + ny}, 1.6f);
                }
                walked += length;
            }
            canvas.Fill(trail.Blurred(2), [&](float x, float y) {
                return Darker(Mix(sand, road, 0.5f), 0.85f + 0.25f * ValueNoise(x, y, 3.0f, s + 61));
            });
            canvas.Fill(steps, Colour{0.35f, 0.27f, 0.2f, 0.8f});
            lines.push_back({points, 12});
        }
        return true;
    }

    Colour Cobbles(float x, float y, uint32_t s, float shade) const {
        // Rounded stones: a cell pattern of darker joints.
        const float cell = 5.0f;
        const float row = std::floor(y / cell);
        const float fx = std::fmod(x + row * 2.5f, cell) / cell, fy = std::fmod(y, cell) / cell;
        const float joint = std::min(std::min(fx, 1 - fx), std::min(fy, 1 - fy));
        const float stone = SmoothStep(0.0f, 0.2f, joint);
        const float tone = 0.85f + 0.25f * ValueNoise(std::floor((x + row * 2.5f) / cell), row, 1.0f, s + 71);
        return Darker(road, shade * tone * (0.72f + 0.28f * stone));
    }

    // Boat = X Y LENGTH ANGLE [#hull].
    bool PaintBoats(Canvas& canvas, uint32_t s) {
        uint32_t n = 0;
        for (const RecipeEntry* entry : recipe.FindAll("Boat")) {
            std::vector<float> v;
            if (!ReadNumbers(recipe, *entry, 4, 4, v, error, "X Y LENGTH ANGLE [#hull]")) {
                return false;
            }
            Colour hull{0.3f, 0.36f, 0.5f, 1};
            const std::vector<std::string> rest = TrailingWords(*entry, 4);
            if (!rest.empty() && !Recipe::ParseColour(rest[0], hull)) {
                error = recipe.ErrorAt(entry, "is: X Y LENGTH ANGLE [#hull]");
                return false;
            }
            PaintBoat(canvas, v[0], v[1], v[2], v[3], hull, s + 200 + n++);
        }
        return true;
    }

    bool CollectStanding(uint32_t s) {
        uint32_t n = 0;
        for (const RecipeEntry* entry : recipe.FindAll("House")) {
            std::vector<float> v;
            if (!ReadNumbers(recipe, *entry, 5, 5, v, error, "X Y WIDTH WALL ROOF [gable] [timber] [chimney]")) {
                return false;
            }
            HouseStyle style = Style(s + 300 + n++);
            for (const std::string& word : TrailingWords(*entry, 5)) {
                if (word == "gable") {
                    style.gableFront = true;
                } else if (word == "timber") {
                    style.timber = true;
                } else if (word == "chimney") {
                    style.chimney = true;
                    style.chimneySide = -1;
                } else {
                    error = recipe.ErrorAt(entry, "'" + word + "' is not gable, timber or chimney");
                    return false;
                }
            }
            standing.push_back({v[1], [v, style](Canvas& c) { PaintHouse(c, v[0], v[1], v[2], v[3], v[4], style); }});
            occupied.push_back(Box{v[0] - v[2] * 0.5f - 8, v[1] - v[3] - v[4] - 4, v[0] + v[2] * 0.5f + 14, v[1] + 10});
        }
        const auto single = [&](const char* key, size_t count, const char* form,
                                const std::function<void(const std::vector<float>&)>& add) {
            for (const RecipeEntry* entry : recipe.FindAll(key)) {
                std::vector<float> v;
                if (!ReadNumbers(recipe, *entry, count, count, v, error, form)) {
                    return false;
                }
                add(v);
            }
            return true;
        };
        const HouseStyle hallStyle = Style(s + 401);
        const bool ok =
            single("Hall", 3, "X Y WIDTH",
                   [&](const std::vector<float>& v) {
                       HouseStyle style = hallStyle;
                       style.wall = Colour{0.78f, 0.72f, 0.64f, 1};
                       style.roof = Colour{0.3f, 0.36f, 0.44f, 1};
                       standing.push_back({v[1], [v, style](Canvas& c) { PaintHall(c, v[0], v[1], v[2], style); }});
                       occupied.push_back(Box{v[0] - v[2] * 0.5f - 10, v[1] - 130, v[0] + v[2] * 0.5f + 20, v[1] + 10});
                   }) &&
            single("Boathouse", 3, "X Y WIDTH",
                   [&](const std::vector<float>& v) {
                       HouseStyle style = hallStyle;
                       style.wall = Colour{0.55f, 0.4f, 0.28f, 1};
                       style.roof = Colour{0.28f, 0.3f, 0.34f, 1};
                       standing.push_back({v[1], [v, style](Canvas& c) { PaintBoathouse(c, v[0], v[1], v[2], style); }});
                       occupied.push_back(Box{v[0] - v[2] * 0.5f - 10, v[1] - 80, v[0] + v[2] * 0.5f + 20, v[1] + 40});
                   }) &&
            single("Lighthouse", 3, "X Y HEIGHT",
                   [&](const std::vector<float>& v) {
                       standing.push_back({v[1], [v](Canvas& c) { PaintLighthouse(c, v[0], v[1], v[2]); }});
                       occupied.push_back(Box{v[0] - 40, v[1] - v[2] - 20, v[0] + 60, v[1] + 20});
                   }) &&
            single("Lamp", 2, "X Y",
                   [&](const std::vector<float>& v) {
                       standing.push_back({v[1], [v](Canvas& c) { PaintStreetLamp(c, v[0], v[1]); }});
                   }) &&
            single("Tree", 3, "X Y RADIUS", [&](const std::vector<float>& v) { AddTree(v[0], v[1], v[2], s + n++); });
        if (!ok) {
            return false;
        }
        for (const RecipeEntry* entry : recipe.FindAll("Stall")) {
            std::vector<float> v;
            Colour stripe;
            const std::vector<std::string> rest = TrailingWords(*entry, 3);
            if (!ReadNumbers(recipe, *entry, 3, 3, v, error, "X Y WIDTH #stripe torn|mended") || rest.size() != 2 ||
                !Recipe::ParseColour(rest[0], stripe) || (rest[1] != "torn" && rest[1] != "mended")) {
                error = recipe.ErrorAt(entry, "is: X Y WIDTH #stripe torn|mended");
                return false;
            }
            const bool torn = rest[1] == "torn";
            const uint32_t stallSeed = s + 500 + n++;
            standing.push_back({v[1], [v, stripe, torn, stallSeed](Canvas& c) {
                                    PaintStall(c, v[0], v[1], v[2], stripe, torn, stallSeed);
                                }});
        }
        // Woods: Wood = X Y RADIUS COUNT, trees scattered in a disc.
        for (const RecipeEntry* entry : recipe.FindAll("Wood")) {
            std::vector<float> v;
            if (!ReadNumbers(recipe, *entry, 4, 4, v, error, "X Y RADIUS COUNT")) {
                return false;
            }
            Random random(s + 600 + n++);
            for (int32_t i = 0; i < static_cast<int32_t>(v[3]); ++i) {
                const float a = random.Range(0, 6.2832f), r = v[2] * std::sqrt(random.Unit());
                const Point p{v[0] + std::cos(a) * r, v[1] + std::sin(a) * r * 0.8f};
                if (Free(p, 8)) {
                    AddTree(p.x, p.y, random.Range(9, 15), s + 700 + n++);
                }
            }
        }
        int32_t scattered = 0;
        if (!recipe.GetInt("Trees", scattered, 0, 2000, false, error)) {
            return false;
        }
        Random random(s + 800);
        for (int32_t i = 0, tries = 0; i < scattered && tries < scattered * 20; ++tries) {
            const Point p{random.Range(10, static_cast<float>(w) - 10), random.Range(10, static_cast<float>(h) + 20)};
            if (Free(p, 14)) {
                AddTree(p.x, p.y, random.Range(8, 14), s + 900 + static_cast<uint32_t>(i));
                ++i;
            }
        }
        return true;
    }

    HouseStyle Style(uint32_t houseSeed) const {
        Random random(houseSeed);
        HouseStyle style;
        style.seed = houseSeed;
        style.window = window;
        if (!roofs.empty()) {
            style.roof = roofs[random.Next() % roofs.size()];
        }
        if (!walls.empty()) {
            style.wall = walls[random.Next() % walls.size()];
        }
        style.chimney = random.Unit() < 0.75f;
        style.lit = random.Range(0.35f, 0.85f);
        return style;
    }

    void AddTree(float x, float y, float radius, uint32_t treeSeed) {
        const Colour leaves = Mix(land, Colour{0.2f, 0.35f, 0.3f, 1}, 0.5f + 0.3f * static_cast<float>(treeSeed % 5) / 5.0f);
        standing.push_back({y, [=](Canvas& c) { PaintTree(c, x, y, radius, leaves, treeSeed); }});
        occupied.push_back(Box{x - radius * 0.6f, y - radius * 0.6f, x + radius * 0.6f, y + radius * 0.6f});
    }

    // Whether a tree may stand at p: on land, off the ways, the squares and
    // the other standing pieces.
    bool Free(Point p, float room) const {
        if (!OnLand(p.x, p.y - 4) || !OnLand(p.x + room, p.y + room * 0.5f) || !OnLand(p.x - room, p.y)) {
            return false;
        }
        for (const auto& [line, half] : lines) {
            if (LineDistance(p, line) < half + room) {
                return false;
            }
        }
        return std::none_of(occupied.begin(), occupied.end(), [&](const Box& b) {
            return Box{b.x0 - room, b.y0 - room, b.x1 + room, b.y1 + room}.Holds(p);
        });
    }

    bool PaintStanding(Canvas& canvas, uint32_t) {
        std::stable_sort(standing.begin(), standing.end(), [](const Standing& a, const Standing& b) { return a.y < b.y; });
        for (const Standing& piece : standing) {
            piece.paint(canvas);
        }
        return true;
    }

    // Dusk: the last warm light from the upper left, deepening to evening
    // blue in the lower right, a vignette and canvas grain. Lit windows and
    // lamps (bright, warm pixels) keep their light.
    void Finish(Canvas& canvas, uint32_t s) {
        const float cx = static_cast<float>(w) * 0.5f, cy = static_cast<float>(h) * 0.5f;
        const float reach = std::sqrt(cx * cx + cy * cy);
        const Colour warm{0.96f, 0.8f, 0.64f, 1}, cool{0.42f, 0.5f, 0.78f, 1}, sunset{1.2f, 0.82f, 0.55f, 1};
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                float* p = canvas.Pixel(x, y);
                if (p[3] <= 0.0f) {
                    continue;
                }
                const float fx = static_cast<float>(x), fy = static_cast<float>(y);
                const float t = std::clamp((fx / static_cast<float>(w) * 0.6f + fy / static_cast<float>(h) * 0.8f) * 0.8f,
                                           0.0f, 1.0f);
                const float r = p[0] / p[3], g = p[1] / p[3], b = p[2] / p[3];
                const float glow = SmoothStep(0.82f, 1.0f, std::max(r, g)) * SmoothStep(0.05f, 0.3f, r - b);
                // The sun has just set beyond the upper left corner.
                const float sx = fx / static_cast<float>(w) + 0.15f, sy = fy / static_cast<float>(h) + 0.2f;
                const float afterglow = 0.45f * std::exp(-(sx * sx + sy * sy) * 3.0f);
                const Colour dusk = Mix(Mix(warm, cool, t), sunset, afterglow);
                const Colour tint = Mix(dusk, Colour{1, 1, 1, 1}, glow);
                const float d = std::hypot(fx - cx, fy - cy) / reach;
                const float dark = 1.0f - vignette * SmoothStep(0.45f, 1.0f, d);
                const float fibres = 1.0f + grain * 0.14f * (ValueNoise(fx, fy, 2.0f, s + 11) - 0.5f);
                const float f = dark * fibres;
                p[0] = std::min(p[0] * tint.r * f, p[3]);
                p[1] = std::min(p[1] * tint.g * f, p[3]);
                p[2] = std::min(p[2] * tint.b * f, p[3]);
            }
        }
    }

    const Recipe& recipe;
    std::string& error;
    int32_t w = 0, h = 0, seed = 1;
    Colour sea{0.16f, 0.3f, 0.45f, 1}, deep{0.07f, 0.12f, 0.25f, 1}, land{0.33f, 0.42f, 0.3f, 1};
    Colour sand{0.75f, 0.65f, 0.48f, 1}, road{0.62f, 0.55f, 0.48f, 1}, rock{0.5f, 0.45f, 0.42f, 1};
    Colour window{1.0f, 0.8f, 0.42f, 1};
    std::vector<Colour> roofs, walls;
    float vignette = 0.4f, grain = 0.3f;
    std::vector<Point> coast;
    Mask landMask;
    std::vector<std::pair<std::vector<Point>, float>> lines;
    std::vector<Box> occupied;
    std::vector<Standing> standing;
};

} // namespace

bool MakeTownMap(const Recipe& recipe, Canvas& canvas, std::string& error) {
    if (!recipe.Find("Map")) {
        return TownMapPainter(recipe, error).Paint(canvas);
    }
    // One tile of a map larger than a picture may be: the map is described
    // in a file beside the recipe and cut into COLUMNS x ROWS equal tiles.
    std::string name;
    float tile[4] = {0, 0, 1, 1};
    if (!recipe.CheckKeys({"Kind", "Map", "Tile"}, error) || !recipe.GetText("Map", name, true, error) ||
        !recipe.GetFloats("Tile", tile, 4, 0, 64, true, error)) {
        return false;
    }
    const int32_t column = static_cast<int32_t>(tile[0]), row = static_cast<int32_t>(tile[1]);
    const int32_t columns = static_cast<int32_t>(tile[2]), rows = static_cast<int32_t>(tile[3]);
    if (columns < 1 || rows < 1 || column >= columns || row >= rows) {
        error = recipe.ErrorAt(recipe.Find("Tile"), "is: COLUMN ROW COLUMNS ROWS, the tile inside the grid");
        return false;
    }
    const std::string& self = recipe.Name();
    const size_t slash = self.find_last_of('/');
    const std::string path = (slash == std::string::npos ? std::string() : self.substr(0, slash + 1)) + name;
    Recipe map;
    Canvas whole;
    if (!map.Load(path, error) || !TownMapPainter(map, error).Paint(whole)) {
        return false;
    }
    if (whole.Width() % columns != 0 || whole.Height() % rows != 0) {
        error = recipe.ErrorAt(recipe.Find("Tile"), "the map's size does not divide into these tiles");
        return false;
    }
    const int32_t w = whole.Width() / columns, h = whole.Height() / rows;
    canvas = Canvas(w, h);
    canvas.Over(whole, -column * w, -row * h);
    return true;
}

bool MakeMapProp(const Recipe& recipe, Canvas& canvas, std::string& error) {
    int32_t w = 0, h = 0;
    Colour tint{1, 1, 1, 1};
    if (!recipe.CheckKeys({"Kind", "Size", "Stall", "Crates", "Lantern", "Walker", "Smoke", "Boat", "Tint"}, error) ||
        !GetSize(recipe, w, h, error) || !recipe.GetColour("Tint", tint, false, error)) {
        return false;
    }
    canvas = Canvas(w, h);
    uint32_t n = 1;
    for (const RecipeEntry* entry : recipe.FindAll("Stall")) {
        std::vector<float> v;
        Colour stripe;
        const std::vector<std::string> rest = TrailingWords(*entry, 3);
        if (!ReadNumbers(recipe, *entry, 3, 3, v, error, "X Y WIDTH #stripe torn|mended") || rest.size() != 2 ||
            !Recipe::ParseColour(rest[0], stripe) || (rest[1] != "torn" && rest[1] != "mended")) {
            error = recipe.ErrorAt(entry, "is: X Y WIDTH #stripe torn|mended");
            return false;
        }
        PaintStall(canvas, v[0], v[1], v[2], stripe, rest[1] == "torn", n++);
    }
    for (const RecipeEntry* entry : recipe.FindAll("Crates")) {
        std::vector<float> v;
        if (!ReadNumbers(recipe, *entry, 2, 2, v, error, "X Y")) {
            return false;
        }
        PaintCrates(canvas, v[0], v[1], n++);
    }
    for (const RecipeEntry* entry : recipe.FindAll("Boat")) {
        std::vector<float> v;
        Colour hull{0.3f, 0.36f, 0.5f, 1};
        const std::vector<std::string> rest = TrailingWords(*entry, 4);
        if (!ReadNumbers(recipe, *entry, 4, 4, v, error, "X Y LENGTH ANGLE [#hull]") ||
            (!rest.empty() && !Recipe::ParseColour(rest[0], hull))) {
            error = recipe.ErrorAt(entry, "is: X Y LENGTH ANGLE [#hull]");
            return false;
        }
        PaintBoat(canvas, v[0], v[1], v[2], v[3], hull, n++);
    }
    for (const RecipeEntry* entry : recipe.FindAll("Smoke")) {
        std::vector<float> v;
        if (!ReadNumbers(recipe, *entry, 2, 2, v, error, "X Y")) {
            return false;
        }
        PaintSmoke(canvas, v[0], v[1], n++);
    }
    for (const RecipeEntry* entry : recipe.FindAll("Lantern")) {
        std::vector<float> v;
        const std::vector<std::string> rest = TrailingWords(*entry, 2);
        if (!ReadNumbers(recipe, *entry, 2, 2, v, error, "X Y lit|done") || rest.size() != 1 ||
            (rest[0] != "lit" && rest[0] != "done")) {
            error = recipe.ErrorAt(entry, "is: X Y lit|done");
            return false;
        }
        PaintLanternPost(canvas, v[0], v[1], rest[0] == "lit");
    }
    for (const RecipeEntry* entry : recipe.FindAll("Walker")) {
        std::vector<float> v;
        if (!ReadNumbers(recipe, *entry, 4, 4, v, error, "X Y FRAME FRAMES") || v[3] < 1 || v[2] < 0 || v[2] > v[3]) {
            error = recipe.ErrorAt(entry, "is: X Y FRAME FRAMES (frame 0 to FRAMES)");
            return false;
        }
        PaintWalker(canvas, v[0], v[1], static_cast<int32_t>(v[2]), static_cast<int32_t>(v[3]));
    }
    // The map's dusk light on the pieces; their own lights keep their glow.
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            float* p = canvas.Pixel(x, y);
            if (p[3] <= 0.0f) {
                continue;
            }
            const float r = p[0] / p[3], g = p[1] / p[3], b = p[2] / p[3];
            const float glow = SmoothStep(0.82f, 1.0f, std::max(r, g)) * SmoothStep(0.05f, 0.3f, r - b);
            const Colour f = Mix(tint, Colour{1, 1, 1, 1}, glow);
            p[0] *= f.r;
            p[1] *= f.g;
            p[2] *= f.b;
        }
    }
    return true;
}
