#pragma once
// Misclicks: the counter that locks a player out who clicks everywhere.
//
// Each misclick adds 1; the counter loses 1 per second of frame time while
// input is not blocked (never below 0). When a misclick brings it to the
// threshold (Globals "Game_BogusClickThreshold", 3 by default) the lock-out
// starts and lasts as many seconds as the counter then holds: with the
// default, three quick misclicks do not lock (the counter has already lost a
// little), the fourth within a second does, and misclicks a second or more
// apart never lock.

#include <cstdint>

class Misclicks {
public:
    /// Counts one misclick; true when it starts the lock-out.
    bool Add(float threshold);
    /// Runs the counter down by `seconds` unless input is blocked.
    void Decay(float seconds, bool inputBlocked);
    /// Ends the lock-out (its timer ran out).
    void EndLockOut() { lockedOut = false; }
    void Reset();

    float Counter() const { return counter; }
    bool LockedOut() const { return lockedOut; }
    /// Seconds the current lock-out lasts (the counter when it started).
    float LockSeconds() const { return lockSeconds; }

private:
    float counter = 0.0f;
    float lockSeconds = 0.0f;
    bool lockedOut = false;
};

/// The number (1 … 8) of the generic fail message to show next: a draw of
/// rand() mod 8 repeated while it equals `previous` (at most 100 draws);
/// `previous` is updated to the draw.
int32_t DrawGenericFailMessage(int32_t& previous);
