#pragma once
// The monkey: the real game on the demo data, on a private virtual display,
// driven for a given time by random but plausible input: clicks anywhere, on
// the menus' controls and on the levels' objects, drags, keys (Escape, Return,
// the console key with a command a developer would type), the focus taken and
// given back, and now and then the window closed and the game started again.
//
// It reports every crash (the game ending by a signal or with a non-zero
// status), sanitizer reports and numbered error lines of the game's log, a
// window that no longer closes, a screen no input leaves, and the game's
// resident memory over time (growth after the warm-up is a finding on runs
// long enough to judge it). The same seed replays the same input.

#include "SceneTargets.h"
#include "SoakReport.h"

#include <cstdint>
#include <string>

struct MonkeyOptions {
    double minutes = 1.0;
    uint32_t seed = 1;
    /// A screen whose picture keeps still this long under input is a finding.
    double stuckSeconds = 90.0;
    /// The mean time between closing the window and starting the game again.
    double restartMinutes = 5.0;
    /// The warm-up before resident memory must stay flat.
    double warmUpMinutes = 3.0;
    /// Pictures of findings go here.
    std::string outputFolder;
};

void RunMonkey(const MonkeyOptions& options, const SceneTargets& targets, SoakReport& report);
