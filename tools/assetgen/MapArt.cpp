#include "MapArt.h"

#include "PictureKinds.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr float kPi = 3.14159265f;
const Colour kShadow{0.02f, 0.03f, 0.08f, 1};
const Colour kWarmLight{1.0f, 0.78f, 0.4f, 1};

Colour WithAlpha(const Colour& c, float a) {
    return Colour{c.r, c.g, c.b, a};
}

// A piece's small canvas: shapes are given in absolute coordinates and moved
// by the offset onto it.
class Piece {
public:
    Piece(Canvas& canvas, Point offset) : canvas(canvas), offset(offset) {}

    Mask NewMask() const { return Mask(canvas.Width(), canvas.Height()); }
    Point P(float x, float y) const { return Point{x + offset.x, y + offset.y}; }
    std::vector<Point> Poly(std::initializer_list<Point> points) const {
        std::vector<Point> out;
        for (const Point& p : points) {
            out.push_back(P(p.x, p.y));
        }
        return out;
    }
    void Rect(Mask& m, float x0, float y0, float x1, float y1, float radius = 0) const {
        m.AddRoundedRect(x0 + offset.x, y0 + offset.y, x1 + offset.x, y1 + offset.y, radius);
    }
    void Circle(Mask& m, float x, float y, float r) const { m.AddCircle(x + offset.x, y + offset.y, r); }
    void Line(Mask& m, float x0, float y0, float x1, float y1, float width) const {
        m.AddLine(P(x0, y0), P(x1, y1), width);
    }
    void Fill(const Mask& m, const Colour& c) { canvas.Fill(m, c); }
    /// A colour per absolute position.
    void Fill(const Mask& m, const std::function<Colour(float, float)>& colour) {
        canvas.Fill(m, [&](float x, float y) { return colour(x - offset.x, y - offset.y); });
    }
    /// A soft shadow of the shape.
    void Shadow(const Mask& m, float blur, float alpha) { canvas.Fill(m.Blurred(blur), WithAlpha(kShadow, alpha)); }
    /// A warm halo round the shape.
    void Glow(const Mask& m, float blur, const Colour& c, float alpha) {
        canvas.Fill(m.Blurred(blur), WithAlpha(c, alpha));
    }

    Canvas& canvas;
    Point offset;
};

// Tile rows across a roof slope, a little uneven.
Colour RoofAt(const Colour& roof, float x, float y, float rowHeight, float light, uint32_t seed) {
    const float row = std::fmod(std::fabs(y), rowHeight) / rowHeight;
    const float edge = row < 0.22f ? 0.78f : 1.0f;
    const float jitter = 0.92f + 0.16f * ValueNoise(x * 0.5f, std::floor(y / rowHeight) * 7.0f, 3.0f, seed);
    return Darker(Mix(roof, kWarmLight, 0.12f * light), (0.75f + 0.3f * light) * edge * jitter);
}

void Windows(Piece& p, float left, float right, float top, float bottom, float floors, const HouseStyle& style,
             bool door, float doorX) {
    Random random(style.seed * 13u + 5u);
    Mask lit = p.NewMask(), dark = p.NewMask(), frames = p.NewMask();
    const float rowHeight = (bottom - top) / floors;
    for (int32_t f = 0; f < static_cast<int32_t>(floors); ++f) {
        const float wy0 = top + rowHeight * static_cast<float>(f) + rowHeight * 0.22f;
        const float wy1 = wy0 + std::max(4.0f, rowHeight * 0.42f);
        const float wwidth = std::clamp((right - left) * 0.12f, 4.0f, 7.0f);
        const int32_t count = std::max(1, static_cast<int32_t>((right - left) / (wwidth * 2.6f)));
        for (int32_t i = 0; i < count; ++i) {
            const float cx = left + (right - left) * (static_cast<float>(i) + 0.5f) / static_cast<float>(count);
            if (door && f == static_cast<int32_t>(floors) - 1 && std::fabs(cx - doorX) < wwidth * 1.4f) {
                continue;
            }
            p.Rect(frames, cx - wwidth * 0.5f - 1, wy0 - 1, cx + wwidth * 0.5f + 1, wy1 + 1.5f, 0.5f);
            p.Rect(random.Unit() < style.lit ? lit : dark, cx - wwidth * 0.5f, wy0, cx + wwidth * 0.5f, wy1, 0.5f);
        }
    }
    p.Fill(frames, Darker(style.wall, 0.45f));
    p.Fill(dark, Colour{0.16f, 0.2f, 0.3f, 1});
    p.Glow(lit, 6, style.window, 0.55f);
    p.Fill(lit, [&](float, float y) {
        return Mix(Colour{1, 0.93f, 0.7f, 1}, style.window, std::clamp((y - top) / (bottom - top), 0.0f, 1.0f));
    });
}

void Door(Piece& p, float x, float bottom, float width, float height, const Colour& wood) {
    Mask door = p.NewMask();
    p.Rect(door, x - width * 0.5f, bottom - height, x + width * 0.5f, bottom, width * 0.45f);
    p.Fill(door, Darker(wood, 0.55f));
    Mask step = p.NewMask();
    p.Rect(step, x - width * 0.7f, bottom - 1, x + width * 0.7f, bottom + 2, 1);
    p.Fill(step, Colour{0.45f, 0.42f, 0.4f, 1});
}

// A wall's face: lighter at the top, darker near the ground, with grain.
std::function<Colour(float, float)> WallShade(const Colour& wall, float top, float bottom, uint32_t seed) {
    return [=](float x, float y) {
        const float t = std::clamp((y - top) / std::max(1.0f, bottom - top), 0.0f, 1.0f);
        const float grain = 0.95f + 0.1f * ValueNoise(x, y, 3.0f, seed);
        return Darker(Mix(wall, kWarmLight, 0.08f * (1 - t)), (0.9f - 0.22f * t) * grain);
    };
}

} // namespace

