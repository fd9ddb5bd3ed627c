// The engine's element classes in their fixed registration order. Rows whose
// classes do not exist yet are comments, so the gaps stay visible.
#include "app/EngineClasses.h"

#include "anim/CameraShaker.h"
#include "anim/Emitter.h"
#include "anim/Oscillator.h"
#include "anim/PeriodicAnimator.h"
#include "anim/Randomizer.h"
#include "audio/Speaker.h"
#include "core/ClassRegistry.h"
#include "core/Element.h"
#include "core/Instance.h"
#include "core/Widget.h"
#include "render/Bitmap.h"
#include "render/FillMarkers.h"
#include "render/FrameGroup.h"
#include "render/Lightmap.h"
#include "render/Region.h"
#include "render/ScreenFill.h"
#include "render/Splitmap.h"
#include "render/WaveBitmap.h"
#include "ui/Button.h"
#include "ui/CheckBox.h"
#include "ui/Gauge.h"
#include "ui/Prompt.h"
#include "ui/Screen.h"
#include "ui/Scrollbar.h"
#include "ui/Slider.h"
#include "ui/SnakeBlob.h"
#include "ui/TextBox.h"
#include "ui/TextButton.h"
#include "ui/TextWindow.h"
#include "ui/Window.h"
#include "video/VideoViewer.h"

void RegisterEngineClasses(const std::function<void()>& registerGameStateClasses) {
    // Base
    RegisterClass("Element", MakeObject<Element>, "Base");
    RegisterClass("Widget", MakeObject<Widget>, "Base");
    RegisterClass("Bitmap", MakeObject<Bitmap>, "Base");
    // Shape, Transform, Viewer: with the 3-D view
    RegisterClass("Instance", MakeObject<Instance>, "Base");
    // Effects
    RegisterClass("Lightmap", MakeObject<Lightmap>, "Effects");
    RegisterClass("Light", MakeObject<Light>, "Effects");
    RegisterClass("Speaker", MakeObject<Speaker>, "Effects");
    RegisterClass("Emitter", MakeObject<Emitter>, "Effects");
    RegisterClass("Region", MakeObject<Region>, "Effects");
    RegisterClass("ScreenFill", MakeObject<ScreenFill>, "Effects");
    RegisterClass("Randomizer", MakeObject<Randomizer>, "Effects");
    RegisterClass("Oscillator", MakeObject<Oscillator>, "Effects");
    RegisterClass("Splitmap", MakeObject<Splitmap>, "Effects");
    RegisterClass("NearestNeighborFill", MakeObject<NearestNeighborFill>, "Effects");
    RegisterClass("GaussianBlurFill", MakeObject<GaussianBlurFill>, "Effects");
    RegisterClass("WaveBitmap", MakeObject<WaveBitmap>, "Effects");
    RegisterClass("CameraShaker", MakeObject<CameraShaker>, "Effects");
    RegisterClass("VideoViewer", MakeObject<VideoViewer>, "Effects");
    RegisterClass("FrameGroup", MakeObject<FrameGroup>, "Effects");
    RegisterClass("PeriodicAnimator", MakeObject<PeriodicAnimator>, "Effects");
    // Widgets
    RegisterClass("Button", MakeObject<Button>, "Widgets");
    RegisterClass("CheckBox", MakeObject<CheckBox>, "Widgets");
    RegisterClass("Slider", MakeObject<Slider>, "Widgets");
    RegisterClass("TextBox", MakeObject<TextBox>, "Widgets");
    RegisterClass("TextButton", MakeObject<TextButton>, "Widgets");
    RegisterClass("TextWindow", MakeObject<TextWindow>, "Widgets");
    RegisterClass("Gauge", MakeObject<Gauge>, "Widgets");
    RegisterClass("Window", MakeObject<Window>, "Widgets");
    RegisterClass("SnakeBlob", MakeObject<SnakeBlob>, "Widgets");
    //   TalkBubble
    RegisterClass("Scrollbar", MakeObject<Scrollbar>, "Widgets");
    // Game State: the game's settings, options and player state
    if (registerGameStateClasses) {
        registerGameStateClasses();
    }
    // Game UI
    RegisterClass("Screen", MakeObject<Screen>, "Game UI");
    RegisterClass("Prompt", MakeObject<Prompt>, "Game UI");
    RegisterClass("HelpPrompt", MakeObject<HelpPrompt>, "Game UI");
    // The game's menus, map screen, markers and prompts register here in the
    // game's own step; the test page follows them.
    RegisterClass("TestScreen", MakeObject<TestScreen>, "Game UI");
}
