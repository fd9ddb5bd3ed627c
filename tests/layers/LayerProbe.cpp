// Compiled against one engine layer with PROBE_HEADER naming a header: the
// probe builds exactly when that layer may see the header (its own, a lower
// layer's), and fails when the header belongs to a higher layer or to a
// third-party library private to another layer.
#include PROBE_HEADER

int LayerProbe() {
    return 0;
}
