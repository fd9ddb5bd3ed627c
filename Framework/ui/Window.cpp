#include "ui/Window.h"

#include "render/BlendMode.h"
#include "render/RenderState.h"

#include <algorithm>

const char* const Window::kDefaultSegments[kSegmentCount] = {
    "gui/Window/frame_TL.png", "gui/Window/frame_T.png",  "gui/Window/frame_TR.png", "gui/Window/frame_L.png",
    "gui/Window/frame_R.png",  "gui/Window/frame_BL.png", "gui/Window/frame_B.png",  "gui/Window/frame_BR.png"};
const char* const Window::kDefaultBackgrounds[kBackgroundCount] = {
    "gui/Window/fill_TL.png", "gui/Window/fill_T.png",  "gui/Window/fill_TR.png",
    "gui/Window/fill_L.png",  "gui/Window/fill_R.png",  "gui/Window/fill_BL.png",
    "gui/Window/fill_B.png",  "gui/Window/fill_BR.png", "gui/Window/fill_BG.png"};

namespace {

// Tiles per side are bounded so a damaged "area" cannot stall a frame.
constexpr int32_t kMaxTiles = 256;

int32_t WidthOf(const Sprite* sprite) {
    return sprite ? sprite->Width() : 0;
}
int32_t HeightOf(const Sprite* sprite) {
    return sprite ? sprite->Height() : 0;
}

// Piece index (segments order) of a border cell; -1 for a middle cell.
// Column and row are 0 (first), 1 (middle) or 2 (last).
int32_t PieceAt(int32_t column, int32_t row) {
    static constexpr int32_t kPieces[3][3] = {{0, 1, 2}, {3, -1, 4}, {5, 6, 7}};
    return kPieces[row][column];
}

} // namespace

Window::Window() {
    Name.SetFirstString("NewWindow");
    DeclareInt("area", area, 2, this, 1);
    DeclareString("segments", segments, kSegmentCount, this, "");
    for (int32_t i = 0; i < kSegmentCount; ++i) {
        segments.SetString(i, kDefaultSegments[i]);
    }
    DeclareString("backgrounds", backgrounds, kBackgroundCount, this, "");
    for (int32_t i = 0; i < kBackgroundCount; ++i) {
        backgrounds.SetString(i, kDefaultBackgrounds[i]);
    }
    DeclareBool("drawFrame", drawFrame, 1, this, true);
    DeclareBool("drawBackground", drawBackground, 1, this, true);
}

int32_t Window::BorderWidth() const {
    return std::max(WidthOf(segments.Get(0)), WidthOf(backgrounds.Get(0)));
}
int32_t Window::BorderHeight() const {
    return std::max(HeightOf(segments.Get(0)), HeightOf(backgrounds.Get(0)));
}
int32_t Window::TileWidth() const {
    return std::max(WidthOf(segments.Get(1)), WidthOf(backgrounds.Get(1)));
}
int32_t Window::TileHeight() const {
    return std::max(HeightOf(segments.Get(3)), HeightOf(backgrounds.Get(3)));
}
int32_t Window::InteriorWidth() const {
    return std::clamp(area.GetInt(0), 0, kMaxTiles) * TileWidth();
}
int32_t Window::InteriorHeight() const {
    return std::clamp(area.GetInt(1), 0, kMaxTiles) * TileHeight();
}

bool Window::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    RenderStackScope scope;
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    const int32_t across = std::clamp(area.GetInt(0), 0, kMaxTiles);
    const int32_t down = std::clamp(area.GetInt(1), 0, kMaxTiles);
    const bool frame = drawFrame.FirstBool(), background = drawBackground.FirstBool();
    const int32_t widths[3] = {BorderWidth(), TileWidth(), 0};
    const int32_t heights[3] = {BorderHeight(), TileHeight(), 0};
    auto drawAt = [&matrix](Sprite* sprite, float x, float y) {
        if (sprite) {
            RenderStack::SetModelMatrix(matrix * Matrix4::Translation(x, y, 0.0f));
            sprite->Draw();
        }
    };
    float y = 0.0f;
    for (int32_t row = 0; row < down + 2; ++row) {
        const int32_t rowKind = row == 0 ? 0 : (row == down + 1 ? 2 : 1);
        float x = 0.0f;
        for (int32_t column = 0; column < across + 2; ++column) {
            const int32_t columnKind = column == 0 ? 0 : (column == across + 1 ? 2 : 1);
            const int32_t piece = PieceAt(columnKind, rowKind);
            if (background) {
                drawAt(backgrounds.Get(piece < 0 ? 8 : piece), x, y);
            }
            if (frame && piece >= 0) {
                drawAt(segments.Get(piece), x, y);
            }
            x += static_cast<float>(widths[columnKind]);
        }
        y += static_cast<float>(heights[rowKind]);
    }
    return true;
}
