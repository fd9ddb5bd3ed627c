#pragma once
// Instance: an element that names a scene file in its "Path" property. The
// engine stores, loads and saves the path like any property and attaches no
// further behaviour to it.

#include "core/Element.h"

class Instance : public Element {
    ENGINE_CLASS(Instance, Element)

public:
    Instance() { DeclareString("Path", Path, 1, this, ""); }

    Var Path;
};
