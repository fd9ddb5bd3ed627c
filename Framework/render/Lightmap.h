#pragma once
// Lightmap and Light: a picture lit by switchable light layers.
//
// A Light is a marker widget with an "Index" (1 by default). It is on while
// its "Visible" is true and its "Color" has four items with alpha ≠ 0; its
// colour tints the layer. Its transform is not saved.
//
// A Lightmap is a Bitmap that, whenever "SpritePath" changes, looks up one
// light image per Light of its scene: for the sprite path rooms/hall.png and
// a light of Index 2, first rooms/hall_L2.png, then rooms/hall_L2.tga, .jpg
// and .png; the first that exists, loads and has the base picture's size
// becomes that light's layer. Missing images leave the light without a layer,
// silently. Lights added later are picked up at the next "SpritePath" change.
// Drawing adds each lit layer over the base picture (AlphaAdd) in the current
// colour times the light's colour. A layer adds nothing where it is black or
// transparent, so only the rectangle around its other pixels is drawn (with
// a pixel to spare for filtering): a lamp's glow in a corner of the screen
// costs its corner, not the whole screen, every frame.
//
// Layers name their light and find it again on each draw, so a light deleted
// from the scene simply stops lighting. The light sprites belong to the cache.

#include "core/String.h"
#include "render/Bitmap.h"

#include <vector>

class Light : public Widget {
    ENGINE_CLASS(Light, Widget)

public:
    Light();

    /// Visible, and a four-item colour with alpha ≠ 0.
    bool IsOn() const;

    Var Index;
};

class Lightmap : public Bitmap {
    ENGINE_CLASS(Lightmap, Bitmap)

public:
    Lightmap();
    ~Lightmap() override;

    bool Resolve() override;
    bool Draw() override;

    /// Rebuilds the light layers from the scene's Light elements.
    void LoadLights();

    struct Layer {
        String lightName;
        int32_t index = 0;
        Sprite* sprite = nullptr; ///< null: the light has no picture
        /// The part of the picture drawn, in its pixels; empty when it adds nothing.
        int32_t litX = 0, litY = 0, litWidth = 0, litHeight = 0;
    };
    const std::vector<Layer>& Layers() const { return layers; }

private:
    Sprite* FindLightImage(const String& base, const String& extension, int32_t index) const;

    std::vector<Layer> layers;
};