void Stamp(Canvas& target, float x0, float y0, float x1, float y1,
           const std::function<void(Canvas&, Point offset)>& paint) {
    const int32_t ix = static_cast<int32_t>(std::floor(x0)), iy = static_cast<int32_t>(std::floor(y0));
    const int32_t w = std::max(1, static_cast<int32_t>(std::ceil(x1)) - ix);
    const int32_t h = std::max(1, static_cast<int32_t>(std::ceil(y1)) - iy);
    Canvas local(w, h);
    paint(local, Point{-static_cast<float>(ix), -static_cast<float>(iy)});
    target.Over(local, ix, iy);
}

void PaintHouse(Canvas& target, float x, float y, float width, float wall, float roof, const HouseStyle& style) {
    const float m = kHouseMargin;
    Stamp(target, x - width * 0.5f - m, y - wall - roof - m, x + width * 0.5f + m + 10, y + m,
          [&](Canvas& c, Point o) {
              Piece p(c, o);
              const float l = x - width * 0.5f, r = x + width * 0.5f, top = y - wall;
              // The shadow falls to the lower right.
              Mask shadow = p.NewMask();
              shadow.AddPolygon(p.Poly({{l + 4, top - roof * 0.6f}, {r + 4, top - roof * 0.6f},
                                        {r + 12, y + 5}, {l + 10, y + 5}}));
              p.Shadow(shadow, 6, 0.45f);
              Mask front = p.NewMask();
              p.Rect(front, l, top, r, y);
              if (style.gableFront) {
                  const float apex = top - roof * 0.55f, depth = roof * 0.5f;
                  Mask lit = p.NewMask(), shade = p.NewMask();
                  lit.AddPolygon(p.Poly({{l - 3, top + 2}, {x, apex}, {x, apex - depth}, {l - 3, top + 2 - depth}}));
                  shade.AddPolygon(
                      p.Poly({{x, apex}, {r + 3, top + 2}, {r + 3, top + 2 - depth}, {x, apex - depth}}));
                  p.Fill(lit, [&](float px, float py) { return RoofAt(style.roof, px, py + px * 0.5f, 4, 0.9f, style.seed); });
                  p.Fill(shade, [&](float px, float py) { return RoofAt(style.roof, px, py - px * 0.5f, 4, 0.35f, style.seed); });
                  Mask gable = p.NewMask();
                  gable.AddPolygon(p.Poly({{l, top + 0.5f}, {x, apex + 2.5f}, {r, top + 0.5f}}));
                  front.Add(gable);
                  p.Fill(front, WallShade(style.wall, apex, y, style.seed));
                  Mask attic = p.NewMask();
                  p.Circle(attic, x, top - roof * 0.2f, std::max(2.0f, width * 0.07f));
                  p.Glow(attic, 5, style.window, style.lit > 0.5f ? 0.5f : 0.0f);
                  p.Fill(attic, style.lit > 0.5f ? style.window : Colour{0.16f, 0.2f, 0.3f, 1});
              } else {
                  const float ridge = top - roof * 0.72f;
                  Mask back = p.NewMask(), slope = p.NewMask();
                  back.AddPolygon(p.Poly({{l + 1, ridge}, {l + 4, top - roof}, {r - 4, top - roof}, {r - 1, ridge}}));
                  slope.AddPolygon(p.Poly({{l - 4, top + 2}, {l + 1, ridge}, {r - 1, ridge}, {r + 4, top + 2}}));
                  p.Fill(back, [&](float px, float py) { return RoofAt(style.roof, px, py, 3.5f, 0.2f, style.seed + 1); });
                  p.Fill(slope, [&](float px, float py) {
                      const float light = 0.55f + 0.35f * std::clamp((r - px) / width, 0.0f, 1.0f);
                      return RoofAt(style.roof, px, py, 4.5f, light, style.seed);
                  });
                  Mask ridgeLine = p.NewMask();
                  p.Line(ridgeLine, l + 1, ridge, r - 1, ridge, 1.6f);
                  p.Fill(ridgeLine, Darker(style.roof, 0.5f));
                  Mask eave = p.NewMask();
                  p.Line(eave, l - 4, top + 1.5f, r + 4, top + 1.5f, 1.8f);
                  p.Fill(eave, Darker(style.roof, 0.4f));
                  p.Fill(front, WallShade(style.wall, top, y, style.seed));
              }
              if (style.timber) {
                  Mask beams = p.NewMask();
                  p.Line(beams, l + 1, top + 1, l + 1, y, 1.6f);
                  p.Line(beams, r - 1, top + 1, r - 1, y, 1.6f);
                  p.Line(beams, l, top + wall * 0.5f, r, top + wall * 0.5f, 1.4f);
                  p.Fill(beams, Colour{0.25f, 0.16f, 0.1f, 1});
              }
              const float floors = wall >= 30 ? 2.0f : 1.0f;
              Random random(style.seed);
              const float doorX = x + width * random.Range(-0.25f, 0.25f);
              Windows(p, l + 2, r - 2, top, y, floors, style, true, doorX);
              Door(p, doorX, y, std::max(5.0f, width * 0.13f), std::min(wall * 0.45f, 13.0f), style.wall);
              if (style.chimney) {
                  const bool left = style.chimneySide != 0 ? style.chimneySide < 0 : random.Unit() < 0.5f;
                  const float cx = x + width * (left ? -0.28f : 0.3f);
                  const float cy = top - roof * (style.gableFront ? 0.45f : 0.78f);
                  Mask stack = p.NewMask();
                  p.Rect(stack, cx - 3, cy - 9, cx + 3, cy + 2);
                  p.Fill(stack, Colour{0.42f, 0.3f, 0.26f, 1});
                  Mask cap = p.NewMask();
                  p.Rect(cap, cx - 3.8f, cy - 10.5f, cx + 3.8f, cy - 8, 0.8f);
                  p.Fill(cap, Colour{0.22f, 0.17f, 0.16f, 1});
              }
          });
}

