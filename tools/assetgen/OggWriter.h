#pragma once
// Encodes PCM as an Ogg Vorbis file (variable bit rate at a quality from −0.1
// to 1). The stream's serial number is fixed and no comment carries a date,
// so the same samples always give the same bytes.

#include "Synth.h"

#include <string>

/// False with `error` set when encoding fails or the file cannot be written.
bool WriteOggVorbis(const std::string& path, const Pcm& pcm, float quality, std::string& error);
