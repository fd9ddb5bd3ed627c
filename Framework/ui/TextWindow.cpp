#include "ui/TextWindow.h"

#include "io/StringTable.h"
#include "render/RenderState.h"

TextWindow::TextWindow() {
    Name.SetFirstString("NewTextWindow");
    DeclareString("font", font, 1, this, "");
    DeclareFloat("textColor", textColor, 4, this, 1.0f);
    DeclareString("text", text, 1, this, "");
    DeclareInt("offset", offset, 2, this, 0);
    DeclareInt("margin", margin, 2, this, 0);
    DeclareInt("alignment", alignment, 2, this, 0);
}

bool TextWindow::Resolve() {
    const bool relayout = text.IsChanged() || font.IsChanged() || area.IsChanged() || segments.IsChanged();
    const bool result = Window::Resolve();
    if (relayout) {
        Layout();
    }
    return result;
}

bool TextWindow::Layout() {
    laidOut.Clear();
    Font* face = font.Get(0);
    if (!face) {
        fits = false;
        return false;
    }
    fits = LayoutWith(*face->GetFontBase(), face->Height(), laidOut);
    return fits;
}

String TextWindow::SourceText() const {
    String source;
    if (!LookupString(text.FirstString().CStr(), source)) {
        source = text.FirstString();
    }
    return source;
}

bool TextWindow::LayoutWith(FontBase& face, int32_t lineHeight, TextLines& out) const {
    const String source = SourceText();
    if (!LayoutText(face, source.CStr(), static_cast<float>(InteriorWidth()), out)) {
        return false;
    }
    return static_cast<int64_t>(out.lines.size()) * lineHeight <= InteriorHeight();
}

bool TextWindow::Draw() {
    if (!Window::Draw()) {
        return false;
    }
    Font* face = font.Get(0);
    if (!face || laidOut.lines.empty()) {
        return true;
    }
    RenderStackScope scope;
    const float* current = RenderStack::Current().color;
    const float color[4] = {current[0] * textColor.GetFloat(0), current[1] * textColor.GetFloat(1),
                            current[2] * textColor.GetFloat(2), current[3] * textColor.GetFloat(3)};
    Matrix4 matrix;
    GetMatrix(matrix, kWorldMatrix);
    const float originX = static_cast<float>(offset.GetInt(0) + BorderWidth() - margin.GetInt(0));
    const float originY = static_cast<float>(offset.GetInt(1) + BorderHeight() - margin.GetInt(1));
    const float interiorWidth = static_cast<float>(InteriorWidth());
    const float lineHeight = static_cast<float>(face->Height());
    const float blockHeight = lineHeight * static_cast<float>(laidOut.lines.size());
    float y = originY;
    if (alignment.GetInt(1) == 1) {
        y += (static_cast<float>(InteriorHeight()) - blockHeight) / 2.0f;
    } else if (alignment.GetInt(1) == 2) {
        y += static_cast<float>(InteriorHeight()) - blockHeight;
    }
    for (size_t i = 0; i < laidOut.lines.size(); ++i) {
        float x = originX;
        if (alignment.GetInt(0) == 1) {
            x += (interiorWidth - laidOut.widths[i]) / 2.0f;
        } else if (alignment.GetInt(0) == 2) {
            x += interiorWidth - laidOut.widths[i];
        }
        RenderStack::SetColor(color[0], color[1], color[2], color[3]); // the font ends in white
        RenderStack::SetModelMatrix(matrix * Matrix4::Translation(x, y, 0.0f));
        face->Draw(laidOut.lines[i].CStr());
        y += lineHeight;
    }
    return true;
}
