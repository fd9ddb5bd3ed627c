#pragma once
// The picture kinds of the asset generator. Each reads its keys from a recipe
// and paints a Canvas; the keys of every kind are listed in
// content/recipes/README.txt and checked here, so a misspelt key is an error.
//
//   background  a painted landscape: sky, sun, clouds, hills, a small town
//   panel       a framed, shaded panel with rounded corners and a drop shadow,
//               optionally with a centred label (buttons in their states)
//   text        lines of text with a colour gradient, an outline and a shadow
//   cursor      a mouse pointer: dark outline, soft shadow, tip at its hot spot
//   loadbar     the loading bar's frame, fill (alpha orders the fill from left
//               to right) or gloss overlay
//   emoji       one character of the colour emoji font on a transparent square
//   portrait    a painted half-length figure of a story actor, or only its
//               face with one expression (tools/assetgen/Portrait.h)

#include "Canvas.h"
#include "Recipe.h"

#include <string>
#include <vector>

/// Where the generator looks for what recipes name.
struct Sources {
    std::string contentDirectory = ".";  // for "@table.key" texts (text/TABLE.config)
    std::vector<std::string> fontDirectories = {"/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/noto"};
};

/// True when `kind` is a picture kind.
bool IsPictureKind(const std::string& kind);
/// Paints the recipe's picture; false with `error` ("FILE:LINE: ...") otherwise.
bool MakePicture(const Recipe& recipe, const std::string& kind, const Sources& sources, Canvas& out,
                 std::string& error);

/// The font file a recipe names: an absolute path as it stands, else the first
/// font directory that has it. Empty when none has it.
std::string FindFont(const Sources& sources, const std::string& name);
/// The text of a "Text" value: "@table.key" is looked up in the string table
/// text/table.config of the content directory; anything else is the text.
bool ResolveText(const Recipe& recipe, const RecipeEntry& entry, const Sources& sources, std::string& out,
                 std::string& error);
