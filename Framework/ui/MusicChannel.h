#pragma once
// MusicChannel: the one music source, its current music and its fades.
//
// A fade moves a level between 0 and 1 by direction × speed per second; the
// source's gain is level × the music volume option while a fade runs or
// when that option changes, and is left alone otherwise. A change of music with a fade of f seconds is a
// cross-fade in three steps: the old music fades out over f/2 seconds and
// stops (deferred message kStopMessage at f/2), the channel is silent for
// f/2 seconds, then the new music starts and fades in over f/2 seconds
// (deferred message kPlayMessage at f, carrying the sound).
//
// The channel does not own its sounds (the resource cache does) and reaches
// them only through MusicOps, so it can run over any player. It listens for
// sounds being destroyed (a folder of the game unloaded, shut-down, process
// exit) and forgets them at once, so it never reaches a sound that is gone.
//
// Deferred messages go out through the poster installed by its owner, which
// hands them back to OnDeferredMessage. They carry a ticket, never a sound:
// each fade that ends in a message takes a new ticket, and any later change
// of music (a new play, a stop, another fade) takes over, so a message that
// arrives after its fade was overtaken does nothing. Main thread only.

#include "audio/Sound.h"
#include "core/MessageCodes.h"

#include <cstdint>
#include <functional>

class Sound;

/// What the channel needs from the sounds it plays.
struct MusicOps {
    /// Starts the sound looping at that gain factor.
    void (*play)(Sound* sound, float gain) = nullptr;
    void (*stop)(Sound* sound) = nullptr;
    /// Feeds a streamed sound; called every update.
    void (*service)(Sound* sound) = nullptr;
    void (*setGain)(Sound* sound, float gain) = nullptr;
};

/// Posts a deferred message to the channel's owner: code, data, delay (s).
using MusicPoster = std::function<void(int32_t code, void* data, float delay)>;

class MusicChannel : private SoundGoneObserver {
public:
    MusicChannel();
    ~MusicChannel();
    MusicChannel(const MusicChannel&) = delete;
    MusicChannel& operator=(const MusicChannel&) = delete;

    static constexpr int32_t kPlayMessage = message::kMusicCrossFade;
    static constexpr int32_t kStopMessage = message::kMusicFadedOut;
    /// The fade PlayMusicByName uses.
    static constexpr float kDefaultFade = 1.0f;

    void SetOps(const MusicOps& value) { ops = value; }
    void SetPoster(MusicPoster poster);

    /// Nothing for null or for the music already playing. fade 0: the
    /// current music stops now and `sound` starts at level 1 (gain = the
    /// music volume), any fade cancelled. fade > 0: a cross-fade from the current music, or, without one,
    /// `sound` starts silent and fades in over `fade` seconds.
    void PlayMusic(Sound* sound, float fade);
    /// Cancels a cross-fade still waiting to bring its music in; then
    /// nothing without current music. fade 0 stops it now; otherwise it
    /// fades out over `fade` seconds and then stops.
    void StopMusic(float fade);
    /// Once per update: feeds the stream and moves a running fade by
    /// `elapsed` seconds; `volume` (the music volume option, kept for later
    /// starts) scales the gain, at once when it differs from the last one.
    void Update(float elapsed, float volume);
    void SetMusicVolume(float volume) { musicVolume = volume; }
    /// Handles kPlayMessage and kStopMessage; false for other codes. A
    /// message whose fade was overtaken does nothing; kStopMessage without
    /// data is StopMusic(0).
    bool OnDeferredMessage(int32_t code, void* data);
    /// Stops the music at once and cancels any fade (shut-down).
    void Reset();
    /// Forgets `sound` wherever the channel holds it, without touching it
    /// further (called as the sound is destroyed).
    void Forget(Sound* sound);

    Sound* Current() const { return current; }
    float Level() const { return level; }
    int32_t Direction() const { return direction; }
    float Speed() const { return speed; }
    float PendingHalfFade() const { return pendingHalfFade; }

private:
    void OnSoundGone(Sound* sound) override { Forget(sound); }
    void Post(int32_t code, void* data, float delay);
    void StartFade(float from, int32_t towards, float seconds);
    /// Starts `sound` now at `gain` and makes it current.
    void Start(Sound* sound, float gain);
    /// Stops and forgets the current music; the cross-fade waiting to bring
    /// in its music is left as it is.
    void EndCurrent();
    void* NewTicket();

    MusicOps ops;
    MusicPoster poster;
    Sound* current = nullptr;
    float musicVolume = 1.0f;
    float level = 0.0f;
    int32_t direction = 0;
    float speed = 0.0f;
    float pendingHalfFade = 0.0f;
    /// The music a cross-fade brings in when kPlayMessage with playTicket comes.
    Sound* incoming = nullptr;
    void* playTicket = nullptr;
    /// The fade-out that ends when kStopMessage with stopTicket comes.
    void* stopTicket = nullptr;
    uintptr_t lastTicket = 0;
};

/// The operations over the engine's sounds: looping playback on the music
/// source, stream feeding and the source's gain.
MusicOps SoundMusicOps();
