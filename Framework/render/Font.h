#pragma once
// Font: the resource object of a bitmap font, as the resource cache hands it
// out (Resources::FindFont). It owns one implementation, always a Font3D,
// and forwards the common calls to it. See Font3D.h for units, drawing and
// the description format.

#include "core/Object.h"

#include <cstdint>
#include <memory>

class FontBase;
class Font3D;

class Font : public Object {
    ENGINE_CLASS(Font, Object)

public:
    Font();
    ~Font() override;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    /// Loads the description at `path`; false on any failure (see Font3D::Load).
    bool Load(const char* path);

    /// The implementation behind the font interface; never null.
    FontBase* GetFontBase();
    /// The same object with its concrete type, for the metrics below.
    Font3D* GetFont3D() { return implementation.get(); }

    /// Pen advance of the string in pixels.
    int32_t TextWidth(const char* text);
    /// Draws the string at the current model matrix (see Font3D::Draw).
    void Draw(const char* text);
    /// Line height in pixels, for text layout.
    int32_t Height() const;

private:
    std::unique_ptr<Font3D> implementation;
};
