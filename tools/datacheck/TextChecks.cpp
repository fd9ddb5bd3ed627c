#include "TextChecks.h"

#include "CheckReport.h"
#include "FontMetrics.h"
#include "ResourceChecks.h"
#include "SceneChecks.h"
#include "SettingChecks.h"

#include "GameStartup.h"
#include "data/Globals.h"
#include "io/StringTable.h"
#include "ui/TextBox.h"
#include "ui/TextWindow.h"


namespace {

constexpr const char* kFramePieces[Window::kSegmentCount] = {"top-left",    "top",    "top-right",
                                                             "left",        "right",  "bottom-left",
                                                             "bottom",      "bottom-right"};
constexpr const char* kBackgroundPieces[Window::kBackgroundCount] = {
    "top-left", "top", "top-right", "left", "right", "bottom-left", "bottom", "bottom-right", "centre"};
// Longer literal texts are cut short where a finding quotes them.
constexpr size_t kQuotedTextLength = 40;

std::string Label(Element& element) {
    return ElementLabel(element.GetClassName(), element.GetName());
}

std::string Pixels(int64_t value) {
    return std::to_string(value) + " px";
}

// The text as a finding names it: its key, or the start of a literal text.
std::string TextName(const std::string& text) {
    if (LooksLikeStringIdentifier(text) || text.size() <= kQuotedTextLength) {
        return Quoted(text);
    }
    return Quoted(text.substr(0, kQuotedTextLength) + "...");
}

// False, with a finding, when the text is a string identifier no table holds.
bool CheckKey(const std::string& path, CheckReport& report, Element& element, const std::string& text) {
    String found;
    if (!LooksLikeStringIdentifier(text) || LookupString(text.c_str(), found)) {
        return true;
    }
    report.Error(path, Label(element) + ": text " + MissingStringText(text));
    return false;
}

// What a layout that failed ran into, measured with `font`.
struct Misfit {
    float areaWidth = 0.0f;
    float areaHeight = 0.0f;
    bool lastLineMustEndAbove = false; ///< lines filling the height exactly do not fit
};

bool IsBreak(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\\';
}

std::string MisfitText(FontMetrics& font, const std::string& source, const TextLines& lines, const Misfit& area) {
    if (lines.unplacedFrom < source.size()) {
        size_t end = lines.unplacedFrom;
        while (end < source.size() && !IsBreak(source[end])) {
            ++end;
        }
        const std::string word = source.substr(lines.unplacedFrom, end - lines.unplacedFrom);
        int64_t width = font.TextWidth(word.c_str());
        std::string text = "the word " + Quoted(word) + " is " + Pixels(width) + " wide";
        if (static_cast<float>(width) < area.areaWidth && end < source.size()) {
            // The word itself is narrow enough; the blank it breaks at is not.
            width += font.GlyphAdvance(static_cast<unsigned char>(source[end]));
            text += ", " + Pixels(width) + " with the blank after it";
        }
        const int64_t areaWidth = static_cast<int64_t>(area.areaWidth);
        return text + ", the area " + Pixels(areaWidth) + " (" + Pixels(width - areaWidth + 1) +
               " too narrow: a line must be narrower than the area)";
    }
    const int64_t count = static_cast<int64_t>(lines.lines.size());
    const int64_t needed = count * font.Height();
    const int64_t areaHeight = static_cast<int64_t>(area.areaHeight);
    return std::to_string(count) + " lines of " + Pixels(font.Height()) + " take " + Pixels(needed) +
           ", the area is " + Pixels(areaHeight) + " high (" +
           Pixels(needed - areaHeight + (area.lastLineMustEndAbove ? 1 : 0)) + " too low)";
}

void CheckTextBox(const std::string& path, CheckReport& report, FontMetricsCache& fonts, TextBox& box) {
    const std::string text(box.Text.FirstString().CStr());
    if (text.empty() || (box.UseLookup.FirstBool() && !CheckKey(path, report, box, text))) {
        return;
    }
    const char* setting = GameTextStyleFontSetting(box.FontIndex.FirstInt());
    FontMetrics* font = setting ? fonts.Find(GetGlobals()->GetString(setting).CStr()) : nullptr;
    if (!font) {
        return; // the settings checks report a font that does not load
    }
    TextLines lines;
    if (box.LayoutWith(*font, font->Height(), lines)) {
        return;
    }
    std::string source(box.SourceText().CStr());
    if (box.Link.FirstBool()) {
        for (char& c : source) {
            c = c == '<' ? static_cast<char>(box.LinkColor.FirstInt())
                         : c == '>' ? static_cast<char>(box.DefaultColor.FirstInt()) : c;
        }
    }
    const Misfit area{box.Area.GetFloat(0), box.Area.GetFloat(1), true};
    report.Error(path, Label(box) + ": text " + TextName(text) + " does not fit its area: " +
                           MisfitText(*font, source, lines, area));
}

void CheckWindowPieces(const std::string& path, CheckReport& report, Recording& recording, Window& window) {
    auto check = [&](const Link<Sprite>& pieces, const char* const* names, const char* kind) {
        for (int32_t i = 0; i < pieces.GetCount(); ++i) {
            if (pieces.Get(i)) {
                continue;
            }
            const std::string piece(pieces.GetString(i).CStr());
            report.Error(path, Label(window) + ": " + kind + " piece " + names[i] + ": " +
                                   (piece.empty() ? std::string("no picture named")
                                                  : UnresolvedResourceText("Sprite", piece, recording)));
        }
    };
    if (window.drawFrame.FirstBool()) {
        check(window.segments, kFramePieces, "frame");
    }
    if (window.drawBackground.FirstBool()) {
        check(window.backgrounds, kBackgroundPieces, "background");
    }
}

void CheckTextWindow(const std::string& path, CheckReport& report, Recording& recording, FontMetricsCache& fonts,
                     TextWindow& window) {
    const std::string fontPath(window.font.FirstString().CStr());
    const std::string problem = fontPath.empty() ? "no font" : FontDescriptionProblem(fontPath, recording);
    if (!problem.empty()) {
        report.Error(path, Label(window) + ": " + problem);
        return;
    }
    const std::string text(window.text.FirstString().CStr());
    if (text.empty() || !CheckKey(path, report, window, text)) {
        return;
    }
    FontMetrics* font = fonts.Find(fontPath);
    TextLines lines;
    if (!font || window.LayoutWith(*font, font->Height(), lines)) {
        return;
    }
    const Misfit area{static_cast<float>(window.InteriorWidth()), static_cast<float>(window.InteriorHeight()),
                      false};
    report.Error(path, Label(window) + ": text " + TextName(text) + " does not fit its middle: " +
                           MisfitText(*font, window.SourceText().CStr(), lines, area));
}

} // namespace

void CheckTextElement(const std::string& path, CheckReport& report, Recording& recording, FontMetricsCache& fonts,
                      Element& element) {
    if (TextBox* box = ObjectCast<TextBox>(&element)) {
        CheckTextBox(path, report, fonts, *box);
    }
    if (Window* window = ObjectCast<Window>(&element)) {
        CheckWindowPieces(path, report, recording, *window);
    }
    if (TextWindow* window = ObjectCast<TextWindow>(&element)) {
        CheckTextWindow(path, report, recording, fonts, *window);
    }
}

bool IsLinkOfTextChecks(const Element& element, const Var& var) {
    if (const Window* window = ObjectCast<Window>(const_cast<Element*>(&element))) {
        if (&var == &window->segments || &var == &window->backgrounds) {
            return true;
        }
    }
    if (const TextWindow* window = ObjectCast<TextWindow>(const_cast<Element*>(&element))) {
        return &var == &window->font;
    }
    return false;
}
