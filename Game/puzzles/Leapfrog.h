#pragma once
// Leapfrog: the peg-jumping board puzzle, with its layouts, pegs and slots.
//
// Thirteen slots ("slots", in slot-index order 0 to 12) stand on the board;
// each lists the element names of its neighbours. Up to twelve gray pegs
// ("grayPegs", in the order layouts fill them) and one red peg stand on them.
// The player selects a peg and clicks an empty slot: when a gray peg stands
// between them on a neighbouring slot of both, in line (LeapfrogBoard), the
// peg glides there in 0.5 s and the jumped peg disappears 0.25 s later.
// The red peg jumps but is never jumped. The board is solved once every gray
// peg is gone; a board with no move left lays itself out again.
//
// A layout is a LeapfrogConfig element found by its name:
//   GrayPeg  13 bools: slot j starts with a gray peg when item j is true
//   RedPeg   1 to 13: the red peg starts on slot RedPeg − 1; else none
// Positions are the scene's pixels; a peg's "Pivot" is set to the middle of
// its sprite, so its "Position" is its centre, and a peg keeps its own depth
// (z) when it is placed on a slot.
//
// Damaged boards (layouts naming slots the scene lacks, neighbours that name
// nothing, more pegs than places) are reported in one log line when the board
// is laid out; the pegs that have no place stay off the board, and the puzzle
// can still be skipped.

#include "play/Thing.h"
#include "puzzles/LeapfrogBoard.h"
#include "puzzles/Puzzle.h"

#include <array>
#include <vector>

class LeapfrogPeg;
class LeapfrogSlot;

/// One starting layout, found by its element name.
class LeapfrogConfig : public Element {
    ENGINE_CLASS(LeapfrogConfig, Element)

public:
    LeapfrogConfig();

    Var GrayPeg;
    Var RedPeg;
};

/// Where a layout puts the pegs on a board, and what in it does not fit.
struct LeapfrogPlacement {
    static constexpr int32_t kMaxGrayPegs = 12;
    /// The slot of the k-th gray peg, −1 when it stays off the board.
    std::array<int32_t, kMaxGrayPegs> graySlot;
    int32_t redSlot = -1;
    int32_t missingSlots = 0; ///< pegs the layout puts on slots the board lacks
    int32_t extraPegs = 0;    ///< gray items beyond the pegs there are
    bool redOnGray = false;   ///< the red peg's slot already holds a gray peg

    LeapfrogPlacement() { graySlot.fill(-1); }
    LeapfrogState State() const;
};

/// The k-th true "GrayPeg" item takes the k-th of `grayPegCount` gray pegs
/// (items beyond them are counted as extra); with `hasRedPeg`, a "RedPeg" of
/// 1 to 13 puts the red peg on slot RedPeg − 1 unless a gray peg is there.
/// A peg whose slot the board lacks stays off the board.
LeapfrogPlacement PlaceLayout(const LeapfrogConfig& config, const LeapfrogBoard& board, int32_t grayPegCount,
                              bool hasRedPeg);

/// A peg: a Thing that glides with MoveTo. Message 3000 takes it off the board.
class LeapfrogPeg : public Thing {
    ENGINE_CLASS(LeapfrogPeg, Thing)

public:
    static constexpr int32_t kRemove = 3000;

    LeapfrogPeg();

    /// 3000 hides the peg and takes it off its slot (true); other codes go to
    /// the entity's move and fade handling, never further.
    bool Message(int32_t message, Object* sender) override;

    Var RedPeg;
    /// The slot index the peg stands on, −1 for none.
    int32_t slot = -1;
};

/// A board position. Its file entry holds its name, position, input blocking
/// and "Neighbor" (8 element names of adjacent slots).
class LeapfrogSlot : public Widget {
    ENGINE_CLASS(LeapfrogSlot, Widget)

public:
    /// How far from the slot's centre a click still reaches it, in pixels.
    static constexpr float kReach = 45.0f;

    LeapfrogSlot();

