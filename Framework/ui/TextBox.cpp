#include "ui/TextBox.h"

#include "anim/EffectsHold.h"
#include "core/FrameTime.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "render/BlendMode.h"
#include "render/Font.h"
#include "render/Font3D.h"
#include "render/RenderState.h"
#include "render/Sprite.h"
#include "render/TextStyles.h"
#include "ui/Button.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int32_t kHitAlpha = 0;
TextBox* focused = nullptr;

Sprite* SpriteAt(const Var& path) {
    const String& text = path.FirstString();
    return text.Empty() ? nullptr : Resources::FindSprite(text.CStr());
}

} // namespace

TextBox::TextBox() {
    Name.SetFirstString("NewTextBox");
    DeclareString("Text", Text, 1, this, "");
    DeclareString("Frame", Frame, 1, this, "");
    DeclareString("Hover", Hover, 1, this, "");
    DeclareInt("Font", FontIndex, 1, this, 0);
    for (int32_t i = 0; i < TextStyleCount(); ++i) {
        FontIndex.AddValueName(TextStyleName(i), i);
    }
    DeclareBool("Edit", Edit, 1, this, false);
    DeclareFloat("Offset", Offset, 2, this, 0.0f);
    DeclareInt("Alignment", Alignment, 1, this, kLeft);
    Alignment.AddValueName("Left", kLeft);
    Alignment.AddValueName("Right", kRight);
    Alignment.AddValueName("Center", kCenter);
    DeclareInt("VerticalAlignment", VerticalAlignment, 1, this, kTop);
    VerticalAlignment.AddValueName("Top", kTop);
    VerticalAlignment.AddValueName("Bottom", kBottom);
    VerticalAlignment.AddValueName("Middle", kMiddle);
    DeclareFloat("Area", Area, 2, this, 200.0f);
    DeclareBool("UseLookup", UseLookup, 1, this, true);
    DeclareBool("Link", Link, 1, this, false);
    DeclareInt("LinkColor", LinkColor, 1, this, 0);
    DeclareInt("DefaultColor", DefaultColor, 1, this, 0);
    DeclareInt("editWidthLimit", editWidthLimit, 1, this, 0);
    DeclareString("validCharacters", validCharacters, 1, this, "");
}

TextBox::~TextBox() {
    if (focused == this) {
        focused = nullptr;
    }
}

TextBox* TextBox::FocusedTextBox() {
    return focused;
}

void TextBox::SetFont(Font* replacement) {
    font = replacement;
    fontFixed = replacement != nullptr;
    Layout();
}

bool TextBox::Resolve() {
    const bool result = Widget::Resolve();
    if (Frame.IsChanged()) {
        frame = SpriteAt(Frame);
    }
    if (Hover.IsChanged()) {
        hover = SpriteAt(Hover);
    }
    bool fontChanged = false;
    if (!fontFixed && (FontIndex.IsChanged() || !font)) {
        Font* found = TextStyleFont(FontIndex.FirstInt());
        fontChanged = found != font;
        font = found;
    }
    if (Text.IsChanged() || FontIndex.IsChanged() || Link.IsChanged() || fontChanged) {
        Layout();
    }
    return result;
}

String TextBox::SourceText() const {
    const String& text = Text.FirstString();
    if (UseLookup.FirstBool() && !text.Empty()) {
        String looked;
        if (LookupString(text.CStr(), looked)) {
            return looked;
        }
    }
    return text;
}

bool TextBox::Layout() {
    laidOut.Clear();
    caretLine = "_";
    if (!font) {
        fits = false;
        return false;
    }
    fits = LayoutWith(*font->GetFontBase(), font->Height(), laidOut);
    if (!laidOut.lines.empty()) {
        caretLine = laidOut.lines.back() + "_";
    }
    return fits;
}

bool TextBox::LayoutWith(FontBase& face, int32_t lineHeight, TextLines& out) const {
    const bool links = Link.FirstBool();
    const char on = links ? static_cast<char>(LinkColor.FirstInt()) : '\0';
    const char off = links ? static_cast<char>(DefaultColor.FirstInt()) : '\0';
    const String source = SourceText();
    if (!LayoutText(face, source.CStr(), Area.GetFloat(0), out, on, off)) {
        return false;
    }
    // The lines must end above the area's bottom edge.
    return out.lines.empty() ||
           static_cast<float>(out.lines.size()) * static_cast<float>(lineHeight) < Area.GetFloat(1);
}

void TextBox::SetText(const char* text) {
    Text.SetFirstString(text ? text : "");
    Layout();
}

bool TextBox::BeginEdit() {
    if (!Edit.FirstBool() || !Visible.FirstBool()) {
        return false;
    }
    focused = this;
    return true;
}

bool TextBox::EndEdit() {
    if (!Visible.FirstBool() || focused != this) {
        return false;
    }
    focused = nullptr;
    return true;
}

bool TextBox::HitTest(const Vec2& point) {
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    if (frame) {
        return frame->HitTest(matrix, point, kHitAlpha);
    }
    if (!hitByArea) {
        return false;
    }
    const Vec2 local = matrix.Inverse().TransformPoint(point);
    return local.x >= 0.0f && local.y >= 0.0f && local.x <= Area.GetFloat(0) && local.y <= Area.GetFloat(1);
}

