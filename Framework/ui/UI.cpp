#include "ui/UI.h"

#include "core/Assert.h"
#include "core/EngineState.h"
#include "core/Link.h"
#include "core/Log.h"
#include "core/Redraw.h"
#include "core/Scene.h"
#include "platform/GameWindow.h"
#include "platform/Platform.h"
#include "render/RenderContext.h"
#include "render/ScreenDraw.h"
#include "render/Sprite.h"
#include "ui/Cursor.h"
#include "ui/InputManagerCallback.h"
#include "ui/Screen.h"
#include "ui/ScreenGameHooks.h"
#include "ui/UiSettings.h"

#include <algorithm>

// Index
//   finding and loading
//   push and pop
//   input routing
//   update
//   draw
//   start and shut-down

namespace {

// Push and pop transitions last this long.
constexpr float kStackTransitionSeconds = 0.5f;
// Seconds of a timed input lock that count as none left.
constexpr float kLockResidue = 1e-5f;

// Every screen's scene gets the screen as message parent of all its other
// elements, so that a control's message reaches the screen directly.
void AdoptMessageChildren(Scene& scene, Screen& screen) {
    for (auto& entry : scene.Elements().Entries()) {
        if (entry.value != &screen) {
            entry.value->messageParent = &screen;
        }
    }
    scene.messageParent = &screen;
}

Screen* FirstScreenOf(Scene& scene) {
    for (auto& entry : scene.Elements().Entries()) {
        if (entry.value->IsA("Screen")) {
            return static_cast<Screen*>(entry.value);
        }
    }
    return nullptr;
}

// Destroys an element queued for release or an overlay: an element of a
// scene is handed to that scene's deferred deletion, anything else
// (normally a whole scene) is deleted now.
void DestroyElement(Element* element) {
    if (element->scene && element->scene != element) {
        element->scene->DeleteLater(element);
    } else {
        delete element;
    }
}

} // namespace

// ---- finding and loading -------------------------------------------------------

Screen* UI::FindScreen(const char* className, bool dontLoad) {
    if (!className) {
        return nullptr;
    }
    for (Screen* screen : stack) {
        if (screen->IsA(className)) {
            return screen;
        }
    }
    return dontLoad ? nullptr : LoadScreen(className);
}

Screen* UI::LoadScreen(const char* className) {
    if (!className || !*className) {
        return nullptr;
    }
    String path = screenFile ? screenFile(className) : String();
    if (path.Empty()) {
        path = GlobalText(setting::kInterfaceDirectory);
        path.Append("/");
        path.Append(className);
        path.Append(".scene");
    }
    return LoadScreenFile(path.CStr(), className);
}

Screen* UI::LoadScreenFile(const char* path) {
    return LoadScreenFile(path, path);
}

Screen* UI::LoadScreenFile(const char* path, const char* what) {
    std::unique_ptr<Scene> scene = path && *path ? LoadScene(path) : nullptr;
    if (!scene) {
        LogFormat("LoadScreen: no screen %s: the scene file %s does not load", what, path ? path : "(null)");
        return nullptr;
    }
    Screen* screen = FirstScreenOf(*scene);
    if (!screen) {
        LogFormat("LoadScreen: no screen %s: the scene file %s holds no Screen element", what, path);
        return nullptr;
    }
    AdoptMessageChildren(*scene, *screen);
    // From here the screen's scene is released through the stack (ReleaseLater).
    scene.release();
    return screen;
}

// ---- push and pop ------------------------------------------------------------------

bool UI::IsOnStack(const Screen* screen) const {
    return std::find(stack.begin(), stack.end(), screen) != stack.end();
}

bool UI::IsQueuedForRelease(const Element* element) const {
    return std::find(releaseLater.begin(), releaseLater.end(), element) != releaseLater.end();
}

