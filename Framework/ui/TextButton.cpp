#include "ui/TextButton.h"

#include "io/Resources.h"
#include "io/StringTable.h"
#include "render/Font.h"
#include "render/Font3D.h"
#include "render/RenderState.h"
#include "render/TextStyles.h"

namespace {

constexpr int32_t kHitRectangle = 2;

Sprite* SpriteAt(const Var& paths, int32_t index) {
    const String& text = paths.GetString(index);
    return text.Empty() ? nullptr : Resources::FindSprite(text.CStr());
}

void NotSaved(Var& var) {
    var.flags &= ~Var::kSaved;
}

} // namespace

TextButton::TextButton() {
    Name.SetFirstString("NewTextButton");
    for (Var* path : {&UpPath, &DownPath, &OverPath, &DisabledPath, &HighlightPath, &HighlightOffset}) {
        NotSaved(*path);
    }
    DeclareString("Text", Text, 1, this, "");
    DeclareInt("Font", FontIndex, 1, this, 0);
    for (int32_t i = 0; i < TextStyleCount(); ++i) {
        FontIndex.AddValueName(TextStyleName(i), i);
    }
    DeclareString("Left", Left, 3, this, "");
    DeclareString("Right", Right, 3, this, "");
    DeclareString("Center", Center, 3, this, "");
    DeclareFloat("TextOffset", TextOffset, 2, this, 0.0f);
    DeclareInt("MinWidth", MinWidth, 1, this, 0);
    DeclareInt("Alignment", Alignment, 1, this, kAlignLeft);
    DeclareInt("TextAlignment", TextAlignment, 1, this, kAlignLeft);
    for (Var* align : {&Alignment, &TextAlignment}) {
        align->AddValueName("Left", kAlignLeft);
        align->AddValueName("Right", kAlignRight);
        align->AddValueName("Center", kAlignCenter);
    }
    DeclareString("icon", icon, 1, this, "");
    DeclareInt("iconAnchor", iconAnchor, 1, this, kBeforeText);
    iconAnchor.AddValueName("Before Text", kBeforeText);
    iconAnchor.AddValueName("After Text", kAfterText);
    iconAnchor.AddValueName("Top Left", kTopLeft);
    iconAnchor.AddValueName("Center", kIconCenter);
    iconAnchor.AddValueName("Bottom Right", kBottomRight);
    DeclareFloat("iconOffset", iconOffset, 2, this, 0.0f);
    DeclareBool("drawFrame", drawFrame, 1, this, true);
}

int32_t TextButton::WidthOf(const Sprite* sprite) {
    return sprite ? sprite->Width() : 0;
}

Sprite* TextButton::Piece(int32_t piece) const {
    const int32_t which = state >= 0 && state < 3 ? state : 0;
    return frame[which][piece];
}

bool TextButton::Resolve() {
    const bool result = Widget::Resolve();
    const Var* pieces[3] = {&Left, &Center, &Right};
    for (int32_t piece = 0; piece < 3; ++piece) {
        if (pieces[piece]->IsChanged()) {
            for (int32_t which = 0; which < 3; ++which) {
                frame[which][piece] = SpriteAt(*pieces[piece], which);
            }
        }
    }
    bool fontJustResolved = false;
    if (FontIndex.IsChanged() || !font) {
        Font* found = TextStyleFont(FontIndex.FirstInt());
        fontJustResolved = found && found != font;
        font = found;
    }
    if (Text.IsChanged() || FontIndex.IsChanged() || icon.IsChanged() || fontJustResolved) {
        String looked;
        caption = LookupString(Text.FirstString().CStr(), looked) ? looked : Text.FirstString();
        Layout();
    }
    return result;
}

void TextButton::Layout() {
    if (!font) {
        return;
    }
    const int32_t middle = WidthOf(Piece(1));
    int32_t needed = font->TextWidth(caption.CStr()) + WidthOf(icon.Get(0));
    needed = std::max(needed, MinWidth.FirstInt());
    tiles = middle > 0 && MinWidth.FirstInt() >= 0 ? needed / middle : 0;
    // A face of one wide picture: truncating a width it does not reach would
    // leave no frame to see or to click, so it still lays one tile.
    if (tiles == 0 && middle > 0 && MinWidth.FirstInt() >= 0 && needed > 0) {
        tiles = 1;
    }
    totalWidth = tiles * middle + WidthOf(Piece(0)) + WidthOf(Piece(2));
}

