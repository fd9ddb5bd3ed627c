#pragma once
// UI: the screen stack, the one input handler that the screens hang on.
//
// The stack holds screens bottom first, top last. Only the top screen gets
// input: pointer, button, key and character events reach it while the
// pointer is inside the window's client area, the input lock is exactly 0
// and a screen is there (keys and characters also not while the console is
// open). Each frame Update runs the screens from the top down to the first
// that blocks updates, and Draw draws them from the topmost fullscreen one
// up, then the overlays, the transition and the cursor.
//
// Ownership: a screen lives in the scene loaded from its file
// (InterfaceDirectory/CLASS.scene). Popping a screen queues that scene in
// `releaseLater`; it is destroyed at the start of the next Update, so a
// screen may pop itself from inside its own update or message. Overlays
// are owned here. A screen is on the stack at most once: pushing one that
// is there already is refused (its scene must not be released twice).
//
// Index of UI.cpp: finding and loading / push and pop / input routing /
// update / draw / start and shut-down.

#include "core/String.h"
#include "ui/InputHandler.h"
#include "ui/ScreenServices.h"

#include <cstdint>
#include <functional>
#include <vector>

class Element;
class Screen;

/// Every screen class loads from InterfaceDirectory + "/" + class + ".scene"
/// unless the game's `screenFile` resolver names another file for it.
constexpr const char* kQuestScreenClass = "QuestScreen";
constexpr const char* kGameScreenClass = "GameScreen";

class UI : public InputHandler {
public:
    /// An element shown above every screen while its named animation plays.
    struct Overlay {
        Element* element = nullptr;
        String animation; ///< empty: any animation
    };

    // ---- finding and loading ----
    /// The lowest screen on the stack that IsA(className); otherwise, unless
    /// `dontLoad`, a freshly loaded one (not pushed). Null when none.
    Screen* FindScreen(const char* className, bool dontLoad = false);
    /// Loads the class's scene file and returns its first Screen element,
    /// made the message parent of every other element of the scene. Null,
    /// with a log line, when the file does not load or holds no screen.
    Screen* LoadScreen(const char* className);
    /// As LoadScreen, from the scene file `path` (movies name theirs by
    /// their own setting). Null, with a log line, when it does not load or
    /// holds no screen.
    Screen* LoadScreenFile(const char* path);

    // ---- push and pop ----
    /// Puts the screen on top and calls its OnPush. False, with a log line
    /// and nothing changed, for a null screen, a screen already on the stack
    /// and a screen whose scene is queued for release.
    bool PushScreen(Screen* screen, int32_t transitionType);
    /// FindScreen(className) then PushScreen; false when either fails.
    bool PushScreenByName(const char* className, int32_t transitionType);
    /// Takes the top screen off (OnPop, then the new top's OnReturn) and
    /// queues its scene for release. False on an empty stack.
    bool PopScreen(int32_t transitionType);
    /// Pops every screen with transition 0, then PushScreenByName: an
    /// unknown name leaves the stack empty.
    bool SetScreen(const char* className, int32_t transitionType);
    /// Opens a scene file as a page: its first screen, or a TestScreen made
    /// in it. False when the file does not load.
    bool PushTestScreen(const char* path);

    /// Makes `screen` the only screen on the stack as it is (no OnPop for
    /// those taken off, no OnPush for it, no transition): for moves between
    /// screens whose scenes the game keeps.
    void ReplaceStack(Screen* screen);
    /// Takes `screen` off the stack wherever it is, without OnPop, and
    /// queues its scene for release.
    void DropScreen(Screen* screen);
    bool IsOnStack(const Screen* screen) const;

    Screen* TopScreen() const;
    /// The screens, bottom first.
    const std::vector<Screen*>& Stack() const { return stack; }
    const std::vector<Overlay>& Overlays() const { return overlays; }
    /// How many elements wait for their release at the next Update.
    size_t ReleaseQueueLength() const { return releaseLater.size(); }
    /// The highest screen that IsA("GameScreen"), or null.
    Screen* TopmostGameScreen() const;
    /// The lowest screen that IsA("QuestScreen"), or null.
    Screen* FirstQuestScreen() const;