bool UI::PushScreen(Screen* screen, int32_t transitionType) {
    if (!screen) {
        return false;
    }
    if (IsOnStack(screen)) {
        // Twice on the stack, popping the upper entry would release the scene
        // the lower one still shows.
        LogFormat("PushScreen: %s (%s) is on the stack already; not pushed again", screen->GetName(),
                  screen->GetClassName());
        return false;
    }
    if (IsQueuedForRelease(screen->scene) || IsQueuedForRelease(screen)) {
        LogFormat("PushScreen: %s (%s) was popped and its scene is being released; not pushed",
                  screen->GetName(), screen->GetClassName());
        return false;
    }
    // 1. Every texture is re-created on its next use.
    EvictUnusedTextures(false);
    // 2. Blurred, at brightness 0, for drawing beneath the screen.
    if (screen->captureBackground.FirstBool()) {
        services.CaptureBackground(true);
    }
    // 3.
    stack.push_back(screen);
    RequestRedraw();
    // 4.
    screen->OnPush();
    // 5. The time spent loading must not show up as one long frame.
    RestartFrameClock();
    // 6.
    services.StartTransition(transitionType, kStackTransitionSeconds, -1);
    return true;
}

bool UI::PushScreenByName(const char* className, int32_t transitionType) {
    Screen* screen = FindScreen(className, false);
    return screen && PushScreen(screen, transitionType);
}

bool UI::PopScreen(int32_t transitionType) {
    if (stack.empty()) {
        return false;
    }
    Screen* popped = stack.back();
    RequestRedraw();
    popped->OnPop();
    services.StartTransition(transitionType, kStackTransitionSeconds, -1);
    // OnPop may itself have changed the stack: take out the screen it was
    // called on, wherever it is now.
    auto position = std::find(stack.begin(), stack.end(), popped);
    if (position == stack.end()) {
        return true;
    }
    stack.erase(position);
    if (!stack.empty()) {
        stack.back()->OnReturn(popped);
    }
    // The game may own the scenes of its game screens (levels).
    if (popped->IsA(kGameScreenClass) && gameScreenPopped && gameScreenPopped(*popped)) {
        return true;
    }
    ReleaseLater(popped->scene ? static_cast<Element*>(popped->scene) : popped);
    return true;
}

bool UI::SetScreen(const char* className, int32_t transitionType) {
    // Bounded, so that a screen whose OnPop pushes another cannot keep this going.
    for (size_t guard = stack.size() * 2 + 8; !stack.empty() && guard > 0; --guard) {
        PopScreen(0);
    }
    return PushScreenByName(className, transitionType);
}

bool UI::PushTestScreen(const char* path) {
    std::unique_ptr<Scene> scene = path ? LoadScene(path) : nullptr;
    if (!scene) {
        LogFormat("PushTestScreen: the scene file %s does not load", path ? path : "(null)");
        return false;
    }
    Screen* screen = FirstScreenOf(*scene);
    if (!screen) {
        screen = ObjectCast<Screen>(scene->CreateElement(TestScreen::StaticClassName()));
    }
    if (!screen) {
        LogFormat("PushTestScreen: %s holds no screen and no TestScreen can be made in it", path);
        return false;
    }
    AdoptMessageChildren(*scene, *screen);
    // The stack releases the scene when the screen is popped.
    scene.release();
    stack.push_back(screen);
    RequestRedraw();
    screen->OnPush();
    RestartFrameClock();
    // The previous transition's type is kept.
    services.StartTransition(-1, kStackTransitionSeconds, -1);
    return true;
}

void UI::ReplaceStack(Screen* screen) {
    // A screen whose scene is about to be released must never be shown again.
    ENGINE_ASSERT(!screen || (!IsQueuedForRelease(screen) && !IsQueuedForRelease(screen->scene)));
    stack.clear();
    if (screen) {
        stack.push_back(screen);
    }
    RequestRedraw();
}

void UI::DropScreen(Screen* screen) {
    if (!screen) {
        return;
    }
    stack.erase(std::remove(stack.begin(), stack.end(), screen), stack.end());
    RequestRedraw();
    ReleaseLater(screen->scene ? static_cast<Element*>(screen->scene) : screen);
}

Screen* UI::TopScreen() const {
    return stack.empty() ? nullptr : stack.back();
}

Screen* UI::TopmostGameScreen() const {
    for (auto it = stack.rbegin(); it != stack.rend(); ++it) {
        if ((*it)->IsA(kGameScreenClass)) {
            return *it;
        }
    }
    return nullptr;
}