void PaintHall(Canvas& target, float x, float y, float width, const HouseStyle& style) {
    const float wall = 40, roof = 34;
    Stamp(target, x - width * 0.5f - 30, y - wall - roof - 70, x + width * 0.5f + 40, y + 30, [&](Canvas& c, Point o) {
        Piece p(c, o);
        const float l = x - width * 0.5f, r = x + width * 0.5f, top = y - wall, ridge = top - roof * 0.7f;
        Mask shadow = p.NewMask();
        shadow.AddPolygon(p.Poly({{l + 6, top - roof}, {r + 6, top - roof}, {r + 20, y + 8}, {l + 14, y + 8}}));
        p.Shadow(shadow, 8, 0.5f);
        Mask back = p.NewMask(), slope = p.NewMask();
        back.AddPolygon(p.Poly({{l + 2, ridge}, {l + 6, top - roof}, {r - 6, top - roof}, {r - 2, ridge}}));
        slope.AddPolygon(p.Poly({{l - 5, top + 2}, {l + 2, ridge}, {r - 2, ridge}, {r + 5, top + 2}}));
        p.Fill(back, [&](float px, float py) { return RoofAt(style.roof, px, py, 4, 0.2f, style.seed); });
        p.Fill(slope, [&](float px, float py) {
            return RoofAt(style.roof, px, py, 5, 0.5f + 0.4f * std::clamp((r - px) / width, 0.0f, 1.0f), style.seed);
        });
        // Stone front with a plinth and arched, lit windows.
        Mask front = p.NewMask();
        p.Rect(front, l, top, r, y);
        p.Fill(front, WallShade(style.wall, top, y, style.seed));
        Mask plinth = p.NewMask();
        p.Rect(plinth, l, y - 5, r, y);
        p.Fill(plinth, Darker(style.wall, 0.6f));
        Mask arches = p.NewMask(), frames = p.NewMask();
        const int32_t count = std::max(3, static_cast<int32_t>(width / 22));
        for (int32_t i = 0; i < count; ++i) {
            const float cx = l + width * (static_cast<float>(i) + 0.5f) / static_cast<float>(count);
            if (i == count / 2) {
                continue;
            }
            p.Rect(frames, cx - 6, top + 7, cx + 6, y - 7, 6);
            p.Rect(arches, cx - 4.5f, top + 8.5f, cx + 4.5f, y - 8.5f, 4.5f);
        }
        p.Fill(frames, Darker(style.wall, 0.45f));
        p.Glow(arches, 8, style.window, 0.6f);
        p.Fill(arches, [&](float, float py) {
            return Mix(Colour{1, 0.94f, 0.72f, 1}, style.window, std::clamp((py - top) / wall, 0.0f, 1.0f));
        });
        // Double doors under the turret, open and lit from inside.
        Mask door = p.NewMask();
        p.Rect(door, x - 9, y - 24, x + 9, y, 9);
        p.Fill(door, Darker(style.window, 0.85f));
        Mask steps = p.NewMask();
        p.Rect(steps, x - 16, y - 1, x + 16, y + 5, 1);
        p.Fill(steps, Colour{0.55f, 0.52f, 0.5f, 1});
        // The clock turret above the door.
        const float tTop = ridge - 46;
        Mask turret = p.NewMask();
        p.Rect(turret, x - 11, tTop + 14, x + 11, top);
        p.Fill(turret, WallShade(style.wall, tTop, top, style.seed + 3));
        Mask spire = p.NewMask();
        spire.AddPolygon(p.Poly({{x - 15, tTop + 16}, {x, tTop - 18}, {x + 15, tTop + 16}}));
        p.Fill(spire, [&](float px, float py) { return RoofAt(style.roof, px, py, 4, px < x ? 0.9f : 0.35f, style.seed); });
        Mask face = p.NewMask();
        p.Circle(face, x, tTop + 26, 6.5f);
        p.Glow(face, 6, style.window, 0.5f);
        p.Fill(face, Colour{0.98f, 0.92f, 0.75f, 1});
        Mask hands = p.NewMask();
        p.Line(hands, x, tTop + 26, x, tTop + 21.5f, 1.1f);
        p.Line(hands, x, tTop + 26, x + 3.5f, tTop + 27, 1.1f);
        p.Fill(hands, Colour{0.2f, 0.15f, 0.1f, 1});
    });
}

void PaintBoathouse(Canvas& target, float x, float y, float width, const HouseStyle& style) {
    const float wall = 34, roof = 30;
    Stamp(target, x - width * 0.5f - 24, y - wall - roof - 24, x + width * 0.5f + 30, y + 50, [&](Canvas& c, Point o) {
        Piece p(c, o);
        const float l = x - width * 0.5f, r = x + width * 0.5f, top = y - wall;
        Mask shadow = p.NewMask();
        shadow.AddPolygon(p.Poly({{l + 5, top - roof}, {r + 5, top - roof}, {r + 16, y + 6}, {l + 12, y + 6}}));
        p.Shadow(shadow, 7, 0.45f);
        // A slipway of planks running from the door into the water.
        Mask slip = p.NewMask();
        slip.AddPolygon(p.Poly({{x - 15, y - 2}, {x + 15, y - 2}, {x + 19, y + 42}, {x - 11, y + 42}}));
        p.Fill(slip, [&](float px, float py) {
            const float plank = std::fmod(py, 5.0f) < 1.0f ? 0.7f : 1.0f;
            const float wet = std::clamp((py - y - 20) / 22.0f, 0.0f, 1.0f);
            return Darker(Mix(Colour{0.5f, 0.36f, 0.24f, 1}, Colour{0.18f, 0.25f, 0.3f, 1}, wet * 0.7f),
                          plank * (0.9f + 0.1f * ValueNoise(px, py, 2, 9)));
        });
        // Gable to the water, its roof running back.
        const float apex = top - roof * 0.6f, depth = roof * 0.55f;
        Mask lit = p.NewMask(), shade = p.NewMask();
        lit.AddPolygon(p.Poly({{l - 4, top + 2}, {x, apex}, {x, apex - depth}, {l - 4, top + 2 - depth}}));
        shade.AddPolygon(p.Poly({{x, apex}, {r + 4, top + 2}, {r + 4, top + 2 - depth}, {x, apex - depth}}));
        p.Fill(lit, [&](float px, float py) { return RoofAt(style.roof, px, py + px * 0.55f, 4, 0.85f, style.seed); });
        p.Fill(shade, [&](float px, float py) { return RoofAt(style.roof, px, py - px * 0.55f, 4, 0.3f, style.seed); });
        Mask front = p.NewMask();
        p.Rect(front, l, top, r, y);
        front.AddPolygon(p.Poly({{l, top + 0.5f}, {x, apex + 2.5f}, {r, top + 0.5f}}));
        p.Fill(front, [&](float px, float py) {
            const float board = std::fmod(px - l, 6.0f) < 1.0f ? 0.72f : 1.0f;
            return Darker(WallShade(style.wall, apex, y, style.seed)(px, py), board);
        });
        // The wide boat door, open on a dim, lamp-lit inside.
        Mask door = p.NewMask();
        p.Rect(door, x - width * 0.22f, y - wall * 0.75f, x + width * 0.22f, y, 3);
        p.Fill(door, [&](float, float py) {
            return Mix(Colour{0.35f, 0.24f, 0.14f, 1}, Colour{0.1f, 0.08f, 0.08f, 1},
                       std::clamp((py - (y - wall * 0.75f)) / wall, 0.0f, 1.0f));
        });
        Mask lamp = p.NewMask();
        p.Circle(lamp, x, y - wall * 0.62f, 2.2f);
        p.Glow(lamp, 10, style.window, 0.7f);
        p.Fill(lamp, Colour{1, 0.95f, 0.75f, 1});
        Mask side = p.NewMask();
        p.Rect(side, l + 4, top + 6, l + 11, top + 13, 0.5f);
        p.Rect(side, r - 11, top + 6, r - 4, top + 13, 0.5f);
        p.Glow(side, 5, style.window, 0.5f);
        p.Fill(side, style.window);
    });
}

