#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace {

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// One box-blur pass of half-width `half` along rows (step 1) or columns.
void BoxPass(std::vector<float>& data, int32_t w, int32_t h, int32_t half, bool rows) {
    const int32_t lines = rows ? h : w;
    const int32_t length = rows ? w : h;
    std::vector<float> line(static_cast<size_t>(length));
    const float scale = 1.0f / static_cast<float>(2 * half + 1);
    for (int32_t l = 0; l < lines; ++l) {
        auto at = [&](int32_t i) -> float& {
            return rows ? data[static_cast<size_t>(l) * w + i] : data[static_cast<size_t>(i) * w + l];
        };
        for (int32_t i = 0; i < length; ++i) {
            line[i] = at(i);
        }
        float sum = 0.0f;
        for (int32_t i = -half; i <= half; ++i) {
            sum += (i >= 0 && i < length) ? line[i] : 0.0f;
        }
        for (int32_t i = 0; i < length; ++i) {
            at(i) = sum * scale;
            const int32_t leaving = i - half;
            const int32_t entering = i + half + 1;
            sum -= (leaving >= 0 && leaving < length) ? line[leaving] : 0.0f;
            sum += (entering < length) ? line[entering] : 0.0f;
        }
    }
}

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

} // namespace

void Mask::AddRoundedRect(float x0, float y0, float x1, float y1, float radius) {
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f, hy = (y1 - y0) * 0.5f;
    radius = std::min(radius, std::min(hx, hy));
    AddDistance([=](float x, float y) {
        const float qx = std::fabs(x - cx) - hx + radius;
        const float qy = std::fabs(y - cy) - hy + radius;
        const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
        return outside + std::min(std::max(qx, qy), 0.0f) - radius;
    }, x0, y0, x1, y1);
}

void Mask::AddCircle(float cx, float cy, float radius) {
    AddDistance([=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; }, cx - radius, cy - radius,
                cx + radius, cy + radius);
}

void Mask::CutCircle(float cx, float cy, float radius) {
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const float d = std::hypot(x + 0.5f - cx, y + 0.5f - cy) - radius;
            At(x, y) = std::min(At(x, y), Clamp01(d + 0.5f));
        }
    }
}

void Mask::AddRing(float cx, float cy, float radius, float width) {
    const float reach = radius + width * 0.5f;
    AddDistance([=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - radius) - width * 0.5f; },
                cx - reach, cy - reach, cx + reach, cy + reach);
}

namespace {

// The pixel rows or columns a box from `low` to `high` touches, one pixel of
// anti-aliasing included, clipped to 0 … size.
void Span(float low, float high, int32_t size, int32_t& first, int32_t& end) {
    first = static_cast<int32_t>(std::max(0.0f, std::floor(std::max(-1e6f, low) - 1.0f)));
    end = static_cast<int32_t>(std::min(static_cast<float>(size), std::ceil(std::min(1e6f, high) + 1.0f)));
}

} // namespace

void Mask::AddDistance(const std::function<float(float, float)>& distance, float x0, float y0, float x1, float y1) {
    int32_t xFirst = 0, xEnd = 0, yFirst = 0, yEnd = 0;
    Span(x0, x1, w, xFirst, xEnd);
    Span(y0, y1, h, yFirst, yEnd);
    for (int32_t y = yFirst; y < yEnd; ++y) {
        for (int32_t x = xFirst; x < xEnd; ++x) {
            const float cover = Clamp01(0.5f - distance(x + 0.5f, y + 0.5f));
            At(x, y) = std::max(At(x, y), cover);
        }
    }
}

void Mask::AddLine(Point a, Point b, float width) {
    const float dx = b.x - a.x, dy = b.y - a.y;
    const float length2 = std::max(dx * dx + dy * dy, 1e-6f);
    AddDistance([=](float x, float y) {
        const float t = std::clamp(((x - a.x) * dx + (y - a.y) * dy) / length2, 0.0f, 1.0f);
        return std::hypot(x - a.x - t * dx, y - a.y - t * dy) - width * 0.5f;
    }, std::min(a.x, b.x) - width, std::min(a.y, b.y) - width, std::max(a.x, b.x) + width, std::max(a.y, b.y) + width);
}

void Mask::AddPolygon(const std::vector<Point>& points) {
    if (points.size() < 3) {
        return;
    }
    constexpr int32_t kSamples = 4;
    float left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    for (const Point& p : points) {
        left = std::min(left, p.x);
        right = std::max(right, p.x);
        top = std::min(top, p.y);
        bottom = std::max(bottom, p.y);
    }
    int32_t xFirst = 0, xEnd = 0, yFirst = 0, yEnd = 0;
    Span(left, right, w, xFirst, xEnd);
    Span(top, bottom, h, yFirst, yEnd);
    for (int32_t y = yFirst; y < yEnd; ++y) {
        for (int32_t x = xFirst; x < xEnd; ++x) {
            int32_t inside = 0;
            for (int32_t sy = 0; sy < kSamples; ++sy) {
                for (int32_t sx = 0; sx < kSamples; ++sx) {
                    const float px = x + (sx + 0.5f) / kSamples;
                    const float py = y + (sy + 0.5f) / kSamples;
                    bool in = false;
                    for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
                        const Point& p = points[i];
                        const Point& q = points[j];
                        if ((p.y > py) != (q.y > py) && px < (q.x - p.x) * (py - p.y) / (q.y - p.y) + p.x) {
                            in = !in;
                        }
                    }
                    inside += in ? 1 : 0;
                }
            }
            At(x, y) = std::max(At(x, y), static_cast<float>(inside) / (kSamples * kSamples));
        }
    }
}

