#pragma once
// EngineSandbox: every process-wide piece of engine and game state put into
// the state a fresh process starts in, for the life of one test.
//
// The constructor resets it all; the destructor first takes down what a test
// left running (screens on the stack and in the release queue, loaded levels,
// an installed input manager, console or game window, an open archive,
// cached resources), then resets the rest again, so the next test in the
// same process starts clean. A fixture declares the sandbox as its first
// member (or a test as its first local): it is made before anything the test
// sets up and goes after everything the test owns.
//
// What is reset: the class registry; running, engineReady, the global
// settings, options and player-state pointers (not deleted: whoever created
// them owns them), the frame clock and frame times, the redraw flag, the
// long loads' stop question and the random seed; the screen stack with its
// services and hooks, the console, the cursor and the input manager; the
// resource cache, its loaders and flags, the string tables, text styles, the
// archive and the file, link and scene-drawing hooks; the display size and
// the screen camera; the audio device; the script layer's deferred calls,
// budgets, host and command table; the platform; the game's level list and
// hooks, its item database and current player.
//
// Not reset: what OpenAL Soft reads once per process (its configuration), so
// a test that opens the default sound device leaves the captured-audio tests
// after it in the same process without their wave device.

namespace testing_support {

class EngineSandbox {
public:
    EngineSandbox();
    ~EngineSandbox();
    EngineSandbox(const EngineSandbox&) = delete;
    EngineSandbox& operator=(const EngineSandbox&) = delete;

    /// Unloads the loaded levels and takes every screen off the stack and
    /// out of the release queue now, while what they read (the game state, a
    /// test's settings) is still there. A fixture that owns one of the
    /// screens takes it off the stack itself first.
    static void EndScreens();
    /// Takes down what is running and resets everything (what the destructor does).
    static void Reset();
};

} // namespace testing_support