void PaintLighthouse(Canvas& target, float x, float y, float height) {
    Stamp(target, x - 60, y - height - 40, x + 90, y + 30, [&](Canvas& c, Point o) {
        Piece p(c, o);
        const float base = 17, topHalf = 11, top = y - height;
        Mask shadow = p.NewMask();
        shadow.AddPolygon(p.Poly({{x - base, y - 2}, {x + base, y - 6}, {x + 70, y + 18}, {x + 50, y + 24}}));
        p.Shadow(shadow, 6, 0.5f);
        // A ring of stones round the foot.
        Mask ring = p.NewMask();
        ring.AddDistance([&](float px, float py) {
            const float dx = (px - o.x - x) / 28.0f, dy = (py - o.y - y + 2) / 11.0f;
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * 11.0f;
        });
        p.Fill(ring, [&](float px, float py) { return Darker(Colour{0.55f, 0.53f, 0.52f, 1}, 0.8f + 0.3f * ValueNoise(px, py, 3, 4)); });
        // The tower: white with two red bands, round-shaded, lit from the left.
        Mask tower = p.NewMask();
        tower.AddPolygon(p.Poly({{x - base, y}, {x - topHalf, top + 22}, {x + topHalf, top + 22}, {x + base, y}}));
        Mask foot = p.NewMask();
        foot.AddDistance([&](float px, float py) {
            const float dx = (px - o.x - x) / base, dy = (py - o.y - y) / 5.0f;
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * 5.0f;
        });
        tower.Add(foot);
        p.Fill(tower, [&](float px, float py) {
            const float half = topHalf + (base - topHalf) * std::clamp((py - top - 22) / (height - 22), 0.0f, 1.0f);
            const float u = std::clamp((px - x) / half, -1.0f, 1.0f);
            const float round = 0.95f - 0.45f * std::pow((u + 1) * 0.5f, 1.4f) + 0.1f * (1 - u * u);
            const float band = std::fmod(std::max(0.0f, py - top - 22) / (height - 22) * 4.0f, 1.0f);
            const bool red = band > 0.55f && band < 0.9f;
            const Colour paint = red ? Colour{0.72f, 0.17f, 0.14f, 1} : Colour{0.95f, 0.92f, 0.86f, 1};
            return Darker(Mix(paint, kWarmLight, 0.15f * std::max(0.0f, -u)), round);
        });
        // A small door and two slit windows.
        Mask door = p.NewMask();
        p.Rect(door, x - 4, y - 13, x + 4, y + 2, 4);
        p.Fill(door, Colour{0.25f, 0.17f, 0.1f, 1});
        Mask slits = p.NewMask();
        p.Rect(slits, x - 2, y - height * 0.45f, x + 2, y - height * 0.45f + 7, 1);
        p.Rect(slits, x - 2, y - height * 0.72f, x + 2, y - height * 0.72f + 6, 1);
        p.Fill(slits, Colour{0.18f, 0.2f, 0.28f, 1});
        // Gallery, dark lamp room and the red cap.
        Mask gallery = p.NewMask();
        p.Rect(gallery, x - topHalf - 6, top + 18, x + topHalf + 6, top + 24, 2);
        p.Fill(gallery, Colour{0.2f, 0.18f, 0.2f, 1});
        Mask glass = p.NewMask();
        p.Rect(glass, x - 8, top + 4, x + 8, top + 19, 1);
        p.Fill(glass, [&](float px, float py) {
            const float sheen = std::clamp(1.0f - std::fabs((px - x + 3) - (py - top - 10) * 0.4f) / 3.0f, 0.0f, 1.0f);
            return Mix(Colour{0.14f, 0.18f, 0.28f, 1}, Colour{0.55f, 0.6f, 0.7f, 1}, sheen * 0.5f);
        });
        Mask bars = p.NewMask();
        p.Line(bars, x - 3, top + 4, x - 3, top + 19, 1);
        p.Line(bars, x + 3, top + 4, x + 3, top + 19, 1);
        p.Fill(bars, Colour{0.12f, 0.1f, 0.1f, 1});
        Mask cap = p.NewMask();
        cap.AddPolygon(p.Poly({{x - 11, top + 5}, {x, top - 9}, {x + 11, top + 5}}));
        p.Fill(cap, [&](float px, float) { return px < x ? Colour{0.76f, 0.2f, 0.15f, 1} : Colour{0.5f, 0.12f, 0.1f, 1}; });
        Mask finial = p.NewMask();
        p.Circle(finial, x, top - 10, 2);
        p.Fill(finial, Colour{0.25f, 0.22f, 0.2f, 1});
    });
}

