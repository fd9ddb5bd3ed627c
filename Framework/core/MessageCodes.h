#pragma once
// Every message code, in one place. An element message travels up the
// message-parent chain (Element::Message) or waits in an element's delayed
// list (QueueMessage, PostMessage); its sender is the element that sent it, a
// sound for the screen's sound and music messages, or null. The screen
// stack's own delayed messages (1000s) go through the input manager with a
// data pointer instead. Codes are data: scene files and scripts name them by
// number, so a code never changes.
//
//   101..103    tweens, sent to the tweened element (core)
//   200..201    buttons           300..301  check boxes
//   400..403    text boxes        500..501  sliders
//   700..702    scroll bars
//   1000..1002  the screen stack's own delayed messages, 1003 up the game's
//   2000..2005  generic screen messages; game objects reuse 2000..2007 for
//               their private messages (they never reach a screen's handler)
//   3000 up     private codes of each screen, mostly posted to itself to
//               sequence its animations

#include <cstdint>

namespace message {

// Tweens.
inline constexpr int32_t kTweenStarted = 101;
inline constexpr int32_t kTweenRunning = 102;
inline constexpr int32_t kTweenFinished = 103;

// The first code of each control's range (a control numbers its own codes
// from there, up to the last code of its range).
inline constexpr int32_t kFirstButton = 200;
inline constexpr int32_t kLastButton = 201;
inline constexpr int32_t kFirstCheckBox = 300;
inline constexpr int32_t kLastCheckBox = 301;
inline constexpr int32_t kFirstTextBox = 400;
inline constexpr int32_t kLastTextBox = 403;
inline constexpr int32_t kFirstSlider = 500;
inline constexpr int32_t kLastSlider = 501;
inline constexpr int32_t kFirstScrollBar = 700;
inline constexpr int32_t kLastScrollBar = 702;

// Buttons and check boxes (sender: the control).
inline constexpr int32_t kButtonPressed = 200;     ///< a left press on the button
inline constexpr int32_t kButtonClicked = 201;     ///< the release over it that completes a click
inline constexpr int32_t kCheckBoxChecked = 300;   ///< "checked" was set
inline constexpr int32_t kCheckBoxUnchecked = 301; ///< "checked" was cleared

// Text boxes (sender: the box).
inline constexpr int32_t kTextChanged = 400; ///< the text changed by typing
inline constexpr int32_t kTextEntered = 401; ///< Enter pressed while editing
inline constexpr int32_t kTextLink = 402;    ///< a click on a box with link text
inline constexpr int32_t kTextClicked = 403; ///< a click on a plain (neither editable nor link) box

// The screen stack's delayed messages.
inline constexpr int32_t kMusicCrossFade = 1000; ///< the second half of a music cross-fade
inline constexpr int32_t kMusicFadedOut = 1001;  ///< the end of a music fade-out
inline constexpr int32_t kDelayedScreenshot = 1002;
/// The game's delayed messages through the same route (its queued loads)
/// start here.
inline constexpr int32_t kFirstGameDelayed = 1003;

// Generic screen messages.
inline constexpr int32_t kShowSender = 2000;
inline constexpr int32_t kHideSender = 2001;
inline constexpr int32_t kPopScreen = 2003;
inline constexpr int32_t kPlaySound = 2004; ///< sender: the sound
inline constexpr int32_t kPlayMusic = 2005; ///< sender: the music
// Private messages of game objects.
inline constexpr int32_t kFirstGameObjectPrivate = 2000;
inline constexpr int32_t kLastGameObjectPrivate = 2007;

/// The first private code of a screen.
inline constexpr int32_t kFirstScreenPrivate = 3000;

} // namespace message
