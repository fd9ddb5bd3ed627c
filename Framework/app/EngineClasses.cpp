// The engine's element classes in their fixed registration order. Rows whose
// classes do not exist yet are comments, so the gaps stay visible.
#include "app/EngineClasses.h"

#include "audio/Speaker.h"
#include "core/ClassRegistry.h"
#include "core/Element.h"
#include "core/Instance.h"
#include "core/Widget.h"
#include "render/Bitmap.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Screen.h"
#include "ui/TextButton.h"

void RegisterEngineClasses(const std::function<void()>& registerGameStateClasses) {
    // Base
    RegisterClass("Element", MakeObject<Element>, "Base");
    RegisterClass("Widget", MakeObject<Widget>, "Base");
    RegisterClass("Bitmap", MakeObject<Bitmap>, "Base");
    // Shape, Transform, Viewer: with the 3-D view
    RegisterClass("Instance", MakeObject<Instance>, "Base");
    // Effects: Lightmap, Light before the speaker
    RegisterClass("Speaker", MakeObject<Speaker>, "Effects");
    //   Emitter, Region, ScreenFill, Randomizer, Oscillator, Splitmap,
    //   NearestNeighborFill, GaussianBlurFill, WaveBitmap, CameraShaker,
    //   VideoViewer, FrameGroup, PeriodicAnimator
    // Widgets
    RegisterClass("Button", MakeObject<Button>, "Widgets");
    RegisterClass("CheckBox", MakeObject<CheckBox>, "Widgets");
    //   Slider, TextBox
    RegisterClass("TextButton", MakeObject<TextButton>, "Widgets");
    //   TextWindow, Gauge, Window, SnakeBlob, TalkBubble, Scrollbar
    // Game State: the game's settings, options and player state
    if (registerGameStateClasses) {
        registerGameStateClasses();
    }
    // Game UI
    RegisterClass("Screen", MakeObject<Screen>, "Game UI");
    // The game's menus, map screen, markers and prompts register here in the
    // game's own step; the test page follows them.
    RegisterClass("TestScreen", MakeObject<TestScreen>, "Game UI");
}