void TextButton::GetMatrix(Matrix4& out, int index) const {
    Widget::GetMatrix(out, index);
    if (index != kWorldMatrix) {
        return;
    }
    switch (Alignment.FirstInt()) {
    case kAlignRight:
        out = out * Matrix4::Translation(-static_cast<float>(totalWidth), 0.0f, 0.0f);
        break;
    case kAlignCenter:
        out = out * Matrix4::Translation(-static_cast<float>(totalWidth) / 2.0f, 0.0f, 0.0f);
        break;
    default:
        break;
    }
}

bool TextButton::HitTest(const Vec2& point) {
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    float x = 0.0f;
    auto hits = [&](Sprite* sprite) {
        const bool hit =
            sprite && sprite->HitTest(matrix * Matrix4::Translation(x, 0.0f, 0.0f), point, kHitRectangle);
        x += static_cast<float>(WidthOf(sprite));
        return hit;
    };
    if (hits(Piece(0))) {
        return true;
    }
    for (int32_t i = 0; i < tiles; ++i) {
        if (hits(Piece(1))) {
            return true;
        }
    }
    return hits(Piece(2));
}

bool TextButton::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    RenderStackScope scope;
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    auto drawAt = [&matrix](Sprite* sprite, float x, float y) {
        if (sprite) {
            RenderStack::SetModelMatrix(matrix * Matrix4::Translation(x, y, 0.0f));
            sprite->Draw();
        }
    };
    // 1. The frame.
    if (drawFrame.FirstBool()) {
        float x = 0.0f;
        drawAt(Piece(0), x, 0.0f);
        x += static_cast<float>(WidthOf(Piece(0)));
        for (int32_t i = 0; i < tiles; ++i) {
            drawAt(Piece(1), x, 0.0f);
            x += static_cast<float>(WidthOf(Piece(1)));
        }
        drawAt(Piece(2), x, 0.0f);
    }
    const bool pressed = state == kDown;
    Sprite* iconSprite = icon.Get(0);
    const int32_t iconWidth = WidthOf(iconSprite);
    const int32_t anchor = iconAnchor.FirstInt() >= kBeforeText && iconAnchor.FirstInt() <= kBottomRight
                               ? iconAnchor.FirstInt()
                               : kBeforeText;
    float captionStart = 0.0f, captionEnd = 0.0f;
    // 2. to 4. The caption.
    if (font) {
        const int32_t width = font->TextWidth(caption.CStr());
        float y = TextOffset.GetFloat(1);
        float x = 0.0f;
        const int32_t align = TextAlignment.FirstInt();
        if (align == kAlignRight) {
            x = static_cast<float>(totalWidth - width) - TextOffset.GetFloat(0);
        } else if (align == kAlignCenter) {
            x = static_cast<float>(totalWidth / 2 - width / 2) + TextOffset.GetFloat(0);
        } else {
            x = TextOffset.GetFloat(0) - static_cast<float>(font->GetFont3D()->Inset());
        }
        if (pressed) {
            y += 1.0f;
            x += align == kAlignRight || align == kAlignCenter ? 0.0f : 1.0f;
        }
        if (iconSprite && anchor == kBeforeText) {
            x += align == kAlignRight || align == kAlignCenter ? static_cast<float>(iconWidth / 2)
                                                               : static_cast<float>(iconWidth);
        }
        captionStart = x;
        captionEnd = x + static_cast<float>(width);
        RenderStack::SetModelMatrix(matrix * Matrix4::Translation(x, y, 0.0f));
        font->Draw(caption.CStr());
    }
    // 5. The icon, centred on its anchor point.
    if (iconSprite) {
        const float offsetX = iconOffset.GetFloat(0), offsetY = iconOffset.GetFloat(1);
        float x = offsetX, y = offsetY;
        switch (anchor) {
        case kBeforeText:
            x += captionStart;
            break;
        case kAfterText:
            x += captionEnd;
            break;
        case kIconCenter:
            x += static_cast<float>(totalWidth / 2);
            y += static_cast<float>((frame[kUp][1] ? frame[kUp][1]->Height() : 0) / 2);
            break;
        case kBottomRight:
            x += static_cast<float>(totalWidth);
            y += static_cast<float>(frame[kUp][2] ? frame[kUp][2]->Height() : 0);
            break;
        default:
            break;
        }
        if (pressed) {
            x += 1.0f;
            y += 1.0f;
        }
        drawAt(iconSprite, x - static_cast<float>(iconWidth / 2),
               y - static_cast<float>(iconSprite->Height() / 2));
    }
    return true;
}
