// The board puzzle's pictures and the rooms they stand in: Kind = peg (a
// turned wooden or glass peg seen from above, lit from the upper left),
// Kind = pegboard (a wooden board with holes and carved grooves) and
// Kind = room (an interior at dusk: wall, floor, a window, a desk and a
// bookshelf, lit by a lamp).

#include "PictureKinds.h"

#include <algorithm>
#include <cmath>

namespace {

// The light comes from the upper left in every picture of this file.
constexpr float kLightX = -0.55f;
constexpr float kLightY = -0.6f;
constexpr float kLightZ = 0.58f;

Colour Scaled(const Colour& c, float f) {
    return Colour{std::clamp(c.r * f, 0.0f, 1.0f), std::clamp(c.g * f, 0.0f, 1.0f),
                  std::clamp(c.b * f, 0.0f, 1.0f), c.a};
}

// Wood grain: long streaks along x with a little waviness.
float Grain(float x, float y, uint32_t seed) {
    const float wave = FractalNoise(x * 0.02f, y * 0.02f, 1.0f, 2, seed) * 6.0f;
    return FractalNoise(x * 0.004f, (y + wave) * 0.09f, 1.0f, 3, seed + 7);
}

} // namespace

FloorBoardPoint FloorBoardAt(float x, float y, float width, float height, float floorLine, uint32_t seed) {
    // Boards run straight into the room towards one vanishing point above the
    // floor line, so every seam is a straight line through it. u is where the
    // line through the pixel meets the floor line: equal steps of u are equal
    // board widths on the far edge, and the boards widen towards the viewer.
    FloorBoardPoint point;
    const float centre = width / 2.0f;
    const float vanishY = floorLine - 1.5f * std::max(1.0f, height - floorLine);
    if (y < floorLine) {
        return point;
    }
    const float spread = (y - vanishY) / (floorLine - vanishY);
    const float across = (centre + (x - centre) / spread) / kFloorBoardWidth;
    const float board = std::floor(across);
    point.board = static_cast<int32_t>(board);
    // Half a seam is 1.25 px wide on the far edge and widens with the board.
    point.seam = std::min(across - board, board + 1.0f - across) * kFloorBoardWidth < 1.25f;
    // Depth into the room goes as 1 / (y - vanishY); boards are cut to equal
    // lengths of it, each board's joints staggered by a hash of its index.
    point.along = 1000.0f * (floorLine - vanishY) / (y - vanishY);
    const uint32_t hash = (static_cast<uint32_t>(point.board) * 2654435761u) ^ (seed * 40503u);
    const float length = point.along / kFloorBoardLength + float(hash % 997u) / 997.0f;
    // A joint is drawn about 1.5 px thick at any depth: along changes by
    // along / (y - vanishY) per pixel row.
    const float fromJoint = std::abs(length - std::round(length)) * kFloorBoardLength;
    point.joint = fromJoint < 0.75f * point.along / (y - vanishY);
    return point;
}

namespace {

bool ReadPoints(const Recipe& recipe, const char* key, int32_t count, std::vector<std::vector<float>>& out,
                std::string& error) {
    for (const RecipeEntry* entry : recipe.FindAll(key)) {
        const std::vector<std::string> words = Recipe::Words(entry->value);
        std::vector<float> values(static_cast<size_t>(count));
        bool ok = static_cast<int32_t>(words.size()) == count;
        for (int32_t i = 0; ok && i < count; ++i) {
            ok = Recipe::ParseFloat(words[i], -kMaxSide, kMaxSide, values[i]);
        }
        if (!ok) {
            error = recipe.ErrorAt(entry, std::string(key) + " takes " + std::to_string(count) + " numbers");
            return false;
        }
        out.push_back(values);
    }
    return true;
}

} // namespace

