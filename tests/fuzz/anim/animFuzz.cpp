// Feeds arbitrary bytes to the animation reader through an in-memory file,
// then evaluates every channel, binds the animation to a small scene and
// plays it across and beyond its length.
#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "core/ConfigTable.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "io/MemoryFile.h"

#include <cstddef>
#include <cstdint>

namespace {

class Door : public Element {
    ENGINE_CLASS(Door, Element)
public:
    Door() {
        DeclareBool("Open", Open, 1, this, false);
        DeclareInt("Count", Count, 2, this, 0);
        DeclareFloat("Position", Position, 3, this, 0.0f);
        Position.SetHint(Var::kHintAngle);
        DeclareString("Label", Label, 1, this, "");
    }
    Var Open, Count, Position, Label;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetLogToStandardOutput(false);
    MemoryFile file(data, size);
    ConfigTable table;
    table.Read(file, "fuzz.anim");
    Anim anim;
    anim.Load(table, "fuzz.anim");
    const float times[] = {-1.0f, 0.0f, 0.3f, anim.Duration(), anim.Duration() * 3.0f, 1e30f};
    for (const AnimChannel& channel : anim.Channels()) {
        for (float t : times) {
            float value = 0.0f;
            for (int32_t kind = 0; kind < 5; ++kind) {
                anim.EvaluateChannel(channel, t, kind, value);
            }
        }
    }
    Scene scene;
    auto* door = new Door;
    door->Name.SetFirstString("door");
    scene.AddElement(door, "door");
    AnimControl control;
    control.Bind(&scene, &anim);
    control.playing = true;
    control.looping = size % 2 == 0;
    for (float dt : {0.1f, 1.0f, -5.0f, 1e9f}) {
        control.Advance(dt);
    }
    control.Apply(0.5f);
    return 0;
}
