// Builds a scene from arbitrary key/value text, runs a few updates, and
// saves it back: every element, parent and property value in the file is
// untrusted.
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "io/MemoryFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool registered = [] {
        RegisterEngineClasses();
        return true;
    }();
    (void)registered;
    MemoryFile file(data, size);
    ConfigTable table;
    table.Read(file);
    Scene scene;
    if (BuildScene(table, scene)) {
        frameTime = 1.0f / 65.0f;
        scene.OnLoaded();
        for (int i = 0; i < 3; ++i) {
            scene.Update();
        }
        scene.BuildDrawList();
        scene.HoverTest();
        scene.HitTest(Vec2{0, 0});
        ConfigTable saved;
        SaveScene(scene, saved);
        saved.ToText();
    }
    return 0;
}