Screen* UI::FirstQuestScreen() const {
    for (Screen* screen : stack) {
        if (screen->IsA(kQuestScreenClass)) {
            return screen;
        }
    }
    return nullptr;
}

void UI::ReleaseLater(Element* element) {
    if (element && !IsQueuedForRelease(element)) {
        releaseLater.push_back(element);
    }
}

void UI::AddOverlay(Element* element, const char* animation) {
    if (element) {
        overlays.push_back(Overlay{element, String(animation ? animation : "")});
    }
}

void UI::SetCursor(int32_t kind) {
    GetCursor().SetKind(kind, GetScreenGameHooks().UseSecondLook());
}

void UI::ShowCursor(bool visible) {
    GetCursor().Show(visible);
}

// ---- input routing -------------------------------------------------------------------

bool UI::ScreensTakeInput() const {
    return GetPlatform().CursorInClient() && inputLock == 0.0f && !stack.empty();
}

void UI::OnMouseMove() {
    if (ScreensTakeInput()) {
        TopScreen()->HoverTest();
    }
}

void UI::OnMouseButton(int button, int down) {
    if (ScreensTakeInput()) {
        TopScreen()->MouseButton(button, down != 0);
    }
}

void UI::OnKey(int key, int down, int repeat) {
    if (ScreensTakeInput() && !(consoleOpen && consoleOpen())) {
        TopScreen()->Key(key, down != 0, repeat != 0);
    }
}

void UI::OnChar(int code) {
    if (ScreensTakeInput() && !(consoleOpen && consoleOpen())) {
        TopScreen()->Char(code);
    }
}

void UI::OnDeferredMessage(int code, void* data) {
    // 1000 and 1001 music, 1002 a delayed screenshot; the game's own after them.
    if (!services.OnDeferredMessage(code, data) && deferredMessage) {
        deferredMessage(code, data);
    }
}

void UI::OnSize(int /*width*/, int /*height*/, int kind) {
    if (kind == 1) {
        active = false;
    } else if (kind == 2) {
        active = true;
    }
}

void UI::OnDisplayChange(int width, int height, int /*bitsPerPixel*/) {
    // Only a full screen that switched the display has a mode of its own;
    // windowed, or scaled over the desktop, the desktop's mode is the game's.
    const bool gameSetMode = IsFullscreen() && !IsPictureScaled();
    active = !gameSetMode || (width == DisplayWidth() && height == DisplayHeight());
}

void UI::OnClose() {
    // The loop ends after this frame; shut-down then closes the window, after
    // the textures and the context have gone in order.
    running = false;
}

// ---- update --------------------------------------------------------------------------

void UI::Update() {
    // 1.
    ReleaseQueued();
    // 2. Nothing animates while the game is in the background.
    if (!GetPlatform().WindowHasFocus()) {
        return;
    }
    // 3.
    if (inputLock > 0.0f) {
        inputLock -= frameTime;
        // Frame times add up with rounding: a lock of 0.5 s ends after frames
        // totalling 0.5 s, not one frame later for a residue of 1e-8 s.
        if (inputLock < kLockResidue) {
            inputLock = 0.0f;
        }
    }
    // 4.
    UpdateScreens();
    // 5.
    UpdateOverlays();
    // 6.
    services.UpdateMusic(frameTime);
    // 7.
    Screen* top = TopScreen();
    if (!top || !top->IsA(kGameScreenClass)) {
        SetCursor(kCursorDefault);
    }
    // A running transition and the overlays change the picture every frame.
    if (services.Transition().IsRunning() || !overlays.empty()) {
        RequestRedraw();
    }
}

void UI::ReleaseQueued() {
    // Destroying may queue more (a scene's elements releasing others): take
    // the list first and go round until it stays empty.
    while (!releaseLater.empty()) {
        std::vector<Element*> doomed;
        doomed.swap(releaseLater);
        for (Element* element : doomed) {
            DestroyElement(element);
        }
        if (releaseLater.empty()) {
            doomed.clear();
            releaseLater.swap(doomed); // keep the capacity for the next pops
        }
    }
}

