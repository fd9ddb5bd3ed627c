// Painted half-length portraits of the story's actors, and their expressions.
//
// A portrait stands on the bottom edge of a transparent picture: shoulders in
// their clothes with a scarf, neck, head, hair, and a face with one
// expression, lit from the left (the warm side) with a soft dark outline.
// With FaceOnly the picture holds only the head, the front hair and the
// face, at exactly the place the whole portrait has them: the story screen
// draws such a picture over the portrait to change the expression.
#include "Portrait.h"

#include <algorithm>
#include <cmath>

namespace {

Colour Scaled(const Colour& c, float f) {
    return Colour{std::clamp(c.r * f, 0.0f, 1.0f), std::clamp(c.g * f, 0.0f, 1.0f),
                  std::clamp(c.b * f, 0.0f, 1.0f), c.a};
}

float EllipseDistance(float x, float y, float cx, float cy, float rx, float ry) {
    const float dx = (x - cx) / rx, dy = (y - cy) / ry;
    return (std::sqrt(dx * dx + dy * dy) - 1.0f) * std::min(rx, ry);
}

/// The geometry every picture of one actor shares.
struct Figure {
    float w, h, cx;
    float headX, headY, headRx, headRy;
    float shoulderTop, neckHalf;
};

Figure Measure(int32_t w, int32_t h) {
    Figure f{};
    f.w = float(w);
    f.h = float(h);
    f.cx = f.w * 0.5f;
    f.headRx = f.w * 0.19f;
    f.headRy = f.headRx * 1.22f;
    f.headX = f.cx;
    f.headY = f.h * 0.11f + f.headRy + f.w * 0.05f;
    f.shoulderTop = f.headY + f.headRy + f.w * 0.07f;
    f.neckHalf = f.headRx * 0.42f;
    return f;
}

/// Light from the left: 1.12 on the left edge to 0.8 on the right.
float SideLight(const Figure& f, float x) {
    return 1.12f - 0.32f * std::clamp(x / f.w, 0.0f, 1.0f);
}

/// Paints the shape with its colour lit from the left and a soft dark rim.
void PaintLit(Canvas& canvas, const Figure& f, const Mask& shape, const Colour& colour, float topLight) {
    canvas.Fill(shape.Grown(1.5f).Blurred(1.2f), Colour{0.16f, 0.09f, 0.05f, 0.85f});
    canvas.Fill(shape, [&](float x, float y) {
        const float vertical = 1.0f + topLight * (0.5f - std::clamp(y / f.h, 0.0f, 1.0f));
        return Scaled(colour, SideLight(f, x) * vertical);
    });
}

void PaintBody(Canvas& canvas, const Figure& f, const PortraitLook& look) {
    const int32_t w = canvas.Width(), h = canvas.Height();
    // Hair falling behind the shoulders, or a bun behind the head.
    Mask back(w, h);
    if (look.hairStyle == "long") {
        back.AddRoundedRect(f.headX - f.headRx * 1.25f, f.headY - f.headRy * 0.6f, f.headX + f.headRx * 1.25f,
                            f.shoulderTop + f.h * 0.12f, f.headRx);
    } else if (look.hairStyle == "bun") {
        back.AddCircle(f.headX + f.headRx * 0.35f, f.headY - f.headRy * 0.95f, f.headRx * 0.55f);
    }
    PaintLit(canvas, f, back, Scaled(look.hair, 0.85f), 0.3f);

    // Shoulders and body, cut by the bottom edge.
    Mask body(w, h);
    body.AddRoundedRect(f.w * 0.1f, f.shoulderTop, f.w * 0.9f, f.h + f.w * 0.3f, f.w * 0.24f);
    PaintLit(canvas, f, body, look.clothes, 0.5f);
    // Folds: two soft darker strokes down the coat.
    Mask folds(w, h);
    folds.AddLine({f.w * 0.3f, f.shoulderTop + f.w * 0.15f}, {f.w * 0.27f, f.h}, f.w * 0.025f);
    folds.AddLine({f.w * 0.7f, f.shoulderTop + f.w * 0.15f}, {f.w * 0.73f, f.h}, f.w * 0.025f);
    canvas.Fill(folds.Blurred(f.w * 0.02f), Colour{0, 0, 0, 0.22f});

    // Neck, in the head's shadow.
    Mask neck(w, h);
    neck.AddRoundedRect(f.cx - f.neckHalf, f.headY + f.headRy * 0.6f, f.cx + f.neckHalf,
                        f.shoulderTop + f.w * 0.06f, f.neckHalf * 0.6f);
    PaintLit(canvas, f, neck, Scaled(look.skin, 0.82f), 0.0f);

    // The scarf: a band over the collar with a hanging end.
    Mask scarf(w, h);
    scarf.AddRoundedRect(f.cx - f.neckHalf * 2.3f, f.shoulderTop - f.w * 0.01f, f.cx + f.neckHalf * 2.3f,
                         f.shoulderTop + f.w * 0.09f, f.w * 0.045f);
    scarf.AddPolygon({{f.cx + f.neckHalf * 0.4f, f.shoulderTop + f.w * 0.05f},
                      {f.cx + f.neckHalf * 1.9f, f.shoulderTop + f.w * 0.05f},
                      {f.cx + f.neckHalf * 1.6f, f.shoulderTop + f.w * 0.33f},
                      {f.cx + f.neckHalf * 0.7f, f.shoulderTop + f.w * 0.3f}});
    PaintLit(canvas, f, scarf, look.accent, 0.4f);
}

void PaintHead(Canvas& canvas, const Figure& f, const PortraitLook& look) {
    const int32_t w = canvas.Width(), h = canvas.Height();
    Mask head(w, h);
    head.AddDistance(
        [&](float x, float y) { return EllipseDistance(x, y, f.headX, f.headY, f.headRx, f.headRy); });
    // Ears.
    head.AddCircle(f.headX - f.headRx * 0.97f, f.headY + f.headRy * 0.05f, f.headRx * 0.17f);
    head.AddCircle(f.headX + f.headRx * 0.97f, f.headY + f.headRy * 0.05f, f.headRx * 0.17f);
    PaintLit(canvas, f, head, look.skin, 0.25f);
    // Warm cheeks.
    Mask cheeks(w, h);
    cheeks.AddCircle(f.headX - f.headRx * 0.5f, f.headY + f.headRy * 0.3f, f.headRx * 0.2f);
    cheeks.AddCircle(f.headX + f.headRx * 0.5f, f.headY + f.headRy * 0.3f, f.headRx * 0.2f);
    canvas.Fill(cheeks.Blurred(f.headRx * 0.12f), Colour{0.9f, 0.35f, 0.3f, 0.28f});

    // Front hair: the top of a slightly larger ellipse above a wavy fringe.
    Mask hair(w, h);
    const float fringe = f.headY - f.headRy * (look.hairStyle == "short" ? 0.35f : 0.45f);
    hair.AddDistance([&](float x, float y) {
        const float cap =
            EllipseDistance(x, y, f.headX, f.headY - f.headRy * 0.06f, f.headRx * 1.1f, f.headRy * 1.04f);
        const float wave = fringe + f.headRy * 0.08f * std::sin((x - f.headX) / f.headRx * 5.0f) +
                           f.headRy * 0.5f * std::pow(std::fabs(x - f.headX) / f.headRx, 3.0f);
        return std::max(cap, y - wave);
    });
    PaintLit(canvas, f, hair, look.hair, 0.6f);
    // A few lighter strands on the lit side.
    Mask strands(w, h);
    for (int32_t i = 0; i < 4; ++i) {
        const float x0 = f.headX - f.headRx * (0.8f - 0.22f * float(i));
        strands.AddLine({x0, f.headY - f.headRy * 0.92f}, {x0 - f.headRx * 0.12f, fringe - f.headRy * 0.02f},
                        f.w * 0.006f);
    }
    canvas.Fill(strands.Blurred(1.0f), Colour{1, 0.95f, 0.85f, 0.25f});
}

void PaintFace(Canvas& canvas, const Figure& f, const std::string& expression) {
    const int32_t w = canvas.Width(), h = canvas.Height();
    const Colour ink{0.17f, 0.09f, 0.05f, 1.0f};
    const float eyeY = f.headY + f.headRy * 0.02f, eyeDx = f.headRx * 0.42f, eyeR = f.headRx * 0.09f;
    const bool smile = expression == "smile", worry = expression == "worry",
               surprise = expression == "surprise";
    const bool sad = expression == "sad";

    Mask eyes(w, h);
    for (float side : {-1.0f, 1.0f}) {
        const float ex = f.headX + side * eyeDx;
        if (smile) {
            // Closed, smiling eyes: little arches.
            for (int32_t i = 0; i < 6; ++i) {
                const float a0 = 3.1416f * float(i) / 6.0f, a1 = 3.1416f * float(i + 1) / 6.0f;
                eyes.AddLine({ex - eyeR * 1.3f * std::cos(a0), eyeY - eyeR * 0.9f * std::sin(a0)},
                             {ex - eyeR * 1.3f * std::cos(a1), eyeY - eyeR * 0.9f * std::sin(a1)},
                             eyeR * 0.45f);
            }
        } else {
            const float r = surprise ? eyeR * 1.25f : eyeR;
            eyes.AddDistance(
                [&](float x, float y) { return EllipseDistance(x, y, ex, eyeY, r * 0.85f, r * 1.15f); });
        }
    }
    canvas.Fill(eyes, ink);
    if (!smile) {
        Mask glint(w, h);
        glint.AddCircle(f.headX - eyeDx - eyeR * 0.3f, eyeY - eyeR * 0.4f, eyeR * 0.3f);
        glint.AddCircle(f.headX + eyeDx - eyeR * 0.3f, eyeY - eyeR * 0.4f, eyeR * 0.3f);
        canvas.Fill(glint, Colour{1, 1, 1, 0.9f});
    }

    // Brows: their inner ends rise with worry and sadness, both rise in surprise.
    Mask brows(w, h);
    const float browY = eyeY - f.headRy * (surprise ? 0.36f : 0.26f);
    const float innerLift = (worry || sad) ? f.headRy * 0.09f : (smile ? -f.headRy * 0.02f : 0.0f);
    for (float side : {-1.0f, 1.0f}) {
        brows.AddLine(
            {f.headX + side * eyeDx * 0.45f, browY - innerLift},
            {f.headX + side * eyeDx * 1.45f, browY + innerLift * 0.3f - (smile ? f.headRy * 0.03f : 0.0f)},
            f.headRx * 0.07f);
    }
    canvas.Fill(brows, Scaled(ink, 1.4f));

    // Nose: a soft shadow on the unlit side.
    Mask nose(w, h);
    nose.AddLine({f.headX + f.headRx * 0.04f, eyeY + f.headRy * 0.08f},
                 {f.headX + f.headRx * 0.1f, eyeY + f.headRy * 0.3f}, f.headRx * 0.05f);
    canvas.Fill(nose.Blurred(1.5f), Colour{0.45f, 0.22f, 0.12f, 0.45f});

    // Mouth.
    Mask mouth(w, h);
    const float mouthY = f.headY + f.headRy * 0.55f, mouthW = f.headRx * (smile ? 0.42f : 0.28f);
    if (surprise) {
        mouth.AddDistance([&](float x, float y) {
            return EllipseDistance(x, y, f.headX, mouthY, f.headRx * 0.11f, f.headRx * 0.15f);
        });
    } else {
        // A curve: up at the ends for a smile, down for worry and sadness.
        const float bend = smile ? f.headRy * 0.1f : (worry || sad) ? -f.headRy * 0.06f : f.headRy * 0.015f;
        Point previous{f.headX - mouthW, mouthY - bend};
        for (int32_t i = 1; i <= 8; ++i) {
            const float t = -1.0f + 2.0f * float(i) / 8.0f;
            const Point next{f.headX + t * mouthW, mouthY - bend * t * t};
            mouth.AddLine(previous, next, f.headRx * (smile ? 0.075f : 0.06f));
            previous = next;
        }
    }
    canvas.Fill(mouth, Colour{0.55f, 0.16f, 0.14f, 1.0f});
}

} // namespace

void PaintPortrait(Canvas& canvas, int32_t w, int32_t h, const PortraitLook& look) {
    canvas = Canvas(w, h);
    const Figure figure = Measure(w, h);
    if (!look.faceOnly) {
        PaintBody(canvas, figure, look);
    }
    PaintHead(canvas, figure, look);
    PaintFace(canvas, figure, look.expression);
}

bool IsPortraitExpression(const std::string& expression) {
    return expression == "neutral" || expression == "smile" || expression == "worry" ||
           expression == "surprise" || expression == "sad";
}

bool IsPortraitHairStyle(const std::string& style) {
    return style == "short" || style == "bun" || style == "long";
}
