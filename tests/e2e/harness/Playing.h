#pragma once
// Playing: what the end-to-end tests do as a player does, shared by them.
//
//   LogWatch       the game's log read onwards from a point, so that a
//                  line that comes again (a second story, a second level)
//                  is told from the first one
//   Pause          a wait, longer under the sanitizers
//   WaitForQuiet   a picture that stays the same for a while (the map's
//                  walk has ended, not just paused between two steps)
//   ClickElement   a click on an element of a scene file, at its position
//   ReadStory      a story read page by page, answers chosen by clicks
//   Inventory      the HUD's inventory drawer: opened by pointing at the
//                  top edge, its slots clicked
//   PlanLeapfrog   a Leapfrog board's solution, computed from its scene file
//                  with the board rules the game plays by
//
// Points are screen pixels of the 1024 x 768 logical screen unless a
// ScenePoint (pixels from the screen's centre) is asked for.

#include "SceneFile.h"

#include "puzzles/LeapfrogBoard.h"

#include <functional>
#include <string>
#include <vector>

class GameSession;
class Image;

class LogWatch {
public:
    /// Starts at the end of what the log holds now: a game started again on
    /// the same test folder appends to the log of the one before, whose
    /// lines must not count for it.
    explicit LogWatch(GameSession& session);
    /// Waits until the log holds `fragment` after the watch's point; the
    /// point then moves past that line (unless `keepPlace`). The line is
    /// given in `line` when asked for.
    bool WaitFor(const std::string& fragment, double seconds, std::string* line = nullptr,
                 bool keepPlace = false);
    /// The log from the watch's point on.
    std::string Ahead() const;
    /// Moves the point to the end of what the log holds now.
    void SkipAhead();

private:
    GameSession& game;
    size_t offset = 0;
};

/// Sleeps `seconds` (times GameSession::TimeScale()).
void Pause(double seconds);

/// Captures until the picture has stayed the same for `stillSeconds`; false
/// when that does not happen within `seconds`. `out` holds the last picture.
bool WaitForQuiet(GameSession& game, Image& out, double stillSeconds, double seconds);

/// Clicks the element's position (its pivot, mostly its centre), `dx` pixels
/// to the right: the pointer must move for a click to be sent, so two clicks
/// at one place need an offset. Then waits `settle` seconds.
bool ClickElement(GameSession& game, const SceneFile& scene, const std::string& element, int dx = 0,
                  double settle = 0.9);

/// Reads the story whose first page the log shows after `watch`'s point
/// (content/dialogue/scripts/STORY.config tells how many answers each page
/// has), clicking answer `choice` (1 or 2) where a page offers two and the
/// only answer elsewhere, until the story's end. `keep` is shown each page's
/// picture and name before its answer is clicked. Failures are reported
/// with ADD_FAILURE.
using KeepPicture = std::function<void(const Image& picture, const std::string& name)>;
bool ReadStory(GameSession& game, LogWatch& watch, const std::string& story, int choice,
               const KeepPicture& keep = {});

class Inventory {
public:
    explicit Inventory(GameSession& session);
    /// Opens the drawer by pointing at the top edge, then clicks slot
    /// `slot` (from 0), then waits a moment.
    bool ClickSlot(int slot);

private:
    GameSession& game;
    int slotX[2] = {0, 0};
    int slotY = 0;
};

struct LeapfrogPlan {
    std::vector<ScenePoint> slots; ///< by slot index
    std::vector<LeapfrogMove> moves;
};
/// The solution of content/puzzles/PUZZLE/PUZZLE.scene with its layout
/// element `layout`; no moves when it cannot be solved.
LeapfrogPlan PlanLeapfrog(const std::string& puzzle, const std::string& layout);
/// Plays the plan with clicks: each peg, then where it jumps to.
bool PlayLeapfrog(GameSession& game, const LeapfrogPlan& plan);
