#pragma once
// Named text styles: a global list of (font, style name) in registration
// order. A style's number is its position in the list; text widgets name
// their styles by these names. The list holds plain pointers to fonts owned
// by the resource cache (a style may have no font when its setting named a
// font that did not load).

#include <cstdint>

class Font;

/// Appends the style and returns its number; a name already in the list
/// changes nothing and returns the existing number.
int32_t RegisterTextStyle(const char* name, Font* font);
/// The name of style `number`; "" outside the list.
const char* TextStyleName(int32_t number);
/// The font of style `number`; null outside the list or without a font.
Font* TextStyleFont(int32_t number);
/// The number of the style called `name`; -1 when there is none.
int32_t FindTextStyle(const char* name);
/// How many styles are registered.
int32_t TextStyleCount();
/// Empties the list (at shut-down, before the fonts are destroyed).
void ClearTextStyles();
