#pragma once
// The movie kind of the asset generator: a short scene painted frame by frame
// and encoded with its sound as an Ogg Theora and Vorbis file.
//
// Kind = movie;  a landscape (every key of Kind = background) at dusk with a
// lighthouse whose lamp turns, then goes dark, while gulls cross the sky.
//   Size = W H (at most 1024 each);  FrameRate = N [D] (frames per second as
//   N/D);  Seconds = length;  Quality = 0..63 (pictures);  SoundQuality =
//   -0.1..1;  Lighthouse = X BASE-Y HEIGHT;  LampColour;  LampOut = FROM TO
//   (seconds: the lamp fades between them);  Dusk = 0..1 (how much darker the
//   last frame is than the first);  Gulls = COUNT (0..12).

#include "Pictures.h"
#include "Recipe.h"

#include <string>

bool IsMovieKind(const std::string& kind);

/// The whole movie file in `bytes`; false with a "FILE:LINE: ..." error.
bool MakeMovie(const Recipe& recipe, const Sources& sources, std::string& bytes, std::string& error);