Mask Mask::Grown(float radius) const {
    Mask out(w, h);
    const int32_t reach = static_cast<int32_t>(std::ceil(radius)) + 1;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            float best = 0.0f;
            for (int32_t oy = -reach; oy <= reach; ++oy) {
                const int32_t sy = y + oy;
                if (sy < 0 || sy >= h) {
                    continue;
                }
                for (int32_t ox = -reach; ox <= reach; ++ox) {
                    const int32_t sx = x + ox;
                    if (sx < 0 || sx >= w) {
                        continue;
                    }
                    // A source pixel reaches as far as `radius` past its own edge.
                    const float weight = Clamp01(radius + 1.0f - std::hypot(static_cast<float>(ox), static_cast<float>(oy)));
                    best = std::max(best, At(sx, sy) * weight);
                }
            }
            out.At(x, y) = best;
        }
    }
    return out;
}

Mask Mask::Blurred(float radius) const {
    Mask out = *this;
    const int32_t half = std::max(1, static_cast<int32_t>(std::lround(radius / 2.0f)));
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(out.cover, w, h, half, true);
        BoxPass(out.cover, w, h, half, false);
    }
    return out;
}

Mask Mask::Shifted(int32_t dx, int32_t dy) const {
    Mask out(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t sx = x - dx, sy = y - dy;
            if (sx >= 0 && sx < w && sy >= 0 && sy < h) {
                out.At(x, y) = At(sx, sy);
            }
        }
    }
    return out;
}

void Mask::Add(const Mask& other) {
    for (int32_t y = 0; y < h && y < other.h; ++y) {
        for (int32_t x = 0; x < w && x < other.w; ++x) {
            At(x, y) = std::max(At(x, y), other.At(x, y));
        }
    }
}

Mask Mask::Minus(const Mask& other) const {
    Mask out(w, h);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            out.At(x, y) = At(x, y) * (1.0f - other.At(x, y));
        }
    }
    return out;
}

void Canvas::Fill(const Mask& mask, const Colour& colour) {
    Fill(mask, [&](float, float) { return colour; });
}

void Canvas::Fill(const Mask& mask, const std::function<Colour(float, float)>& colour) {
    for (int32_t y = 0; y < h && y < mask.Height(); ++y) {
        for (int32_t x = 0; x < w && x < mask.Width(); ++x) {
            const float m = mask.At(x, y);
            if (m <= 0.0f) {
                continue;
            }
            const Colour c = colour(x + 0.5f, y + 0.5f);
            const float a = Clamp01(c.a) * m;
            float* p = Pixel(x, y);
            p[0] = c.r * a + p[0] * (1.0f - a);
            p[1] = c.g * a + p[1] * (1.0f - a);
            p[2] = c.b * a + p[2] * (1.0f - a);
            p[3] = a + p[3] * (1.0f - a);
        }
    }
}

void Canvas::Paint(const std::function<Colour(float, float)>& colour) {
    Mask all(w, h);
    all.AddDistance([](float, float) { return -1.0f; });
    Fill(all, colour);
}

void Canvas::Over(const Canvas& other, int32_t ox, int32_t oy) {
    for (int32_t y = 0; y < other.h; ++y) {
        for (int32_t x = 0; x < other.w; ++x) {
            const int32_t tx = x + ox, ty = y + oy;
            if (tx < 0 || ty < 0 || tx >= w || ty >= h) {
                continue;
            }
            const float* s = other.Pixel(x, y);
            float* d = Pixel(tx, ty);
            for (int i = 0; i < 4; ++i) {
                d[i] = s[i] + d[i] * (1.0f - s[3]);
            }
        }
    }
}

void Canvas::Shade(const std::function<float(float, float)>& factor) {
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            float* p = Pixel(x, y);
            const float f = factor(x + 0.5f, y + 0.5f);
            for (int i = 0; i < 3; ++i) {
                p[i] = std::min(p[i] * f, p[3]);
            }
        }
    }
}

std::vector<uint8_t> Canvas::ToBgra() const {
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
        const float* p = &pixels[i * 4];
        const float a = Clamp01(p[3]);
        const uint8_t alpha = static_cast<uint8_t>(std::lround(a * 255.0f));
        uint8_t* o = &out[i * 4];
        o[3] = alpha;
        for (int c = 0; c < 3; ++c) {
            const float straight = alpha == 0 ? 0.0f : Clamp01(p[c] / a);
            o[2 - c] = alpha == 0 ? 0 : static_cast<uint8_t>(std::lround(straight * 255.0f));
        }
    }
    return out;
}

Colour Mix(const Colour& a, const Colour& b, float t) {
    t = Clamp01(t);
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

float SmoothStep(float edge0, float edge1, float x) {
    const float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

uint32_t Random::Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

float ValueNoise(float x, float y, float cell, uint32_t seed) {
    const float fx = x / cell, fy = y / cell;
    const int32_t ix = static_cast<int32_t>(std::floor(fx)), iy = static_cast<int32_t>(std::floor(fy));
    const float tx = SmoothStep(0.0f, 1.0f, fx - ix), ty = SmoothStep(0.0f, 1.0f, fy - iy);
    auto corner = [&](int32_t cx, int32_t cy) { return static_cast<float>(Hash(cx, cy, seed) & 0xffff) / 65535.0f; };
    const float top = corner(ix, iy) + (corner(ix + 1, iy) - corner(ix, iy)) * tx;
    const float bottom = corner(ix, iy + 1) + (corner(ix + 1, iy + 1) - corner(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

float FractalNoise(float x, float y, float cell, int32_t octaves, uint32_t seed) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int32_t i = 0; i < octaves; ++i) {
        sum += ValueNoise(x, y, cell, seed + static_cast<uint32_t>(i) * 101u) * weight;
        total += weight;
        weight *= 0.5f;
        cell *= 0.5f;
    }
    return sum / total;
}
