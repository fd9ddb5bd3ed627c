#include "Movies.h"

#include "Canvas.h"
#include "MovieWriter.h"
#include "PictureKinds.h"
#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kPi = 3.14159265f;

const std::vector<std::string_view> kBackgroundKeys = {
    "Size",      "Seed",       "SkyTop",       "SkyHorizon", "Horizon", "Sun",
    "SunColour", "Clouds",     "CloudColour",  "Sea",        "Hill",    "Trees",
    "Town",      "TownColour", "WindowColour", "Vignette",   "Grain"};

struct MovieRecipe {
    int32_t width = 0, height = 0;
    float rate[2] = {15, 1};
    float seconds = 12;
    int32_t quality = 32;
    float soundQuality = 0.1f;
    float lighthouse[3] = {0, 0, 0};
    Colour lamp{1.0f, 0.92f, 0.6f, 1};
    float lampOut[2] = {7, 9};
    float dusk = 0.4f;
    int32_t gulls = 3;
    int32_t seed = 1;
};

bool ReadMovieRecipe(const Recipe& recipe, MovieRecipe& m, std::string& error) {
    std::vector<std::string_view> allowed = kBackgroundKeys;
    allowed.insert(allowed.end(), {"Kind", "FrameRate", "Seconds", "Quality", "SoundQuality", "Lighthouse",
                                   "LampColour", "LampOut", "Dusk", "Gulls"});
    if (!recipe.CheckKeys(allowed, error) || !GetSize(recipe, m.width, m.height, error) ||
        !recipe.GetFloat("Seconds", m.seconds, 0.5f, 60, true, error) ||
        !recipe.GetInt("Quality", m.quality, 0, 63, false, error) ||
        !recipe.GetFloat("SoundQuality", m.soundQuality, -0.1f, 1, false, error) ||
        !recipe.GetFloats("Lighthouse", m.lighthouse, 3, 0, kMaxSide, true, error) ||
        !recipe.GetColour("LampColour", m.lamp, false, error) ||
        !recipe.GetFloats("LampOut", m.lampOut, 2, 0, 60, false, error) ||
        !recipe.GetFloat("Dusk", m.dusk, 0, 1, false, error) ||
        !recipe.GetInt("Gulls", m.gulls, 0, 12, false, error) ||
        !recipe.GetInt("Seed", m.seed, 0, 1 << 30, false, error)) {
        return false;
    }
    if (m.width > 1024 || m.height > 1024) {
        error = recipe.ErrorAt(recipe.Find("Size"), "a movie is at most 1024 x 1024");
        return false;
    }
    if (const RecipeEntry* entry = recipe.Find("FrameRate")) {
        const std::vector<std::string> words = Recipe::Words(entry->value);
        if (words.empty() || words.size() > 2 || !Recipe::ParseFloat(words[0], 1, 60, m.rate[0]) ||
            (words.size() == 2 && !Recipe::ParseFloat(words[1], 1, 1001, m.rate[1]))) {
            error = recipe.ErrorAt(entry, "FrameRate is: numerator [denominator]");
            return false;
        }
    }
    return true;
}

// The landscape keys alone, as a background recipe of their own.
bool MakeScenery(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error) {
    std::string text = "Kind = background;\n";
    for (const RecipeEntry& entry : recipe.Entries()) {
        if (std::find(kBackgroundKeys.begin(), kBackgroundKeys.end(), entry.key) != kBackgroundKeys.end()) {
            text += entry.key + " = " + entry.value + ";\n";
        }
    }
    Recipe scenery;
    return scenery.Parse(recipe.Name() + " (landscape)", text, error) &&
           MakeBackground(scenery, sources, canvas, error);
}

