#pragma once
// Puzzle: the screen every board puzzle shares.
//
// A level script opens a puzzle with PlayPuzzle (puzzles/PuzzleFunctions.h):
// the puzzle's scene file is loaded afresh, StartPuzzle lays out the board
// from a named layout, and the screen is pushed. It carries a help page
// (opened by "helpButton", closed by "helpOk") and a skip button that is
// offered once "skipTime" seconds of play have passed; until then a frame
// and a fill count down, the fill's "AlphaMask" falling from 1 to 0. The skip
// countdown stands still while the help page is shown.
//
// A puzzle ends through FinishPuzzle: the screen leaves the stack and the
// screen below hears of it through OnPuzzleFinished (the level screen runs
// its script's "OnPuzzleFinish" hook). IsSolved tells how it ended.
//
// Properties (scene-file keys):
//   helpButton  Button  opens the help page
//   skipButton  Button  gives up the puzzle; shown once the skip time has passed
//   skipFrame   Bitmap  frame of the skip countdown, shown until then
//   skipFill    Bitmap  fill of the countdown (drawn with an alpha-test blend)
//   helpOk      Button  closes the help page
//   helpScreen  Widget  the help page
//   skipTime    float   seconds before the skip button is shown (60)
// While one of these element links does not resolve the puzzle is inert: no
// countdown, no timed messages. The board's own links (slots, pegs, sounds)
// may have holes without freezing it, so a damaged board can still be skipped.

#include "core/Link.h"
#include "ui/Screen.h"

class Bitmap;
class Button;
class Sound;

class Puzzle : public Screen {
    ENGINE_CLASS(Puzzle, Screen)

public:
    /// The puzzle's own timed messages.
    enum Code : int32_t {
        kOpenHelp = 3002,
        kFinishSolved = 3005,
        kFinishUnsolved = 3006,
    };
    /// Seconds between the skip click and the end of the puzzle.
    static constexpr float kSkipDelay = 2.0f;

    Puzzle();
    ~Puzzle() override;

    /// The skip countdown, then the element update (timed messages); nothing
    /// while a puzzle link is unresolved.
    void Update() override;
    /// The help and skip buttons and the codes above; everything else goes
    /// to the screen.
    bool Message(int32_t message, Object* sender) override;

    /// Lays out the board from the layout named `layout`; the base has no
    /// board and answers true.
    virtual bool StartPuzzle(const char* layout);
    /// Ends the puzzle: unlocks input, stores `solved`, pops the top screen
    /// and calls OnPuzzleFinished on the screen then on top. Only the first
    /// call does anything, and only while this puzzle is the top screen.
    virtual void FinishPuzzle(bool solved);
    virtual bool IsSolved() const { return solved; }

    /// True while the help page is there and shown.
    bool IsHelpShown() const;
    /// True when one of the puzzle's own element links does not resolve.
    bool HasUnresolvedPuzzleLinks() const;
    float SkipTimer() const { return skipTimer; }

    Link<Button> helpButton;
    Link<Button> skipButton;
    Link<Bitmap> skipFrame;
    Link<Bitmap> skipFill;
    Link<Button> helpOk;
    Link<Widget> helpScreen;
    Var skipTime;

protected:
    /// The player gave up: the board's failure sound and the like.
    virtual void OnSkip() {}
    /// Plays `sound` once at volume 1 and pitch 1; nothing for null.
    static void PlayOnce(Sound* sound);
    void StepSkipCountdown();

    float skipTimer = 0.0f;
    bool solved = false;
    bool finished = false;
    bool skipOffered = false;
};