void PaintStall(Canvas& target, float x, float y, float width, const Colour& stripe, bool torn, uint32_t seed) {
    Stamp(target, x - width * 0.5f - 14, y - 62, x + width * 0.5f + 20, y + 14, [&](Canvas& c, Point o) {
        Piece p(c, o);
        Random random(seed);
        const float l = x - width * 0.5f, r = x + width * 0.5f;
        Mask shadow = p.NewMask();
        shadow.AddPolygon(p.Poly({{l + 2, y - 36}, {r + 2, y - 36}, {r + 12, y + 5}, {l + 8, y + 5}}));
        p.Shadow(shadow, 5, 0.4f);
        // The shaded inside of the stall behind its counter.
        Mask inside = p.NewMask();
        p.Rect(inside, l + 2, y - 46, r - 2, y - 14);
        p.Fill(inside, [&](float, float py) {
            return Mix(Colour{0.3f, 0.22f, 0.18f, 1}, Colour{0.16f, 0.12f, 0.12f, 1}, std::clamp((py - y + 46) / 32.0f, 0.0f, 1.0f));
        });
        // Posts, counter and wares.
        Mask posts = p.NewMask();
        p.Line(posts, l + 3, y, l + 3, torn ? y - 30 : y - 34, 2.2f);
        p.Line(posts, r - 3, y, torn ? r - 6 : r - 3, y - 34, 2.2f);
        p.Fill(posts, Colour{0.33f, 0.22f, 0.13f, 1});
        Mask front = p.NewMask();
        p.Rect(front, l + 1, y - 13, r - 1, y, 1);
        p.Fill(front, [&](float px, float py) {
            return Darker(Colour{0.55f, 0.38f, 0.22f, 1}, (std::fmod(py, 4.0f) < 0.8f ? 0.75f : 0.95f) *
                                                              (0.9f + 0.15f * ValueNoise(px, py, 2, seed)));
        });
        Mask counter = p.NewMask();
        p.Rect(counter, l, y - 17, r, y - 12, 1);
        p.Fill(counter, Colour{0.72f, 0.55f, 0.35f, 1});
        const Colour wares[] = {{0.9f, 0.55f, 0.15f, 1}, {0.75f, 0.2f, 0.15f, 1}, {0.55f, 0.7f, 0.3f, 1},
                                {0.7f, 0.72f, 0.78f, 1}, {0.95f, 0.8f, 0.35f, 1}};
        for (float wx = l + 5; wx < r - 4; wx += 5.5f) {
            Mask item = p.NewMask();
            p.Circle(item, wx, y - 18 + random.Range(-1, 1), random.Range(2.2f, 3.0f));
            p.Fill(item, wares[random.Next() % 5]);
        }
        // The awning: stripes sloping back, a scalloped front edge.
        const float eave = y - 30, back = y - 52;
        Mask awning = p.NewMask();
        awning.AddPolygon(p.Poly({{l - 4, eave}, {l + 2, back}, {r - 2, back}, {r + 4, eave}}));
        for (float sx = l - 4 + 3.5f; sx < r + 4; sx += 7) {
            p.Circle(awning, sx, eave, 3.5f);
        }
        if (torn) {
            Mask holes = p.NewMask();
            for (int32_t i = 0; i < 5; ++i) {
                const float hx = random.Range(l, r), hy = random.Range(back + 4, eave);
                holes.AddPolygon(p.Poly({{hx - 6, hy - 4}, {hx + 5, hy - 7}, {hx + 2, hy + 6}}));
            }
            Mask cut = p.NewMask();
            cut.AddPolygon(p.Poly({{r - width * 0.45f, eave + 4}, {r + 6, back + 6}, {r + 6, eave + 6}}));
            holes.Add(cut);
            awning = awning.Minus(holes);
        }
        const Colour pale = torn ? Colour{0.62f, 0.58f, 0.52f, 1} : Colour{0.97f, 0.92f, 0.8f, 1};
        const Colour band = torn ? Mix(stripe, Colour{0.45f, 0.42f, 0.4f, 1}, 0.55f) : stripe;
        p.Fill(awning, [&](float px, float py) {
            const float rel = (px - l) + (py - eave) * 0.15f;
            const bool striped = std::fmod(rel + 100.0f, 7.0f) < 3.5f;
            const float t = std::clamp((eave - py) / (eave - back), 0.0f, 1.0f);
            return Darker(striped ? band : pale, 0.78f + 0.25f * t);
        });
        if (torn) {
            // Rags hanging from the torn edge.
            Mask rags = p.NewMask();
            for (int32_t i = 0; i < 3; ++i) {
                const float rx = l + width * (0.3f + 0.25f * static_cast<float>(i));
                rags.AddPolygon(p.Poly({{rx - 2.5f, eave - 2}, {rx + 2.5f, eave - 2}, {rx + 1.5f + i, eave + 9 + 2.0f * i},
                                        {rx - 1, eave + 7 + 2.0f * i}}));
            }
            p.Fill(rags, band);
        }
    });
}

void PaintCrates(Canvas& target, float x, float y, uint32_t seed) {
    Stamp(target, x - 34, y - 48, x + 40, y + 14, [&](Canvas& c, Point o) {
        Piece p(c, o);
        Mask shadow = p.NewMask();
        shadow.AddPolygon(p.Poly({{x - 26, y - 26}, {x + 20, y - 30}, {x + 34, y + 6}, {x - 18, y + 8}}));
        p.Shadow(shadow, 5, 0.5f);
        const auto crate = [&](float cx, float cy, float s) {
            Mask top = p.NewMask(), front = p.NewMask(), slats = p.NewMask();
            top.AddPolygon(p.Poly({{cx - s, cy - s}, {cx - s + 4, cy - s - 6}, {cx + s + 4, cy - s - 6}, {cx + s, cy - s}}));
            p.Rect(front, cx - s, cy - s, cx + s, cy);
            p.Fill(front, [&](float px, float py) {
                return Darker(Colour{0.58f, 0.42f, 0.25f, 1}, 0.85f + 0.15f * ValueNoise(px, py, 2, seed));
            });
            p.Fill(top, Colour{0.74f, 0.57f, 0.36f, 1});
            p.Line(slats, cx - s, cy - s, cx + s, cy, 1.2f);
            p.Line(slats, cx - s + 1, cy - s * 0.5f, cx + s - 1, cy - s * 0.5f, 1);
            p.Rect(slats, cx - s, cy - 1.2f, cx + s, cy);
            p.Fill(slats, Colour{0.33f, 0.22f, 0.12f, 1});
        };
        crate(x - 12, y, 11);
        crate(x + 9, y + 2, 10);
        crate(x - 4, y - 21, 9.5f);
        // A barrel to the right.
        Mask barrel = p.NewMask();
        p.Rect(barrel, x + 21, y - 20, x + 33, y + 3, 4);
        p.Fill(barrel, [&](float px, float) {
            const float u = (px - x - 27) / 6.0f;
            return Darker(Colour{0.5f, 0.33f, 0.2f, 1}, 1.0f - 0.35f * u * u);
        });
        Mask hoops = p.NewMask();
        p.Line(hoops, x + 21, y - 15, x + 33, y - 15, 1.2f);
        p.Line(hoops, x + 21, y - 2, x + 33, y - 2, 1.2f);
        p.Fill(hoops, Colour{0.25f, 0.22f, 0.22f, 1});
        Mask lid = p.NewMask();
        lid.AddDistance([&](float px, float py) {
            const float dx = (px - o.x - x - 27) / 6.0f, dy = (py - o.y - y + 20) / 2.5f;
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * 2.5f;
        });
        p.Fill(lid, Colour{0.66f, 0.48f, 0.3f, 1});
    });
}

