#pragma once
// Screen: one page of the game, the first Screen element of its own scene.
//
// The screen stack (ui/UI.h) loads a screen's scene by class name and makes
// the screen the message parent of every other element of that scene, so a
// control's message (a click is 201 with the button as sender) arrives at
// the screen. The scene owns the screen; popping the screen releases the
// whole scene one update later.
//
// The base screen passes input to its scene, draws its scene and handles the
// generic messages 2000 to 2005; every other message goes to its message
// parent. Subclasses override the input operations, Message, Draw and the
// stack notifications OnPush to OnPuzzleFinished.
//
// Properties (scene-file keys, in this order):
//   fullscreen         bool, true:  screens under the topmost fullscreen one are not drawn
//   blockUpdate        bool, true:  screens below this one are not updated
//   captureBackground  bool, false: the picture at push time is captured,
//                                   blurred and drawn beneath this screen

#include "core/Element.h"
#include "core/MessageCodes.h"

#include <cstdint>

class Widget;

/// The generic screen messages.
enum ScreenMessage : int32_t {
    kMessageShowSender = message::kShowSender,
    kMessageHideSender = message::kHideSender,
    kMessagePopScreen = message::kPopScreen,
    kMessagePlaySound = message::kPlaySound,
    kMessagePlayMusic = message::kPlayMusic,
};

class Screen : public Element {
    ENGINE_CLASS(Screen, Element)

public:
    Screen();
    ~Screen() override;

    /// Resolves the screen's links, then makes the screen its scene's message parent.
    bool Resolve() override;

    // Input: passed to the owning scene, whose answer is the screen's.
    bool HoverTest() override;
    void MouseEnter() override {}
    void MouseLeave() override {}
    bool MouseButton(int32_t button, bool pressed) override;
    bool Key(int32_t key, bool pressed, bool repeat) override;
    bool Char(int32_t character) override;

    /// 2000/2001 set the sender's "Visible" (nothing for a null sender),
    /// 2003 pops the top screen with transition 1, 2004 plays the sender
    /// sound once, 2005 plays it as music with a 1 s fade; true for these.
    /// Any other message goes to the message parent.
    bool Message(int32_t message, Object* sender) override;
    bool OnLoaded() override { return false; }

    /// Draws the owning scene; false without one.
    virtual bool Draw();
    /// The screen was put on the stack.
    virtual bool OnPush() { return true; }
    /// The screen is being taken off the stack.
    virtual bool OnPop() { return true; }
    /// The screen became the top again after `popped` went.
    virtual bool OnReturn(Screen* /*popped*/) { return true; }
    /// A movie screen above this one has closed itself.
    virtual bool OnMovieFinished() { return true; }
    /// A board puzzle above this one has closed itself.
    virtual bool OnPuzzleFinished(Element* /*puzzle*/) { return true; }

    Var fullscreen;
    Var blockUpdate;
    Var captureBackground;
};

/// A screen without behaviour of its own, made for a scene file that has no
/// screen when it is opened as a test page.
class TestScreen : public Screen {
    ENGINE_CLASS(TestScreen, Screen)
};

/// Shows `widget` and fades its "Color" alpha from its current value a to 1
/// over seconds × (1 − a) through a tween in the screen's scene, cancelling
/// any pending hide of it. Nothing when the widget is shown and not fading
/// out already; with seconds ≤ 0 it is only shown.
void FadeIn(Screen* screen, Widget* widget, float seconds);
/// Fades the alpha of a shown, not fading widget from a to 0 over
/// seconds × a and queues 2001 (carrying `flag`) on the screen after that
/// time, so the widget is hidden when the fade ends. With seconds ≤ 0 the
/// widget is hidden at once.
void FadeOut(Widget* widget, Screen* screen, float seconds, uint8_t flag);
/// The widget's own "Visible" is true and the screen has no queued 2001
/// whose sender is the widget. False for a null widget.
bool IsShownAndNotFading(Screen* screen, Widget* widget);
