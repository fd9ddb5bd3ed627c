#include "ui/SnakeBlob.h"

#include "core/Log.h"
#include "render/BlendMode.h"
#include "render/RenderState.h"

#include <cerrno>
#include <cstdlib>

namespace {

constexpr const char* kSegmentRoles[SnakeBlob::kSegmentCount] = {
    "Horizontal",  "Vertical", "TopLeft",  "TopRight", "BottomLeft",
    "BottomRight", "CapLeft",  "CapRight", "CapTop",   "CapBottom"};

} // namespace

SnakeBlob::SnakeBlob() {
    Name.SetFirstString("NewSnakeBlob");
    DeclareString("segments", segments, 1, this, kSegmentRoles[0]);
    for (int32_t i = 1; i < kSegmentCount; ++i) {
        segments.AddString(kSegmentRoles[i]);
    }
    DeclareString("layout", layout, 1, this, "");
}

int32_t SnakeBlob::SegmentFor(int32_t code) {
    switch (code) {
    case 3:
        return 1; // up + down
    case 12:
        return 0; // left + right
    case 10:
        return 2; // down + right
    case 6:
        return 3; // down + left
    case 9:
        return 4; // up + right
    case 5:
        return 5; // up + left
    case 8:
        return 6; // right only
    case 4:
        return 7; // left only
    case 2:
        return 8; // down only
    case 1:
        return 9; // up only
    default:
        return code >= 0 && code <= 15 ? 0 : -1;
    }
}

bool SnakeBlob::Resolve() {
    const bool layoutChanged = layout.IsChanged();
    const bool result = Widget::Resolve();
    if (layoutChanged) {
        ParseLayout();
    }
    return result;
}

void SnakeBlob::ParseLayout() {
    cells.clear();
    const char* text = layout.FirstString().CStr();
    int32_t numbers[3] = {0, 0, 0};
    int32_t have = 0;
    while (*text) {
        char* end = nullptr;
        errno = 0;
        const long number = std::strtol(text, &end, 10);
        if (end == text || errno == ERANGE || number < INT32_MIN || number > INT32_MAX) {
            LogFormat("SnakeBlob %s: the layout stops at '%.20s', which is not a number", GetName(), text);
            break;
        }
        numbers[have++] = static_cast<int32_t>(number);
        if (have == 3) {
            cells.push_back(Cell{numbers[0], numbers[1], numbers[2]});
            have = 0;
        }
        text = end;
        while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') {
            ++text;
        }
        if (*text == ',') {
            ++text;
        }
    }
}

bool SnakeBlob::Draw() {
    if (!Visible.FirstBool() || segments.HasUnresolved()) {
        return false;
    }
    const float tile = static_cast<float>(segments.Get(0)->Width());
    const Matrix4& world = WorldMatrix();
    RenderStackScope scope;
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    for (const Cell& cell : cells) {
        const int32_t segment = SegmentFor(cell.code);
        if (segment < 0) {
            continue;
        }
        RenderStack::SetModelMatrix(world * Matrix4::Translation(static_cast<float>(cell.x) * tile,
                                                                 static_cast<float>(cell.y) * tile, 0.0f));
        segments.Get(segment)->Draw();
    }
    return true;
}