// The tower: a tapering white shaft with red bands, a gallery and the lamp
// room, its lamp at the returned point.
Point PaintLighthouse(Canvas& canvas, const MovieRecipe& m) {
    const float x = m.lighthouse[0], base = m.lighthouse[1], height = m.lighthouse[2];
    const float top = base - height, halfBase = height * 0.11f, halfTop = height * 0.07f;
    Mask tower(canvas.Width(), canvas.Height());
    tower.AddPolygon({{x - halfBase, base}, {x + halfBase, base}, {x + halfTop, top}, {x - halfTop, top}});
    canvas.Fill(tower, [&](float px, float) {
        // Lit from the sunset on the left.
        const float side = std::clamp((px - x) / halfBase, -1.0f, 1.0f);
        return Mix(Colour{0.93f, 0.9f, 0.86f, 1}, Colour{0.45f, 0.45f, 0.55f, 1}, 0.5f + 0.5f * side);
    });
    for (int band = 0; band < 2; ++band) {
        Mask stripe(canvas.Width(), canvas.Height());
        const float y0 = base - height * (0.25f + 0.33f * float(band)), y1 = y0 - height * 0.12f;
        stripe.AddRoundedRect(x - halfBase, y1, x + halfBase, y0, 0);
        Mask inside = stripe.Minus(stripe.Minus(tower));
        canvas.Fill(inside, Colour{0.7f, 0.16f, 0.14f, 1});
    }
    Mask room(canvas.Width(), canvas.Height());
    room.AddRoundedRect(x - halfTop * 1.5f, top - height * 0.02f, x + halfTop * 1.5f, top + height * 0.02f,
                        1);
    room.AddRoundedRect(x - halfTop * 0.9f, top - height * 0.13f, x + halfTop * 0.9f, top, 1);
    room.AddPolygon({{x - halfTop * 1.1f, top - height * 0.13f},
                     {x + halfTop * 1.1f, top - height * 0.13f},
                     {x, top - height * 0.21f}});
    canvas.Fill(room, Colour{0.16f, 0.15f, 0.2f, 1});
    return {x, top - height * 0.075f};
}

// A gull: two bent wings whose tips rise and fall with the beat.
void PaintGull(Canvas& canvas, Point at, float span, float beat) {
    Mask gull(canvas.Width(), canvas.Height());
    const float lift = std::sin(beat) * span * 0.35f;
    const Point leftTip{at.x - span, at.y - lift}, rightTip{at.x + span, at.y - lift};
    const Point leftElbow{at.x - span * 0.45f, at.y - span * 0.3f},
        rightElbow{at.x + span * 0.45f, at.y - span * 0.3f};
    gull.AddLine(at, leftElbow, span * 0.16f);
    gull.AddLine(leftElbow, leftTip, span * 0.12f);
    gull.AddLine(at, rightElbow, span * 0.16f);
    gull.AddLine(rightElbow, rightTip, span * 0.12f);
    canvas.Fill(gull, Colour{0.12f, 0.12f, 0.16f, 0.95f});
}

struct Flight {
    float startTime, y, speed, span;
};

float Brightness(const MovieRecipe& m, float t) {
    return 1.0f - std::clamp((t - m.lampOut[0]) / std::max(0.01f, m.lampOut[1] - m.lampOut[0]), 0.0f, 1.0f);
}

void PaintFrame(Canvas& frame, const Canvas& scenery, const MovieRecipe& m, Point lamp,
                const std::vector<Flight>& flights, float t) {
    frame = scenery;
    const float progress = t / m.seconds;
    // Dusk: everything darkens, the land and sea more than the sky's glow.
    const float horizonY = lamp.y + m.lighthouse[2];
    frame.Shade([&](float, float y) {
        const float low = std::clamp(y / std::max(1.0f, horizonY), 0.0f, 1.0f);
        return 1.0f - m.dusk * progress * (0.6f + 0.4f * low);
    });
    const float light = Brightness(m, t);
    if (light > 0.0f) {
        // The beam turns once every four seconds; it is brightest when it
        // points across the picture.
        const float angle = t * 2.0f * kPi / 4.0f;
        const float reach = float(m.width) * 0.9f * std::cos(angle);
        const float spread = std::fabs(reach) * 0.06f + 4.0f;
        if (std::fabs(reach) > 8.0f) {
            Mask beam(frame.Width(), frame.Height());
            beam.AddPolygon({{lamp.x, lamp.y - 2},
                             {lamp.x + reach, lamp.y - spread},
                             {lamp.x + reach, lamp.y + spread},
                             {lamp.x, lamp.y + 2}});
            const float strength = 0.35f * light * std::fabs(std::cos(angle));
            frame.Fill(beam.Blurred(3), [&](float x, float) {
                const float fade = 1.0f - std::clamp(std::fabs(x - lamp.x) / std::fabs(reach), 0.0f, 1.0f);
                return Colour{m.lamp.r, m.lamp.g, m.lamp.b, strength * fade};
            });
        }
        Mask glow(frame.Width(), frame.Height());
        glow.AddCircle(lamp.x, lamp.y, m.lighthouse[2] * 0.12f);
        frame.Fill(glow.Blurred(m.lighthouse[2] * 0.08f), Colour{m.lamp.r, m.lamp.g, m.lamp.b, 0.8f * light});
    }
    Mask bulb(frame.Width(), frame.Height());
    bulb.AddCircle(lamp.x, lamp.y, m.lighthouse[2] * 0.035f + 1.0f);
    frame.Fill(bulb, Mix(Colour{0.25f, 0.24f, 0.28f, 1}, m.lamp, light));
    for (size_t i = 0; i < flights.size(); ++i) {
        const Flight& f = flights[i];
        const float flown = (t - f.startTime) * f.speed;
        const float x = -f.span * 2 + flown;
        if (flown < 0 || x > float(m.width) + f.span * 2) {
            continue;
        }
        const float y = f.y + std::sin(flown * 0.02f + float(i)) * 6.0f;
        PaintGull(frame, {x, y}, f.span, t * 7.0f + float(i));
    }
}