bool MakePeg(const Recipe& recipe, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Size", "Colour", "Rim"}, error)) {
        return false;
    }
    int32_t w = 0, h = 0;
    Colour colour{0.6f, 0.6f, 0.6f, 1};
    Colour rim{0.2f, 0.15f, 0.1f, 1};
    if (!GetSize(recipe, w, h, error) || !recipe.GetColour("Colour", colour, true, error) ||
        !recipe.GetColour("Rim", rim, false, error)) {
        return false;
    }
    const float cx = float(w) * 0.47f, cy = float(h) * 0.46f;
    const float radius = float(std::min(w, h)) * 0.40f;
    canvas = Canvas(w, h);
    Mask shadow(w, h);
    shadow.AddCircle(cx + radius * 0.12f, cy + radius * 0.16f, radius * 1.02f);
    canvas.Fill(shadow.Blurred(radius * 0.12f), Colour{0.05f, 0.03f, 0.02f, 0.55f});
    Mask body(w, h);
    body.AddCircle(cx, cy, radius);
    canvas.Fill(body, [&](float x, float y) {
        const float nx = (x - cx) / radius, ny = (y - cy) / radius;
        const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
        const float diffuse = std::max(0.0f, nx * kLightX + ny * kLightY + nz * kLightZ);
        // The half vector between the light and the viewer, for the sheen.
        const float hx = kLightX, hy = kLightY, hz = kLightZ + 1.0f;
        const float hl = std::sqrt(hx * hx + hy * hy + hz * hz);
        const float specular = std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hl), 40.0f);
        const float edge = SmoothStep(0.75f, 1.0f, std::sqrt(nx * nx + ny * ny));
        Colour c = Mix(Scaled(colour, 0.35f + 0.85f * diffuse), rim, edge * 0.6f);
        c = Mix(c, Colour{1.0f, 0.96f, 0.86f, 1}, std::min(1.0f, specular * 0.9f));
        return c;
    });
    return true;
}

bool MakePegBoard(const Recipe& recipe, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys(
            {"Kind", "Size", "Margin", "Radius", "Wood", "WoodDark", "Hole", "HoleRadius", "Groove", "Seed"},
            error)) {
        return false;
    }
    int32_t w = 0, h = 0, seed = 1;
    float margin = 16, radius = 30, holeRadius = 24;
    Colour wood{0.55f, 0.35f, 0.18f, 1}, dark{0.3f, 0.17f, 0.08f, 1};
    std::vector<std::vector<float>> holes, grooves;
    if (!GetSize(recipe, w, h, error) || !recipe.GetFloat("Margin", margin, 0, 200, false, error) ||
        !recipe.GetFloat("Radius", radius, 0, 400, false, error) ||
        !recipe.GetFloat("HoleRadius", holeRadius, 2, 200, false, error) ||
        !recipe.GetColour("Wood", wood, true, error) || !recipe.GetColour("WoodDark", dark, true, error) ||
        !recipe.GetInt("Seed", seed, 0, 1 << 30, false, error) ||
        !ReadPoints(recipe, "Hole", 2, holes, error) || !ReadPoints(recipe, "Groove", 4, grooves, error)) {
        return false;
    }
    canvas = Canvas(w, h);
    const uint32_t s = static_cast<uint32_t>(seed);
    Mask board(w, h);
    board.AddRoundedRect(margin, margin, float(w) - margin, float(h) - margin, radius);
    canvas.Fill(board.Shifted(6, 9).Blurred(margin * 0.6f), Colour{0.03f, 0.02f, 0.01f, 0.6f});
    const Mask inner = board.Blurred(margin * 0.7f);
    canvas.Fill(board, [&](float x, float y) {
        const float grain = Grain(x, y, s);
        Colour c = Mix(dark, wood, 0.35f + 0.65f * grain);
        // Lamp light from the upper left, falling off across the board.
        const float light = 1.1f - 0.35f * (x / float(w) * 0.6f + y / float(h) * 0.4f);
        c = Scaled(c, light);
        // A bevel: the edge is darker where the board turns away.
        const float bevel = inner.At(std::clamp(int32_t(x), 0, w - 1), std::clamp(int32_t(y), 0, h - 1));
        return Mix(Scaled(c, 0.6f), c, bevel);
    });
    for (const auto& g : grooves) {
        Mask line(w, h);
        line.AddLine(Point{g[0], g[1]}, Point{g[2], g[3]}, holeRadius * 0.35f);
        canvas.Fill(line.Blurred(1.5f), Colour{dark.r * 0.55f, dark.g * 0.55f, dark.b * 0.55f, 0.7f});
        Mask lit(w, h);
        lit.AddLine(Point{g[0] + 1.5f, g[1] + 1.5f}, Point{g[2] + 1.5f, g[3] + 1.5f}, holeRadius * 0.12f);
        canvas.Fill(lit.Blurred(1.0f), Colour{1.0f, 0.85f, 0.6f, 0.18f});
    }
    for (const auto& hole : holes) {
        Mask rim(w, h);
        rim.AddCircle(hole[0] + 1.5f, hole[1] + 2.0f, holeRadius + 3.0f);
        canvas.Fill(rim.Blurred(2.0f), Colour{1.0f, 0.86f, 0.62f, 0.25f});
        Mask pit(w, h);
        pit.AddCircle(hole[0], hole[1], holeRadius);
        canvas.Fill(pit, [&](float x, float y) {
            const float dx = (x - hole[0]) / holeRadius, dy = (y - hole[1]) / holeRadius;
            // Deeper in shadow on the side the light comes from.
            const float shade = 0.25f + 0.3f * std::clamp(0.5f + 0.5f * (dx * 0.7f + dy * 0.7f), 0.0f, 1.0f);
            return Scaled(dark, shade);
        });
    }
    return true;
}

