#pragma once
// The checks of text boxes, windows and text windows of a scene file, once
// the scene's links are resolved.
//
// Reported, as errors:
//   - a text that the element looks up in the string tables ("table.key",
//     see LooksLikeStringIdentifier) whose table or key is missing: the
//     player would read the key itself;
//   - a text that does not fit its area, laid out by the element's own
//     layout with the font it draws with (a text box's text style, a text
//     window's font): a word wider than the area, or more lines than its
//     height holds, with the sizes in pixels and how much the area lacks;
//   - a window piece that does not load: one of the eight frame pieces when
//     the window draws its frame, one of the nine background pieces when it
//     draws its background;
//   - a text window's font that does not load.

#include <string>

class CheckReport;
class Element;
class FontMetricsCache;
class Recording;
class Var;

void CheckTextElement(const std::string& path, CheckReport& report, Recording& recording, FontMetricsCache& fonts,
                      Element& element);

/// True for the links CheckTextElement checks itself (window pieces, a text
/// window's font), which the general link check leaves alone.
bool IsLinkOfTextChecks(const Element& element, const Var& var);