bool TextBox::HoverTest() {
    hovered = HitTest(Button::CursorInScene());
    return hovered;
}

bool TextBox::MouseButton(int32_t button, bool pressed) {
    if (button != 0 || !pressed || !Visible.FirstBool() || !HitTest(Button::CursorInScene())) {
        return false;
    }
    if (Link.FirstBool()) {
        Message(message::kTextLink, this);
        return false;
    }
    if (Edit.FirstBool()) {
        return BeginEdit();
    }
    EndEdit();
    return Message(message::kTextClicked, this);
}

bool TextBox::Key(int32_t key, bool pressed, bool /*repeat*/) {
    if (!Visible.FirstBool() || focused != this || !Edit.FirstBool() || !pressed) {
        return false;
    }
    if (key == kBackspaceKey) {
        if (clearOnEdit) {
            clearOnEdit = false;
            Text.SetFirstString("");
        }
        const String& text = Text.FirstString();
        if (!text.Empty()) {
            const std::string shorter(text.CStr(), text.Length() - 1);
            SetText(shorter.c_str());
            Message(message::kTextChanged, this);
        }
    } else if (key == kReturnKey) {
        EndEdit();
        Message(message::kTextEntered, this);
    }
    return true;
}

bool TextBox::Accepts(int32_t character) const {
    if (character < 32 || character > 255 || character == 127) {
        return false;
    }
    const String& valid = validCharacters.FirstString();
    if (valid.Empty()) {
        return true;
    }
    String allowed;
    if (!LookupString(valid.CStr(), allowed)) {
        allowed = valid;
    }
    return std::memchr(allowed.CStr(), static_cast<char>(character), allowed.Length()) != nullptr;
}

bool TextBox::Char(int32_t character) {
    if (!Visible.FirstBool() || focused != this || !Edit.FirstBool()) {
        return false;
    }
    if (!Accepts(character)) {
        return false;
    }
    if (clearOnEdit) {
        clearOnEdit = false;
        Text.SetFirstString("");
    }
    const String old = Text.FirstString();
    String typed = old;
    const char one[2] = {static_cast<char>(character), '\0'};
    typed.Append(one);
    if (!font || font->TextWidth(typed.CStr()) > editWidthLimit.FirstInt()) {
        return false;
    }
    // The edited text is the text itself, never a string-table key.
    const bool lookup = UseLookup.FirstBool();
    UseLookup.SetFirstBool(false);
    SetText(typed.CStr());
    UseLookup.SetFirstBool(lookup);
    if (fits) {
        Message(message::kTextChanged, this);
    } else {
        SetText(old.CStr());
    }
    return true;
}

bool TextBox::Draw() {
    if (!Visible.FirstBool()) {
        return false;
    }
    RenderStackScope scope;
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    RenderStack::SetBlendMode(kBlendAlphaBlend);
    Sprite* face = hovered && hoverEnabled && hover ? hover : frame;
    if (face) {
        RenderStack::SetModelMatrix(matrix);
        face->Draw();
    }
    if (!font) {
        return true;
    }
    const float lineHeight = static_cast<float>(font->Height());
    const float margin = static_cast<float>(font->GetFont3D()->Inset());
    // An empty box being edited still holds one line: the caret's.
    const bool editing = focused == this && Edit.FirstBool();
    const float count = static_cast<float>(std::max<size_t>(laidOut.lines.size(), editing ? 1 : 0));
    const float areaWidth = Area.GetFloat(0), areaHeight = Area.GetFloat(1);
    float y = Offset.GetFloat(1);
    switch (VerticalAlignment.FirstInt()) {
    case kBottom:
        y += areaHeight - (count * lineHeight + static_cast<float>(font->GetFont3D()->Descent()));
        break;
    case kMiddle:
        y += (areaHeight - count * lineHeight) / 2.0f;
        break;
    default:
        break;
    }
    // Held effects keep the caret on, so that a picture with it settles.
    const bool blinkOn = EffectsHeld() || static_cast<int64_t>(totalTime * 2.0) % 2 == 0;
    const bool caret = editing && blinkOn;
    const size_t lines = laidOut.lines.size();
    // The font leaves white behind each string: every line starts in the box's colour.
    float color[4];
    std::memcpy(color, RenderStack::Current().color, sizeof color);
    for (size_t i = 0; i < lines || (i == 0 && caret); ++i) {
        const bool last = lines == 0 || i + 1 == lines;
        const char* text = caret && last ? caretLine.CStr() : laidOut.lines[i].CStr();
        const float width = lines ? laidOut.widths[i] : 0.0f;
        float x = Offset.GetFloat(0);
        if (Alignment.FirstInt() == kRight) {
            x += areaWidth - (margin + width);
        } else if (Alignment.FirstInt() == kCenter) {
            x += (areaWidth - (margin + width)) / 2.0f;
        }
        RenderStack::SetColor(color[0], color[1], color[2], color[3]);
        RenderStack::SetModelMatrix(matrix * Matrix4::Translation(x, y, 0.0f));
        font->Draw(text);
        y += lineHeight;
    }
    return true;
}
