// Kind = cutout: pieces of another recipe's picture, cut along polygons.
//
// A level draws its objects over its painted picture; scenery that should
// stand in front of them (a crate's face, a counter, a bollard) is cut out of
// that same picture and drawn above them, so an object seems to lie behind
// it. The source recipe is painted again here (painting is deterministic, so
// the cut matches the picture pixel for pixel). The result is the bounding
// box of the polygons, whole pixels, its top-left corner at the box's
// floored top-left in the source's pixels; outside the polygons it is
// transparent, with an edge softened by "Feather" pixels.
#include "PictureKinds.h"

#include <algorithm>
#include <cmath>

bool MakeCutout(const Recipe& recipe, const Sources& sources, Canvas& canvas, std::string& error) {
    if (!recipe.CheckKeys({"Kind", "From", "Region", "Feather"}, error)) {
        return false;
    }
    std::string from;
    float feather = 1.0f;
    if (!recipe.GetText("From", from, true, error) ||
        !recipe.GetFloat("Feather", feather, 0, 16, false, error)) {
        return false;
    }
    const RecipeEntry* fromEntry = recipe.Find("From");
    if (from.empty() || from[0] == '/' || from.find("..") != std::string::npos) {
        error = recipe.ErrorAt(fromEntry, "From names a recipe under the content's recipes folder");
        return false;
    }
    Recipe source;
    std::string kind;
    if (!source.Load(sources.contentDirectory + "/recipes/" + from, error) ||
        !source.GetText("Kind", kind, true, error)) {
        error = recipe.ErrorAt(fromEntry, error);
        return false;
    }
    if (kind == "cutout" || !IsPictureKind(kind)) {
        error = recipe.ErrorAt(fromEntry, "From names a picture that is not itself a cutout");
        return false;
    }

    // The regions, checked before the (slow) painting.
    std::vector<std::vector<Point>> regions;
    float left = 1e9f, top = 1e9f, right = -1e9f, bottom = -1e9f;
    for (const RecipeEntry* entry : recipe.FindAll("Region")) {
        const std::vector<std::string> words = Recipe::Words(entry->value);
        std::vector<Point> polygon;
        for (size_t i = 0; i + 1 < words.size(); i += 2) {
            Point point;
            if (!Recipe::ParseFloat(words[i], -kMaxSide, kMaxSide, point.x) ||
                !Recipe::ParseFloat(words[i + 1], -kMaxSide, kMaxSide, point.y)) {
                error = recipe.ErrorAt(entry, "a Region is X Y pairs of numbers");
                return false;
            }
            polygon.push_back(point);
            left = std::min(left, point.x);
            top = std::min(top, point.y);
            right = std::max(right, point.x);
            bottom = std::max(bottom, point.y);
        }
        if (words.size() % 2 != 0 || polygon.size() < 3) {
            error = recipe.ErrorAt(entry, "a Region is at least three X Y pairs");
            return false;
        }
        regions.push_back(std::move(polygon));
    }
    if (regions.empty()) {
        error = recipe.ErrorAt(nullptr, "a cutout needs at least one Region");
        return false;
    }

    Canvas whole;
    if (!MakePicture(source, kind, sources, whole, error)) {
        return false;
    }
    const int32_t x0 = std::max(0, static_cast<int32_t>(std::floor(left)));
    const int32_t y0 = std::max(0, static_cast<int32_t>(std::floor(top)));
    const int32_t x1 = std::min(whole.Width(), static_cast<int32_t>(std::ceil(right)));
    const int32_t y1 = std::min(whole.Height(), static_cast<int32_t>(std::ceil(bottom)));
    if (x1 <= x0 || y1 <= y0) {
        error = recipe.ErrorAt(recipe.Find("Region"), "the regions lie outside the picture of " + from);
        return false;
    }
    Mask mask(x1 - x0, y1 - y0);
    for (std::vector<Point>& polygon : regions) {
        for (Point& point : polygon) {
            point.x -= static_cast<float>(x0);
            point.y -= static_cast<float>(y0);
        }
        mask.AddPolygon(polygon);
    }
    if (feather > 0.0f) {
        mask = mask.Blurred(feather);
    }
    canvas = Canvas(x1 - x0, y1 - y0);
    for (int32_t y = 0; y < canvas.Height(); ++y) {
        for (int32_t x = 0; x < canvas.Width(); ++x) {
            const float* source = whole.Pixel(x + x0, y + y0);
            float* to = canvas.Pixel(x, y);
            for (int i = 0; i < 4; ++i) {
                to[i] = source[i] * mask.At(x, y);
            }
        }
    }
    return true;
}