void PaintTree(Canvas& target, float x, float y, float radius, const Colour& leaves, uint32_t seed) {
    Stamp(target, x - radius * 1.6f, y - radius * 2.6f, x + radius * 2.4f, y + radius * 0.8f, [&](Canvas& c, Point o) {
        Piece p(c, o);
        Random random(seed);
        const float cy = y - radius * 1.1f;
        Mask shadow = p.NewMask();
        shadow.AddDistance([&](float px, float py) {
            const float dx = (px - o.x - x - radius * 0.7f) / (radius * 1.2f), dy = (py - o.y - y) / (radius * 0.55f);
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * radius * 0.55f;
        });
        p.Shadow(shadow, radius * 0.4f, 0.45f);
        Mask trunk = p.NewMask();
        p.Line(trunk, x, y, x, cy, std::max(2.0f, radius * 0.22f));
        p.Fill(trunk, Colour{0.26f, 0.18f, 0.12f, 1});
        Mask crown = p.NewMask();
        p.Circle(crown, x, cy, radius * 0.8f);
        for (int32_t i = 0; i < 6; ++i) {
            const float a = static_cast<float>(i) / 6.0f * 2 * kPi + random.Range(0, 0.8f);
            p.Circle(crown, x + std::cos(a) * radius * 0.45f, cy + std::sin(a) * radius * 0.38f,
                     radius * random.Range(0.42f, 0.58f));
        }
        p.Fill(crown, [&](float px, float py) {
            const float dx = (px - x) / radius, dy = (py - cy) / radius;
            const float light = std::clamp(0.55f - 0.55f * dx - 0.6f * dy, 0.0f, 1.0f);
            const float clumps = FractalNoise(px, py, radius * 0.35f, 2, seed);
            const float t = std::clamp(light * 0.8f + (clumps - 0.5f) * 0.6f, 0.0f, 1.0f);
            return Mix(Darker(leaves, 0.55f), Mix(leaves, kWarmLight, 0.22f), t);
        });
    });
}

void PaintBoat(Canvas& target, float x, float y, float length, float angle, const Colour& hull, uint32_t seed) {
    const float reach = length * 0.7f + 12;
    Stamp(target, x - reach, y - reach, x + reach, y + reach, [&](Canvas& c, Point o) {
        Piece p(c, o);
        const float ca = std::cos(angle * kPi / 180), sa = std::sin(angle * kPi / 180);
        const auto at = [&](float u, float v) { return p.P(x + u * ca - v * sa, y + u * sa + v * ca); };
        const float half = length * 0.5f, beam = length * 0.2f;
        std::vector<Point> outline;
        for (int32_t i = 0; i <= 16; ++i) {
            const float t = static_cast<float>(i) / 16.0f;
            const float u = -half + length * t;
            const float width = beam * std::sqrt(std::max(0.0f, 1.0f - std::pow(std::max(0.0f, (u + half * 0.3f) / (half * 1.3f)), 2.2f)));
            outline.push_back(at(u, -std::max(width, t < 0.05f ? beam * 0.7f : 0.0f)));
        }
        for (int32_t i = 16; i >= 0; --i) {
            const float t = static_cast<float>(i) / 16.0f;
            const float u = -half + length * t;
            const float width = beam * std::sqrt(std::max(0.0f, 1.0f - std::pow(std::max(0.0f, (u + half * 0.3f) / (half * 1.3f)), 2.2f)));
            outline.push_back(at(u, std::max(width, t < 0.05f ? beam * 0.7f : 0.0f)));
        }
        // Ripples round the hull and its shadow on the water.
        Mask hullMask = p.NewMask();
        hullMask.AddPolygon(outline);
        Mask ripple = hullMask.Blurred(8);
        p.canvas.Fill(ripple, WithAlpha(Colour{0.6f, 0.75f, 0.85f, 1}, 0.25f));
        p.canvas.Fill(hullMask.Shifted(4, 5).Blurred(3), WithAlpha(kShadow, 0.5f));
        p.canvas.Fill(hullMask, Darker(hull, 0.9f));
        // The deck inside the gunwale, planked.
        std::vector<Point> deck;
        for (size_t i = 0; i < outline.size(); ++i) {
            const Point centre = at(-length * 0.05f, 0);
            deck.push_back(Point{centre.x + (outline[i].x - centre.x) * 0.74f, centre.y + (outline[i].y - centre.y) * 0.6f});
        }
        Mask deckMask = p.NewMask();
        deckMask.AddPolygon(deck);
        p.canvas.Fill(deckMask, [&](float px, float py) {
            const float across = -(px - o.x - x) * sa + (py - o.y - y) * ca;
            const float plank = std::fmod(std::fabs(across) + 100, 3.0f) < 0.6f ? 0.8f : 1.0f;
            return Darker(Colour{0.7f, 0.54f, 0.34f, 1}, plank * (0.9f + 0.15f * ValueNoise(px, py, 2, seed)));
        });
        // A mast with a furled sail, and a lantern at the stern.
        Mask mast = p.NewMask(), sail = p.NewMask();
        const Point m0 = at(length * 0.1f, 0), m1 = at(-length * 0.3f, 0);
        mast.AddCircle(m0.x, m0.y, 2.2f);
        sail.AddLine(m0, m1, 3.5f);
        p.canvas.Fill(sail, Colour{0.88f, 0.84f, 0.74f, 1});
        p.canvas.Fill(mast, Colour{0.3f, 0.2f, 0.12f, 1});
        Mask lamp = p.NewMask();
        const Point stern = at(-half * 0.8f, 0);
        lamp.AddCircle(stern.x, stern.y, 1.8f);
        p.canvas.Fill(lamp.Blurred(7), WithAlpha(kWarmLight, 0.6f));
        p.canvas.Fill(lamp, Colour{1, 0.93f, 0.7f, 1});
    });
}

