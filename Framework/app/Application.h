#pragma once
// Application: the program's life from entry to exit.
//
//   RunApplication   single instance, program directory, then the three below
//   Startup          builds everything in a fixed order; true when frames may run
//   RunFrameLoop     one frame after another while `running`, at most 65 a second
//   Shutdown         tears everything down in a fixed order; always runs
//
// Everything happens on the calling thread. Time comes from GetPlatform(), so
// a test can run the loop on a virtual clock with scripted events.

#include <cstdint>

struct GameHooks;

/// The shortest frame: the limiter sleeps until this much time has passed.
constexpr double kMinimumFrameSeconds = 1.0 / 65.0;

/// The program entry: returns 0 in every case, at once when another copy runs.
/// Data paths resolve from the program's folder, whose data.pack is opened.
/// A `dataPath` (the game's --data option) replaces that: a folder is used
/// as the program's folder would be; an archive is opened instead of
/// data.pack, with the loose files of its folder as the fall-back.
int RunApplication(GameHooks& game, const char* dataPath = nullptr);

/// Start-up; false only when the game's global objects could not be created.
/// A failed step otherwise reports itself and start-up goes on.
bool Startup(GameHooks& game);
/// For long work during start-up (the preload): takes the pending window
/// events and answers true once a close request (the window's close button,
/// SIGINT, SIGTERM) has arrived since start-up began. The other events of
/// that time are dropped. After such a request the frame loop runs one
/// frame and ends, and shut-down saves as usual.
bool CloseRequestedDuringStartup();
/// Runs frames until `running` is false after a frame (at least one frame).
void RunFrameLoop(GameHooks& game);
/// Shut-down, in full, whether or not start-up succeeded or frames ran.
void Shutdown(GameHooks& game);

/// Frames completed by the last RunFrameLoop.
uint64_t FramesRun();
