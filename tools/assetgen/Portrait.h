#pragma once
// Painted half-length portraits for the story screen (the "portrait" kind).

#include "Canvas.h"

#include <string>

struct PortraitLook {
    Colour skin{0.93f, 0.76f, 0.62f, 1};
    Colour hair{0.35f, 0.2f, 0.1f, 1};
    Colour clothes{0.2f, 0.3f, 0.5f, 1};
    Colour accent{0.8f, 0.3f, 0.2f, 1};
    std::string hairStyle = "short";    ///< short, bun or long
    std::string expression = "neutral"; ///< neutral, smile, worry, surprise or sad
    bool faceOnly = false;              ///< only head, front hair and face, for an expression layer
};

/// Paints the portrait on a fresh transparent w × h canvas.
void PaintPortrait(Canvas& canvas, int32_t w, int32_t h, const PortraitLook& look);
bool IsPortraitExpression(const std::string& expression);
bool IsPortraitHairStyle(const std::string& style);