void PaintStreetLamp(Canvas& target, float x, float y) {
    Stamp(target, x - 64, y - 64, x + 64, y + 48, [&](Canvas& c, Point o) {
        Piece p(c, o);
        Mask pool = p.NewMask();
        pool.AddDistance([&](float px, float py) {
            const float dx = (px - o.x - x) / 30.0f, dy = (py - o.y - y - 2) / 14.0f;
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * 14.0f;
        });
        p.Glow(pool, 16, kWarmLight, 0.5f);
        Mask post = p.NewMask();
        p.Line(post, x, y, x, y - 24, 1.6f);
        p.Fill(post, Colour{0.12f, 0.11f, 0.12f, 1});
        Mask head = p.NewMask();
        p.Rect(head, x - 3, y - 31, x + 3, y - 23, 1.5f);
        p.Glow(head, 16, kWarmLight, 0.75f);
        p.Fill(head, Colour{1, 0.92f, 0.66f, 1});
    });
}

void PaintLanternPost(Canvas& target, float x, float y, bool lit) {
    Stamp(target, x - 56, y - 112, x + 72, y + 32, [&](Canvas& c, Point o) {
        Piece p(c, o);
        const float lx = x + 14, ly = y - 54;
        if (lit) {
            // The halo fades out well inside the picture: the map's change
            // glow is made from this picture's alpha, to its very edges.
            Mask halo = p.NewMask();
            p.Circle(halo, lx, ly, 12);
            p.Glow(halo, 22, kWarmLight, 0.8f);
            p.Glow(halo, 10, Colour{1, 0.88f, 0.6f, 1}, 0.55f);
            Mask pool = p.NewMask();
            pool.AddDistance([&](float px, float py) {
                const float dx = (px - o.x - x - 6) / 26.0f, dy = (py - o.y - y) / 9.0f;
                return (std::sqrt(dx * dx + dy * dy) - 1.0f) * 9.0f;
            });
            p.Glow(pool, 10, kWarmLight, 0.45f);
        }
        Mask shadow = p.NewMask();
        p.Line(shadow, x + 1, y, x + 22, y + 6, 4);
        p.Shadow(shadow, 3, 0.5f);
        // The post and its arm, dark wood with a lit edge.
        Mask post = p.NewMask();
        p.Rect(post, x - 2.5f, y - 70, x + 2.5f, y, 1);
        p.Rect(post, x - 2, y - 64, x + 18, y - 60.5f, 1);
        p.Fill(post, [&](float px, float) { return px < x - 0.5f ? Colour{0.5f, 0.34f, 0.2f, 1} : Colour{0.3f, 0.19f, 0.11f, 1}; });
        Mask cap = p.NewMask();
        p.Circle(cap, x, y - 71, 3.5f);
        p.Fill(cap, Colour{0.78f, 0.6f, 0.28f, 1});
        Mask foot = p.NewMask();
        p.Rect(foot, x - 6, y - 3, x + 6, y + 1.5f, 1.5f);
        p.Fill(foot, Colour{0.4f, 0.38f, 0.38f, 1});
        // The lantern hanging from the arm.
        Mask hook = p.NewMask();
        p.Line(hook, lx, y - 60, lx, ly - 7, 1);
        p.Fill(hook, Colour{0.15f, 0.13f, 0.13f, 1});
        Mask cage = p.NewMask();
        cage.AddPolygon(p.Poly({{lx - 5, ly - 6}, {lx + 5, ly - 6}, {lx + 6.5f, ly + 6}, {lx - 6.5f, ly + 6}}));
        p.Fill(cage, Colour{0.16f, 0.14f, 0.14f, 1});
        Mask glass = p.NewMask();
        glass.AddPolygon(p.Poly({{lx - 3.5f, ly - 4.5f}, {lx + 3.5f, ly - 4.5f}, {lx + 4.8f, ly + 4.5f}, {lx - 4.8f, ly + 4.5f}}));
        p.Fill(glass, lit ? Colour{1, 0.9f, 0.55f, 1} : Colour{0.62f, 0.5f, 0.32f, 1});
        Mask roof = p.NewMask();
        roof.AddPolygon(p.Poly({{lx - 7, ly - 6}, {lx, ly - 11}, {lx + 7, ly - 6}}));
        p.Fill(roof, Colour{0.2f, 0.17f, 0.16f, 1});
        if (lit) {
            Mask flame = p.NewMask();
            p.Circle(flame, lx, ly + 1, 2.2f);
            p.Fill(flame, Colour{1, 1, 0.9f, 1});
        } else {
            // A place restored: a festival ribbon tied round the post.
            Mask ribbon = p.NewMask();
            ribbon.AddPolygon(p.Poly({{x - 3, y - 44}, {x + 3, y - 47}, {x + 3, y - 41}, {x - 3, y - 38}}));
            ribbon.AddPolygon(p.Poly({{x - 2, y - 41}, {x - 11, y - 28}, {x - 7, y - 27}, {x + 1, y - 39}}));
            ribbon.AddPolygon(p.Poly({{x + 1, y - 41}, {x + 4, y - 26}, {x + 8, y - 28}, {x + 3, y - 40}}));
            p.Fill(ribbon, Colour{0.2f, 0.55f, 0.55f, 1});
            Mask knot = p.NewMask();
            p.Circle(knot, x, y - 42, 2.4f);
            p.Fill(knot, Colour{0.95f, 0.78f, 0.3f, 1});
        }
    });
}