    /// A press of button 0 within reach goes to every Leapfrog of the scene
    /// for which this is the nearest slot. Never consumed.
    bool MouseButton(int32_t button, bool pressed) override;
    /// Draws nothing; answers "Visible".
    bool Draw() override;
    /// Within kReach pixels of the slot's world position.
    bool HitTest(const Vec2& point) override;
    /// The slot's world position (scene pixels).
    Vec2 Centre() const;

    Var Neighbor;
};

class Leapfrog : public Puzzle {
    ENGINE_CLASS(Leapfrog, Puzzle)

public:
    enum LeapfrogCode : int32_t {
        kEndOfMove = 3003,
        kRestart = 3004,
    };
    static constexpr float kMoveSeconds = 0.5f;
    static constexpr float kClearDelay = 0.25f;
    static constexpr float kCheckDelay = 1.0f;
    static constexpr float kEndDelay = 2.0f;

    Leapfrog();
    ~Leapfrog() override;

    /// Stores the layout and lays out the board; false when the layout is missing.
    bool StartPuzzle(const char* layout) override;
    /// Places the pegs on their slots and the highlight on the selection,
    /// then the puzzle update; nothing while a puzzle link is unresolved.
    void Update() override;
    bool Message(int32_t message, Object* sender) override;

    /// Lays the board out from the stored layout; false without that layout.
    bool SetupBoard();
    /// A click on `clicked`: select, move or refuse.
    void SlotClicked(LeapfrogSlot& clicked);
    /// The peg a legal jump from slot `from` to slot `to` removes, or null.
    LeapfrogPeg* IsLegalMove(int32_t from, int32_t to) const;
    /// The listed slot nearest to `point` within reach, or null.
    LeapfrogSlot* NearestSlot(const Vec2& point) const;
    /// The index of `slot` in "slots", or −1.
    int32_t SlotIndex(const LeapfrogSlot* slot) const;
    /// The visible peg standing on slot `index`, or null.
    LeapfrogPeg* PegOn(int32_t index) const;
    /// The board as the scene declares it: slot places and adjacency.
    const LeapfrogBoard& Board() const { return board; }
    /// The pegs as they stand now.
    LeapfrogState CurrentState() const;
    /// Builds the board from the slots' positions and neighbour lists; the
    /// number of neighbour names that name no listed slot.
    int32_t BuildBoard(LeapfrogBoard& out) const;
    /// The resolved gray pegs, in "grayPegs" order.
    int32_t GrayPegCount() const;
    LeapfrogPeg* Selected() const { return selected; }

    Link<LeapfrogSlot> slots;
    Link<LeapfrogPeg> grayPegs;
    Link<LeapfrogPeg> redPeg;
    Link<Bitmap> highlight;
    Link<Sound> winSound;
    Link<Sound> badMoveSound;
    Link<Sound> failureSound;
    Link<Sound> selectSound;
    Link<Sound> moveStartSound;
    Link<Sound> clearSound;

protected:
    void OnSkip() override;

private:
    void CollectPegs();
    /// One log line naming what in the layout does not fit the board.
    void ReportLayout(const LeapfrogPlacement& placement, int32_t strayNeighbors) const;
    /// Places the pegs that are not gliding and the highlight.
    void PlaceBoard();
    void EndOfMoveCheck();
    bool AnyPegMoving() const;
    bool AnyMoveLeft() const;

    String layout;
    LeapfrogBoard board;
    std::vector<LeapfrogPeg*> pegs; ///< every peg of the scene, in scene order
    LeapfrogPeg* selected = nullptr;
    bool layoutReported = false; ///< a damaged layout is reported once per opening
};

/// Registers the puzzle classes under "Puzzle Objects".
void RegisterPuzzleClasses();

/// The board of `leapfrog` as its scene declares it and the placement of its
/// layout `layout`. False when the scene has no such layout. The puzzle's
/// links must have been resolved (its scene loaded).
bool ReadLeapfrogLayout(Leapfrog& leapfrog, const char* layout, LeapfrogBoard& board,
                        LeapfrogPlacement& placement);