bool MakeRoom(const Recipe& recipe, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "Size", "Seed", "Wall", "WallBottom", "Floor", "FloorLine", "Window",
                           "SkyTop", "SkyBottom", "Desk", "Shelf", "Lamp", "Vignette"},
                          error)) {
        return false;
    }
    int32_t w = 0, h = 0, seed = 1;
    float floorLine = 0, vignette = 0.5f;
    float window[4] = {0, 0, 0, 0}, desk[4] = {0, 0, 0, 0}, shelf[4] = {0, 0, 0, 0}, lamp[3] = {0, 0, 0};
    Colour wall{0.4f, 0.25f, 0.2f, 1}, wallBottom{0.2f, 0.12f, 0.1f, 1}, floor{0.35f, 0.2f, 0.1f, 1};
    Colour skyTop{0.1f, 0.12f, 0.3f, 1}, skyBottom{0.9f, 0.5f, 0.3f, 1};
    if (!GetSize(recipe, w, h, error) || !recipe.GetInt("Seed", seed, 0, 1 << 30, false, error) ||
        !recipe.GetColour("Wall", wall, true, error) ||
        !recipe.GetColour("WallBottom", wallBottom, true, error) ||
        !recipe.GetColour("Floor", floor, true, error) ||
        !recipe.GetFloat("FloorLine", floorLine, 0, kMaxSide, true, error) ||
        !recipe.GetFloats("Window", window, 4, 0, kMaxSide, true, error) ||
        !recipe.GetColour("SkyTop", skyTop, false, error) ||
        !recipe.GetColour("SkyBottom", skyBottom, false, error) ||
        !recipe.GetFloats("Desk", desk, 4, 0, kMaxSide, true, error) ||
        !recipe.GetFloats("Shelf", shelf, 4, 0, kMaxSide, true, error) ||
        !recipe.GetFloats("Lamp", lamp, 3, 0, kMaxSide, true, error) ||
        !recipe.GetFloat("Vignette", vignette, 0, 1, false, error)) {
        return false;
    }
    const uint32_t s = static_cast<uint32_t>(seed);
    canvas = Canvas(w, h);
    // Wall with faint vertical panelling, and the floor boards.
    canvas.Paint([&](float x, float y) {
        if (y < floorLine) {
            const float panel = 0.92f + 0.08f * std::cos(x / 96.0f * 6.2831853f);
            const float noise = 0.9f + 0.2f * FractalNoise(x, y, 40.0f, 3, s);
            return Scaled(Mix(wall, wallBottom, y / floorLine), panel * noise);
        }
        const float depth = (y - floorLine) / std::max(1.0f, float(h) - floorLine);
        const FloorBoardPoint board = FloorBoardAt(x, y, float(w), float(h), floorLine, s);
        const float line = board.seam || board.joint ? 0.6f : 1.0f;
        // The grain runs along each board, a board's own offset keeping
        // neighbours apart.
        const float grain = Grain(board.along * 3.0f, float(board.board) * 37.0f + x * 0.05f, s + 3);
        return Scaled(floor, (0.6f + 0.5f * depth) * line * (0.85f + 0.3f * grain));
    });
    // The window: dusk sky, a sea line and a frame with a cross bar.
    Mask glass(w, h);
    glass.AddRoundedRect(window[0], window[1], window[0] + window[2], window[1] + window[3], 2.0f);
    const float seaLine = window[1] + window[3] * 0.7f;
    canvas.Fill(glass, [&](float, float y) {
        if (y > seaLine) {
            return Mix(Colour{0.1f, 0.16f, 0.3f, 1}, Colour{0.04f, 0.07f, 0.15f, 1},
                       (y - seaLine) / (window[3] * 0.3f));
        }
        return Mix(skyTop, skyBottom, (y - window[1]) / (seaLine - window[1]));
    });
    Mask frame(w, h);
    frame.AddRoundedRect(window[0] - 12, window[1] - 12, window[0] + window[2] + 12,
                         window[1] + window[3] + 12, 2.0f);
    canvas.Fill(frame.Minus(glass), Colour{0.28f, 0.16f, 0.08f, 1});
    Mask bars(w, h);
    bars.AddRoundedRect(window[0] + window[2] / 2 - 5, window[1], window[0] + window[2] / 2 + 5,
                        window[1] + window[3], 2.0f);
    bars.AddRoundedRect(window[0], window[1] + window[3] * 0.45f - 5, window[0] + window[2],
                        window[1] + window[3] * 0.45f + 5, 2.0f);
    canvas.Fill(bars, Colour{0.26f, 0.15f, 0.07f, 1});
    // The bookshelf with rows of books.
    Mask shelfMask(w, h);
    shelfMask.AddRoundedRect(shelf[0], shelf[1], shelf[0] + shelf[2], shelf[1] + shelf[3], 2.0f);
    canvas.Fill(shelfMask.Shifted(10, 8).Blurred(10), Colour{0.02f, 0.01f, 0.0f, 0.5f});
    canvas.Fill(shelfMask, Colour{0.22f, 0.12f, 0.06f, 1});
    Random random(s);
    const int32_t rows = 4;
    const float rowHeight = shelf[3] / float(rows);
    for (int32_t row = 0; row < rows; ++row) {
        const float bottom = shelf[1] + rowHeight * float(row + 1) - 8;
        for (float x = shelf[0] + 12; x < shelf[0] + shelf[2] - 24;) {
            const float width = random.Range(10, 22), height = rowHeight * random.Range(0.55f, 0.85f);
            Mask book(w, h);
            book.AddRoundedRect(x, bottom - height, x + width - 2, bottom, 2.0f);
            const Colour tones[] = {{0.55f, 0.16f, 0.12f, 1},
                                    {0.18f, 0.3f, 0.22f, 1},
                                    {0.62f, 0.45f, 0.2f, 1},
                                    {0.2f, 0.22f, 0.4f, 1},
                                    {0.45f, 0.3f, 0.2f, 1}};
            canvas.Fill(book, Scaled(tones[random.Next() % 5], random.Range(0.8f, 1.1f)));
            x += width;
        }
        Mask plank(w, h);
        plank.AddRoundedRect(shelf[0], bottom, shelf[0] + shelf[2], bottom + 10, 2.0f);
        canvas.Fill(plank, Colour{0.35f, 0.2f, 0.1f, 1});
    }
    // The desk: top, front with a drawer and its brass handle, legs.
    Mask deskShadow(w, h);
    deskShadow.AddRoundedRect(desk[0] + 20, desk[1] + desk[3] - 10, desk[0] + desk[2] + 40,
                              desk[1] + desk[3] + 30, 2.0f);
    canvas.Fill(deskShadow.Blurred(18), Colour{0.02f, 0.01f, 0.0f, 0.55f});
    Mask top(w, h);
    top.AddRoundedRect(desk[0] - 10, desk[1], desk[0] + desk[2] + 10, desk[1] + 22, 2.0f);
    canvas.Fill(top, [&](float x, float y) {
        return Scaled(Mix(floor, wall, 0.2f), 1.2f * (0.8f + 0.3f * Grain(x, y * 4, s + 9)));
    });
    Mask front(w, h);
    front.AddRoundedRect(desk[0], desk[1] + 22, desk[0] + desk[2], desk[1] + desk[3] * 0.45f, 2.0f);
    front.AddRoundedRect(desk[0], desk[1] + 22, desk[0] + 40, desk[1] + desk[3], 2.0f);
    front.AddRoundedRect(desk[0] + desk[2] - 40, desk[1] + 22, desk[0] + desk[2], desk[1] + desk[3], 2.0f);
    canvas.Fill(front, [&](float x, float y) {
        return Scaled(floor, 0.8f * (0.8f + 0.3f * Grain(x, y * 4, s + 11)));
    });
    Mask drawer(w, h);
    drawer.AddRoundedRect(desk[0] + desk[2] * 0.3f, desk[1] + 34, desk[0] + desk[2] * 0.7f,
                          desk[1] + desk[3] * 0.45f - 12, 2.0f);
    canvas.Fill(drawer, Scaled(floor, 0.65f));
    Mask handle(w, h);
    handle.AddCircle(desk[0] + desk[2] * 0.5f, desk[1] + desk[3] * 0.3f, 7);
    canvas.Fill(handle, Colour{0.85f, 0.65f, 0.3f, 1});
    // The lamp's warm light, and the vignette.
    canvas.Shade([&](float x, float y) {
        const float dx = x - lamp[0], dy = y - lamp[1];
        const float light = std::exp(-(dx * dx + dy * dy) / (2 * lamp[2] * lamp[2]));
        const float ex = x / float(w) - 0.5f, ey = y / float(h) - 0.5f;
        return (0.7f + 0.6f * light) * (1.0f - vignette * (ex * ex + ey * ey) * 1.6f);
    });
    // The oil lamp standing at the light: a brass foot and font, a glass
    // chimney round the flame.
    const float lx = lamp[0], ly = lamp[1];
    Mask foot(w, h);
    foot.AddRoundedRect(lx - 22, ly + 22, lx + 22, ly + 30, 3.0f);
    foot.AddRoundedRect(lx - 6, ly + 10, lx + 6, ly + 24, 2.0f);
    foot.AddCircle(lx, ly + 8, 12);
    canvas.Fill(foot.Shifted(6, 3).Blurred(4), Colour{0.02f, 0.01f, 0.0f, 0.45f});
    canvas.Fill(foot, [&](float x, float y) {
        const float shine = 0.75f + 0.5f * std::clamp(1.0f - std::abs(x - (lx - 4)) / 14.0f, 0.0f, 1.0f);
        return Scaled(Colour{0.72f, 0.5f, 0.22f, 1}, shine * (1.0f - 0.25f * (y - ly) / 30.0f));
    });
    Mask chimney(w, h);
    chimney.AddRoundedRect(lx - 9, ly - 26, lx + 9, ly + 2, 6.0f);
    canvas.Fill(chimney, Colour{1.0f, 0.9f, 0.7f, 0.35f});
    Mask glow(w, h);
    glow.AddCircle(lamp[0], lamp[1], 14);
    canvas.Fill(glow.Blurred(10), Colour{1.0f, 0.85f, 0.5f, 0.9f});
    return true;
}
