#pragma once
// Audio: the one OpenAL device and context and the fixed set of sources.
//
// Startup makes up to kMaxSources sources. The first one is the music source,
// reserved for streamed sounds; the others form the pool that effects borrow
// while they play, kept in creation order. A source is named by its OpenAL
// name; kNoSource (0, never an OpenAL name) means "none".
//
// Without an audio device (no sound card, no driver) Startup fails and the
// game runs silent: every query answers none, 0 or false, and sounds load
// but never play. All calls belong to the main thread.
//
// The device state is plain data without a destructor, so sounds destroyed
// during process exit, in whatever order, still find it as it was.

#include <cstdint>
#include <span>

namespace Audio {

using SourceId = uint32_t;
constexpr SourceId kNoSource = 0;
constexpr int kMaxSources = 32;

/// Opens the default device, creates and activates a context and makes the
/// sources; false (nothing left open) when there is no device, no context
/// or not even one source. The global sound volume becomes 1.
bool Startup();
/// Deletes the pool sources, then the music source; destroys the context and
/// closes the device. Harmless when not started.
void Shutdown();
/// True between a successful Startup and Shutdown.
bool IsStarted();
/// Counts successful start-ups; resources remember the one they were made in,
/// so they never free names of a device that has since been closed.
uint32_t Generation();

/// The first pool source that is not playing (initial, paused and stopped
/// sources are free) and not borrowed, or kNoSource.
SourceId FindFreeSource();
/// Marks a pool source as borrowed by a player that queues its own buffers
/// (or returns it): a borrowed source is never free, even while it waits
/// for more sound. Ignored for sources outside the pool.
void SetBorrowed(SourceId source, bool borrowed);
/// The music source, or kNoSource when not started.
SourceId MusicSource();
/// The pool sources in creation order (empty when not started).
std::span<const SourceId> PoolSources();
/// True when `source` is one of the pool's sources.
bool IsPoolSource(SourceId source);

/// The factor every effect's gain is multiplied by (0..1; 1 at start-up).
float GetSoundVolume();
/// Values outside 0..1 are clamped. Effects already playing keep their gain.
void SetSoundVolume(float volume);

} // namespace Audio
