#pragma once
// ScreenServices: the visual services and the music channel the screen
// stack offers every screen, gathered in one object the stack owns.
//
//   transitions        StartTransition, DrawTransition
//   background         CaptureBackground, DrawBackground, SaveBackground,
//                      LoadSavedBackground, SetBackgroundBrightness
//   paused view        DrawPausedView
//   music              PlayMusic, PlayMusicByName, StopMusic, UpdateMusic
//   screenshots        TakeScreenshot
//   loading picture    BeginLoadingProgress, DrawLoadingPicture
//   deferred messages  OnDeferredMessage for the codes below
//
// Deferred messages go out through the poster the owner installs (the
// screen stack posts them to itself through the input manager) and come
// back through OnDeferredMessage, the same frame order as any input:
//   1000 sound  second half of a music cross-fade
//   1001 sound  the end of a music fade-out
//   1002 text   a delayed screenshot (data null: a time-stamped name)
// Texts travel as copies kept in Texts(); copies whose message never comes
// back are freed by Shutdown. Main thread only.
//
// The operations above are the one way to act on a service; the parts
// themselves (Transition(), Background(), ...) are offered read-only, for
// what screens and tests need to look at.

#include "core/MessageCodes.h"
#include "core/String.h"
#include "ui/DeferredTexts.h"
#include "ui/LoadingPicture.h"
#include "ui/MusicChannel.h"
#include "ui/PausedView.h"
#include "ui/ScreenBackground.h"
#include "ui/ScreenTransition.h"

#include <cstdint>
#include <functional>

class Font;
class Sound;

/// The caption operations over an engine font.
class FontCaption : public CaptionFont {
public:
    Font* font = nullptr;
    float TextWidth(const char* text) override;
    float HeightValue() override;
    void DrawText(const char* text) override;
};

class ScreenServices {
public:
    static constexpr int32_t kScreenshotMessage = message::kDelayedScreenshot;
    static constexpr float kPictureBrightnessStart = 0.5f;

    /// Sends a deferred message back to the owner: code, data, delay (s).
    using Poster = std::function<void(int32_t code, void* data, float delay)>;

    ScreenServices();
    ~ScreenServices();
    ScreenServices(const ScreenServices&) = delete;
    ScreenServices& operator=(const ScreenServices&) = delete;

    /// Allocates the snapshot, background and paused images at the display
    /// size (once, at start-up, with the GL context current). False when
    /// any could not be made; the services then draw what they have.
    bool Startup();
    /// Stops the music at once, ends the loading progress, frees the images
    /// and every text still waiting for its message.
    void Shutdown();
    void SetPoster(Poster poster);

    // Transitions.
    void StartTransition(int32_t type, float duration, int32_t completionMessage);
    /// Draws the running transition and advances it by `elapsed`; the
    /// completion message due now, or −1.
    int32_t DrawTransition(float elapsed);
    const ScreenTransition& Transition() const { return transition; }

    // Background.
    /// Captures the picture as the background; `blur` for a screen's backdrop.
    bool CaptureBackground(bool blur);
    void DrawBackground();
    /// Captures, blurs and writes Globals "BackgroundFilename" in the
    /// current player's folder. False when there is no folder or the write fails.
    bool SaveBackground();
    /// The game-complete picture (Globals "Path_GameCompleteBackground")
    /// once the game is finished, else the saved background of the current
    /// player; false when it does not load.
    bool LoadSavedBackground();
    void SetBackgroundBrightness(float value);
    const ScreenBackground& Background() const { return background; }

    /// The game's brightness option 0 … 1 as the game applies it to the
    /// pictures of its scenes.
    float PictureBrightness() const { return pictureBrightness; }
    void SetPictureBrightness(float value) { pictureBrightness = value; }

    // Paused view.
    /// `firstFrame`: the still is read and blurred first. Then the still and
    /// the text of Globals "String_GamePaused", measured in Globals
    /// "Font_HeaderText" and drawn in "Font_DialogueText".
    void DrawPausedView(bool firstFrame);
    const PausedView& Paused() const { return paused; }

    // Music.
    void PlayMusic(Sound* sound, float fade);
    /// PlayMusic of the music found at `path`, with a fade of 1 s.
    void PlayMusicByName(const char* path);
    void StopMusic(float fade);
    /// Feeds the stream and runs the fade by `elapsed`; the gain follows the
    /// option "MusicVolume".
    void UpdateMusic(float elapsed);
    const MusicChannel& Music() const { return music; }

    // Screenshots.
    /// delay > 0: posted as message 1002 to be taken later; true. Otherwise
    /// taken now (false when it could not be made or written).
    bool TakeScreenshot(const char* name, float delay);

    // Loading picture.
    /// LoadingProgress::Begin for `directory`.
    void BeginLoadingProgress(const char* directory, bool reset);
    void DrawLoadingPicture(float fraction, bool withBackground);
    const LoadingProgress& Progress() const { return progress; }

    /// Handles 1000, 1001 and 1002; false for any other code.
    bool OnDeferredMessage(int32_t code, void* data);
    DeferredTexts& Texts() { return texts; }
    void Post(int32_t code, void* data, float delay);

private:
    ScreenTransition transition;
    ScreenBackground background;
    PausedView paused;
    MusicChannel music;
    LoadingProgress progress;
    DeferredTexts texts;
    FontCaption headerFont;
    FontCaption dialogueFont;
    PausedCaption caption;
    Poster poster;
    float pictureBrightness = kPictureBrightnessStart;
};

/// The current player's path of the saved background: their folder +
/// Globals "BackgroundFilename" (default "background.tga"); empty without a folder.
String SavedBackgroundPath();
