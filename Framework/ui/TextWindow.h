#pragma once
// TextWindow: a Window with a word-wrapped text inside its middle.
//
// The text ("text": a string-table key, or the text itself when no table has
// it) is wrapped against the interior width (the window's middle tiles) by the
// text box's rules, when the text, font or size changed. Its origin is
// "offset" plus the border size minus "margin". "alignment" places each line
// horizontally (0 left, 1 centred in the interior, 2 right) and the block
// vertically (0 top, 1 centred, 2 bottom, by the font's line height). The text
// draws in "textColor" times the current colour.
//
// Properties after the Window's: font (font path), textColor (float[4]),
// text, offset (int[2]), margin (int[2]), alignment (int[2]).

#include "render/Font.h"
#include "ui/TextLayout.h"
#include "ui/Window.h"

class TextWindow : public Window {
    ENGINE_CLASS(TextWindow, Window)

public:
    TextWindow();

    bool Resolve() override;
    bool Draw() override;

    /// Wraps the text again; false when it does not fit across or down.
    bool Layout();
    /// Wraps the text by the rules of Layout() with `face`, whose lines are
    /// `lineHeight` pixels apart, into `out`; true when it fits. Tools measure
    /// with fonts of their own through it.
    bool LayoutWith(FontBase& face, int32_t lineHeight, TextLines& out) const;
    /// The text shown: the string-table text of "text", else "text" itself.
    String SourceText() const;
    bool LayoutFits() const { return fits; }
    const TextLines& Lines() const { return laidOut; }

    Link<Font> font;
    Var textColor;
    Var text;
    Var offset;
    Var margin;
    Var alignment;

private:
    TextLines laidOut;
    bool fits = true;
};
