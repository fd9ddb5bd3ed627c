#include "render/FillMarkers.h"

GaussianBlurFill::GaussianBlurFill() {
    Name.SetFirstString("NewGaussianBlurFill");
    DeclareInt("Size", Size, 1, this, 5);
    Position.flags &= ~Var::kSaved;
    Rotation.flags &= ~Var::kSaved;
    Scale.flags &= ~Var::kSaved;
    Pivot.flags &= ~Var::kSaved;
}

NearestNeighborFill::NearestNeighborFill() {
    Name.SetFirstString("NewNearestNeighborFill");
    DeclareInt("Size", Size, 1, this, 4);
    Rotation.flags &= ~Var::kSaved;
}
