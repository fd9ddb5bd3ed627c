#pragma once
// Checks of data files that name further files: font descriptions and the
// cursor configuration. Each loads the file the way the engine does (apart
// from anything that needs the graphics card) and answers the problem as the
// text of a finding, or "" when there is none.

#include <string>

class Recording;

/// A font description: it must read, name its glyph picture under
/// "ImagePath", the picture must load, and every glyph line must fit it.
std::string FontDescriptionProblem(const std::string& path, Recording& recording);
/// The cursor configuration: it must read and its "Sprite" must name a picture that loads.
std::string CursorConfigProblem(const std::string& path, Recording& recording);