    // ---- input lock, release, cursor ----
    /// Blocks screen input until UnlockInput.
    void LockInput() { inputLock = -1.0f; }
    void UnlockInput() { inputLock = 0.0f; }
    /// Blocks screen input for `seconds` of frame time (Update counts down).
    void LockInputFor(float seconds) { inputLock = seconds > 0.0f ? seconds : 0.0f; }
    /// Destroys `element` at the start of the next Update (once, however
    /// often it is queued).
    void ReleaseLater(Element* element);
    /// Takes ownership of `element`, drawn above the screens while its
    /// animation plays.
    void AddOverlay(Element* element, const char* animation);
    /// The cursor of that kind (0 default, 1 link, 2 exit, 3 use, 4 info)
    /// for the current player's world.
    void SetCursor(int32_t kind);
    void ShowCursor(bool visible);

    // ---- per frame ----
    void Update();
    void Draw();

    // ---- start and shut-down ----
    /// After the window exists: unlocked, active.
    void Start();
    /// Pops every screen with transition 0, destroys the overlays and runs
    /// one Update so that what was queued is destroyed.
    void Clear();
    /// Shut-down: clears the stack as Clear does and forgets the cursor's sprites.
    void Shutdown();

    // ---- InputHandler ----
    void OnMouseMove() override;
    void OnMouseButton(int button, int down) override;
    void OnKey(int key, int down, int repeat) override;
    void OnChar(int code) override;
    void OnDeferredMessage(int code, void* data) override;
    void OnSize(int width, int height, int kind) override;
    void OnDisplayChange(int width, int height, int bitsPerPixel) override;
    void OnClose() override;

    // ---- hooks ----
    // The player's look (cursor sprites) comes from the game through
    // ui/ScreenGameHooks.h; the hooks below are installed by the game.
    /// The scene file of a screen class; an empty answer (or unset) means
    /// InterfaceDirectory + "/" + class + ".scene".
    std::function<String(const char* className)> screenFile;
    /// Called when a game screen ("GameScreen") has been popped, after the
    /// new top's OnReturn; true when the game keeps the screen's scene, which
    /// is then not released here. Unset: released as any other screen.
    std::function<bool(Screen& popped)> gameScreenPopped;
    /// Deferred messages the screen services do not handle; false for codes
    /// it does not know either. Unset: dropped.
    std::function<bool(int32_t code, void* data)> deferredMessage;
    /// First step of Shutdown, while the stack is still as it was.
    std::function<void()> shuttingDown;
    /// True while the console is allowed and open: keys go to it alone.
    /// Unset: never.
    std::function<bool()> consoleOpen;
    /// True while the named animation (empty: any) plays on the element;
    /// installed with key-frame animation. Unset: nothing plays, so an
    /// overlay goes at the next Update.
    std::function<bool(Element&, const String&)> animationPlaying;

    // ---- state ----
    /// 0 unlocked; > 0 seconds left; < 0 locked until UnlockInput.
    float inputLock = 0.0f;
    /// False while the window is minimised or the display is not in the game's mode.
    bool active = true;
    /// Whether the previous frame drew the screens.
    bool drawnLastFrame = false;

    /// The transition, background, paused view, music channel, screenshots
    /// and loading picture every screen uses.
    ScreenServices services;

private:
    /// LoadScreenFile naming `what` in its log lines.
    Screen* LoadScreenFile(const char* path, const char* what);
    std::vector<Screen*> stack;
    std::vector<Overlay> overlays;
    std::vector<Element*> releaseLater;

    /// The tests every routed event passes: pointer in the client area,
    /// no lock, a screen there.
    bool ScreensTakeInput() const;
    bool IsQueuedForRelease(const Element* element) const;
    void ReleaseQueued();
    void UpdateScreens();
    void UpdateOverlays();
    void DestroyOverlays();
    /// Index of the lowest screen to draw.
    size_t LowestDrawnScreen() const;
    void DrawScreens();
    void DrawCursorOrSystemPointer();
};

/// The one screen stack.
UI& GetUI();
