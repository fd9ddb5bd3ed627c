#pragma once
// The sound kinds of the asset generator, read from recipes (keys listed in
// content/recipes/README.txt):
//
//   click    a short tap for buttons: a pitched blip over a noise burst
//   chime    bell notes struck one after another ("ding", hints, goals)
//   whoosh   a sweep of filtered noise (things flying, pages turning)
//   fanfare  brass-like notes ending on a chord
//   music    a looping piece, one "Bar" line per bar: its chord, then "|",
//            then the melody's notes as NOTE:BEATS (a "-" note is a rest)

#include "Recipe.h"
#include "Synth.h"

#include <string>

bool IsSoundKind(const std::string& kind);
/// Synthesises the recipe's sound; false with `error` ("FILE:LINE: ...") otherwise.
/// `quality` gets the Vorbis quality the recipe asks for (or its default).
bool MakeSound(const Recipe& recipe, const std::string& kind, Pcm& out, float& quality, std::string& error);
