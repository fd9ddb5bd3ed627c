#pragma once
// Writes a picture of 8-bit blue, green, red, alpha pixels (rows top first)
// as an RGBA PNG file. False, with `error` set, when the file cannot be written.

#include <cstdint>
#include <string>

bool WritePng(const char* path, const uint8_t* bgra, uint32_t width, uint32_t height, std::string& error);