void UI::UpdateScreens() {
    for (size_t index = stack.size(); index-- > 0;) {
        // A screen may pop itself or others while it updates: an index past
        // the shrunken stack goes on with the next lower one.
        if (index >= stack.size()) {
            continue;
        }
        Screen* screen = stack[index];
        if (screen->scene) {
            screen->scene->Update();
        } else {
            screen->Update();
        }
        if (screen->blockUpdate.FirstBool()) {
            break;
        }
    }
}

void UI::UpdateOverlays() {
    for (size_t i = 0; i < overlays.size();) {
        Overlay& overlay = overlays[i];
        if (animationPlaying && animationPlaying(*overlay.element, overlay.animation)) {
            overlay.element->Update();
            ++i;
            continue;
        }
        Element* finished = overlay.element;
        overlays.erase(overlays.begin() + static_cast<std::ptrdiff_t>(i));
        DestroyElement(finished);
    }
}

void UI::DestroyOverlays() {
    std::vector<Overlay> doomed;
    doomed.swap(overlays);
    for (Overlay& overlay : doomed) {
        DestroyElement(overlay.element);
    }
}

// ---- draw ----------------------------------------------------------------------------

void UI::Draw() {
    // 1.
    if (!GetPlatform().WindowHasFocus()) {
        // The first such frame takes the still from the last picture drawn.
        services.DrawPausedView(drawnLastFrame);
        drawnLastFrame = false;
        return;
    }
    // 2.
    drawnLastFrame = true;
    // 3. and 4.
    DrawScreens();
    // 5.
    for (size_t i = 0; i < overlays.size(); ++i) {
        if (Widget* widget = ObjectCast<Widget>(overlays[i].element)) {
            widget->Draw();
        }
    }
    // The frame after a transition's last step draws the picture without it.
    if (services.Transition().IsRunning()) {
        RequestRedraw();
    }
    const int32_t completion = services.DrawTransition(frameTime);
    if (completion >= 0 && !stack.empty()) {
        stack.back()->Message(completion, nullptr);
    }
    // The finished picture, without the cursor, is what later snapshots,
    // backgrounds, the paused still and screenshots show.
    KeepFrame();
    // 6.
    DrawCursorOrSystemPointer();
}

size_t UI::LowestDrawnScreen() const {
    for (size_t index = stack.size(); index-- > 0;) {
        if (stack[index]->fullscreen.FirstBool()) {
            return index;
        }
    }
    return 0;
}

void UI::DrawScreens() {
    bool backgroundDrawn = false;
    for (size_t index = LowestDrawnScreen(); index < stack.size(); ++index) {
        Screen* screen = stack[index];
        if (!backgroundDrawn && screen->captureBackground.FirstBool()) {
            services.DrawBackground();
            backgroundDrawn = true;
        }
        screen->Draw();
    }
}

void UI::DrawCursorOrSystemPointer() {
    Cursor& cursor = GetCursor();
    if (!GetPlatform().CursorInClient()) {
        ShowSystemCursor(true);
        return;
    }
    cursor.Draw();
    // Without a game cursor the system's pointer stays, so the player is
    // never left with nothing to point with.
    ShowSystemCursor(!cursor.HasSprite());
}

// ---- start and shut-down -------------------------------------------------------------------

void UI::Start() {
    services.SetPoster([this](int32_t code, void* data, float delay) {
        GetInputManager().PostDeferred(this, code, data, delay);
    });
    services.Startup();
    inputLock = 0.0f;
    active = true;
}

void UI::Clear() {
    for (size_t guard = stack.size() * 2 + 8; !stack.empty() && guard > 0; --guard) {
        PopScreen(0);
    }
    DestroyOverlays();
    Update();
    // Anything the update could not reach (no focus) still goes now.
    ReleaseQueued();
}

void UI::Shutdown() {
    if (shuttingDown) {
        shuttingDown();
    }
    services.StopMusic(0.0f);
    Clear();
    // The snapshot images, and the texts of deferred messages that never came.
    services.Shutdown();
    GetCursor().Reset();
}

UI& GetUI() {
    static UI ui;
    return ui;
}
