#pragma once
// TextBox: a word-wrapped text inside a fixed area ("Area", width and height
// in the box's own pixels, origin at its top-left), optionally from the string
// tables, optionally editable with the keyboard, optionally with link text.
//
// The text is laid out (see TextLayout.h) whenever "Text", "Font" or "Link"
// changed; a text that does not fit (a word wider than the area, or the lines
// reaching the area's height) keeps the lines placed before the failure and
// logs nothing: LayoutFits() tells, and the data checker reports it.
//
// Editing: one box at a time has the keyboard focus (FocusedTextBox). A left
// click on an editable box takes it; typed characters (Latin-1 codes 32..255,
// those of "validCharacters" when set) are appended while the text stays no
// wider than "editWidthLimit" and still lays out; Backspace removes the last
// character, Enter ends the edit. The focused box shows a blinking caret.
//
// Messages to the message parent (sender the box): 400 the text changed by
// typing, 401 Enter while editing, 402 a click on a link box, 403 a click on
// a plain box.
//
// Properties (scene-file keys, in this order): Text, Frame, Hover (sprite
// paths), Font (text style), Edit, Offset (float[2]), Alignment (Left 0,
// Right 1, Center 2), VerticalAlignment (Top 0, Bottom 1, Middle 2), Area
// (float[2]), UseLookup, Link, LinkColor, DefaultColor (the control
// characters that replace '<' and '>'), editWidthLimit, validCharacters.

#include "core/MessageCodes.h"
#include "core/Widget.h"
#include "ui/TextLayout.h"

class Font;
class FontBase;
class Sprite;

class TextBox : public Widget {
    ENGINE_CLASS(TextBox, Widget)

public:
    enum Align : int32_t { kLeft = 0, kRight = 1, kCenter = 2 };
    enum VerticalAlign : int32_t { kTop = 0, kBottom = 1, kMiddle = 2 };
    static constexpr int32_t kBackspaceKey = 0x08;
    static constexpr int32_t kReturnKey = 0x0D;

    TextBox();
    ~TextBox() override;

    bool Resolve() override;
    bool Draw() override;
    bool HoverTest() override;
    bool MouseButton(int32_t button, bool pressed) override;
    bool Key(int32_t key, bool pressed, bool repeat) override;
    bool Char(int32_t character) override;
    bool HitTest(const Vec2& point) override;

    /// Sets "Text" and lays the box out again at once (when it has a font).
    void SetText(const char* text);
    /// Takes the keyboard focus when the box is editable and visible.
    bool BeginEdit();
    /// Gives the focus up when the box is visible and has it.
    bool EndEdit();
    /// The box that has the keyboard focus, or null.
    static TextBox* FocusedTextBox();

    /// Lays the current text out with the current font; false when it does
    /// not fit (or there is no font).
    bool Layout();
    /// Lays the box's text out by the rules of Layout() with `face`, whose
    /// lines are `lineHeight` pixels apart, into `out`; true when it fits.
    /// Tools measure with fonts of their own through it.
    bool LayoutWith(FontBase& face, int32_t lineHeight, TextLines& out) const;
    /// The text the box shows: the string-table text of "Text" when looked
    /// up, else "Text".
    String SourceText() const;
    bool LayoutFits() const { return fits; }
    const TextLines& Lines() const { return laidOut; }
    Font* GetFont() const { return font; }
    /// Uses `replacement` instead of the text style's font (tests, tools).
    void SetFont(Font* replacement);

    bool hovered = false;
    bool hoverEnabled = true;
    bool hitByArea = true;
    bool clearOnEdit = false;

    Var Text;
    Var Frame;
    Var Hover;
    Var FontIndex; ///< the key "Font"
    Var Edit;
    Var Offset;
    Var Alignment;
    Var VerticalAlignment;
    Var Area;
    Var UseLookup;
    Var Link;
    Var LinkColor;
    Var DefaultColor;
    Var editWidthLimit;
    Var validCharacters;

private:
    bool Accepts(int32_t character) const;

    Sprite* frame = nullptr;
    Sprite* hover = nullptr;
    Font* font = nullptr;
    bool fontFixed = false;
    bool fits = true;
    TextLines laidOut;
    String caretLine; ///< the last line plus the caret, reused while drawing
};