// Waves on the shore, the gulls' cries as they pass, and a low chord that
// fades with the lamp.
Pcm MakeSoundtrack(const MovieRecipe& m, const std::vector<Flight>& flights) {
    Pcm pcm;
    pcm.rate = 22050;
    pcm.channels = 1;
    const size_t count = size_t(m.seconds * float(pcm.rate));
    pcm.samples.assign(count, 0.0f);
    Random random(uint32_t(m.seed) + 77u);
    float low = 0.0f, lower = 0.0f;
    for (size_t i = 0; i < count; ++i) {
        const float t = float(i) / float(pcm.rate);
        // Waves: twice filtered noise that swells every six seconds or so.
        const float noise = random.Range(-1.0f, 1.0f);
        low += (noise - low) * 0.08f;
        lower += (low - lower) * 0.08f;
        const float swell = 0.55f + 0.45f * std::sin(t * 2.0f * kPi / 6.3f);
        float sample = lower * 2.2f * swell;
        const float lamp = Brightness(m, t);
        const float fadeIn = std::min(1.0f, t / 1.5f);
        for (float hz : {110.0f, 164.8f, 220.0f}) {
            sample += 0.05f * lamp * fadeIn * std::sin(2.0f * kPi * hz * t);
        }
        pcm.samples[i] = sample;
    }
    for (const Flight& f : flights) {
        for (int cry = 0; cry < 2; ++cry) {
            const float start = f.startTime + 1.0f + float(cry) * 0.45f;
            const size_t first = size_t(std::max(0.0f, start) * float(pcm.rate));
            const size_t length = size_t(0.35f * float(pcm.rate));
            float phase = 0.0f;
            for (size_t k = 0; k < length && first + k < count; ++k) {
                const float u = float(k) / float(length);
                const float hz = 1500.0f - 650.0f * u;
                phase += 2.0f * kPi * hz / float(pcm.rate);
                const float envelope = std::sin(kPi * u) * 0.18f;
                pcm.samples[first + k] += envelope * (std::sin(phase) + 0.4f * std::sin(2.0f * phase));
            }
        }
    }
    // A second of fade at both ends.
    for (size_t i = 0; i < count; ++i) {
        const float t = float(i) / float(pcm.rate);
        const float edge = std::min({1.0f, t / 1.0f, (m.seconds - t) / 1.0f});
        pcm.samples[i] = std::clamp(pcm.samples[i] * edge, -1.0f, 1.0f);
    }
    return pcm;
}

} // namespace

bool IsMovieKind(const std::string& kind) {
    return kind == "movie";
}

bool MakeMovie(const Recipe& recipe, const Sources& sources, std::string& bytes, std::string& error) {
    MovieRecipe m;
    if (!ReadMovieRecipe(recipe, m, error)) {
        return false;
    }
    Canvas scenery;
    if (!MakeScenery(recipe, sources, scenery, error)) {
        return false;
    }
    const Point lamp = PaintLighthouse(scenery, m);
    Random random(uint32_t(m.seed));
    std::vector<Flight> flights;
    for (int32_t i = 0; i < m.gulls; ++i) {
        const float span = random.Range(9, 16);
        flights.push_back({random.Range(-1.0f, m.seconds * 0.75f),
                           random.Range(float(m.height) * 0.12f, lamp.y), random.Range(60, 110), span});
    }
    const double fps = double(m.rate[0]) / double(m.rate[1]);
    const int32_t frames = int32_t(std::lround(double(m.seconds) * fps));
    MovieSettings settings{.width = m.width,
                           .height = m.height,
                           .fpsNumerator = uint32_t(m.rate[0]),
                           .fpsDenominator = uint32_t(m.rate[1]),
                           .quality = m.quality,
                           .keyframeInterval = int32_t(std::lround(fps * 4)),
                           .soundQuality = m.soundQuality};
    Canvas frame;
    bytes = EncodeMovie(
        settings, frames,
        [&](int32_t index, std::vector<uint8_t>& bgra) {
            PaintFrame(frame, scenery, m, lamp, flights, float(double(index) / fps));
            bgra = frame.ToBgra();
        },
        MakeSoundtrack(m, flights), error);
    if (bytes.empty()) {
        error = recipe.Name() + ": " + error;
        return false;
    }
    return true;
}