void PaintWalker(Canvas& target, float x, float y, int32_t frame, int32_t frames) {
    const float phase = 2 * kPi * static_cast<float>(frame) / static_cast<float>(std::max(1, frames));
    const float swing = std::sin(phase);
    const float bob = std::fabs(std::cos(phase)) * 1.5f;
    Stamp(target, x - 30, y - 82, x + 30, y + 10, [&](Canvas& c, Point o) {
        Piece p(c, o);
        const float hip = y - 22 - bob;
        Mask shadow = p.NewMask();
        shadow.AddDistance([&](float px, float py) {
            const float dx = (px - o.x - x - 5) / 14.0f, dy = (py - o.y - y) / 4.5f;
            return (std::sqrt(dx * dx + dy * dy) - 1.0f) * 4.5f;
        });
        p.Shadow(shadow, 2, 0.55f);
        // Legs and boots, stepping in turn.
        const Colour trousers{0.22f, 0.2f, 0.24f, 1}, boots{0.2f, 0.13f, 0.08f, 1};
        for (int32_t side = -1; side <= 1; side += 2) {
            const float step = swing * static_cast<float>(side);
            const float footX = x + static_cast<float>(side) * 3.5f + step * 4.0f;
            const float footY = y - std::max(0.0f, step) * 3.0f;
            Mask leg = p.NewMask(), boot = p.NewMask();
            p.Line(leg, x + static_cast<float>(side) * 3.0f, hip, footX, footY - 3, 4.6f);
            p.Fill(leg, step > 0 ? Darker(trousers, 0.8f) : trousers);
            p.Rect(boot, footX - 3, footY - 4, footX + 3.5f, footY, 1.5f);
            p.Fill(boot, boots);
        }
        // The coat, lit from the left, with a red scarf.
        Mask coat = p.NewMask();
        coat.AddPolygon(p.Poly({{x - 7, hip - 22}, {x + 7, hip - 22}, {x + 10, hip + 3}, {x - 10, hip + 3}}));
        p.Rect(coat, x - 8, hip - 26, x + 8, hip - 14, 4);
        p.Fill(coat, [&](float px, float py) {
            const Colour blue{0.2f, 0.3f, 0.52f, 1};
            const float u = (px - x) / 10.0f;
            return Darker(Mix(blue, kWarmLight, std::max(0.0f, -u) * 0.2f), 1.0f - 0.3f * std::max(0.0f, u) -
                                                                            0.1f * std::clamp((py - hip) / 6.0f, 0.0f, 1.0f));
        });
        Mask belt = p.NewMask();
        p.Rect(belt, x - 8.5f, hip - 7, x + 8.5f, hip - 5);
        p.Fill(belt, Colour{0.3f, 0.2f, 0.12f, 1});
        // Arms swinging against the legs; the right hand holds a lantern.
        const float armSwing = -swing * 4.0f;
        Mask arms = p.NewMask();
        p.Line(arms, x - 8, hip - 22, x - 10 - armSwing * 0.3f, hip - 8 + armSwing * 0.4f, 4);
        const Point hand{x + 11 + armSwing * 0.3f, hip - 8 - armSwing * 0.4f};
        p.Line(arms, x + 8, hip - 22, hand.x, hand.y, 4);
        p.Fill(arms, Colour{0.17f, 0.25f, 0.44f, 1});
        const Point lantern{hand.x + swing * 1.5f, hand.y + 8};
        Mask glow = p.NewMask();
        p.Circle(glow, lantern.x, lantern.y, 4);
        p.Glow(glow, 14, kWarmLight, 0.6f);
        Mask handle = p.NewMask();
        p.Line(handle, hand.x, hand.y, lantern.x, lantern.y - 3, 1);
        p.Fill(handle, Colour{0.15f, 0.12f, 0.1f, 1});
        Mask lamp = p.NewMask();
        p.Rect(lamp, lantern.x - 3, lantern.y - 3.5f, lantern.x + 3, lantern.y + 4, 1);
        p.Fill(lamp, Colour{1, 0.9f, 0.55f, 1});
        Mask scarf = p.NewMask();
        p.Rect(scarf, x - 6.5f, hip - 27, x + 6.5f, hip - 22.5f, 2);
        p.Line(scarf, x + 4, hip - 24, x + 7 - swing * 1.5f, hip - 15, 3);
        p.Fill(scarf, Colour{0.78f, 0.22f, 0.16f, 1});
        // Head with a brimmed hat.
        const float head = hip - 32;
        Mask face = p.NewMask();
        p.Circle(face, x, head, 5.5f);
        p.Fill(face, [&](float px, float) { return px < x + 1 ? Colour{0.95f, 0.76f, 0.6f, 1} : Colour{0.8f, 0.6f, 0.48f, 1}; });
        Mask hat = p.NewMask();
        p.Rect(hat, x - 9, head - 4, x + 9, head - 1.5f, 1.2f);
        p.Rect(hat, x - 5.5f, head - 10, x + 5.5f, head - 3, 2.5f);
        p.Fill(hat, Colour{0.36f, 0.24f, 0.14f, 1});
        Mask band = p.NewMask();
        p.Rect(band, x - 5.5f, head - 5, x + 5.5f, head - 3.5f);
        p.Fill(band, Colour{0.85f, 0.62f, 0.25f, 1});
    });
}

void PaintSmoke(Canvas& target, float x, float y, uint32_t seed) {
    Stamp(target, x - 30, y - 90, x + 60, y + 10, [&](Canvas& c, Point o) {
        Piece p(c, o);
        Random random(seed);
        for (int32_t i = 0; i < 7; ++i) {
            const float t = static_cast<float>(i) / 6.0f;
            Mask puff = p.NewMask();
            p.Circle(puff, x + t * 34 + random.Range(-3, 3), y - 6 - t * 66, 4 + t * 9);
            p.canvas.Fill(puff.Blurred(3 + t * 5), Colour{0.86f, 0.85f, 0.9f, 0.8f * (1.0f - t * 0.6f)});
        }
    });
}
