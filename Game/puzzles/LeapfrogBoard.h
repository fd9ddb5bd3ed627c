#pragma once
// LeapfrogBoard: the rules of the peg-jumping board without any screen, so
// that the puzzle, the data checker and the tests share one definition.
//
// A board has thirteen slot places (index 0 to 12). A slot may be absent (the
// scene does not provide it). Slot positions are the scene's pixels (x right,
// y down); adjacency is the slots' declared neighbour lists, kept as bit masks.
// A peg on slot `from` may jump over a gray peg on slot `a` into an empty slot
// `to` when `a` is a neighbour of both and the three lie nearly on one line:
// with u = from − a and v = a − to, each normalised, u · v > 0.9. The red peg
// jumps like any other but can never be jumped. The board is won when no gray
// peg is left.
//
// State: a bit mask of the slots holding gray pegs and the red peg's slot
// (−1 for none). States only ever lose gray pegs, so a search over them ends.

#include <array>
#include <cstdint>
#include <vector>

struct LeapfrogMove {
    int32_t from = -1;
    int32_t to = -1;
    int32_t jumped = -1;
};

struct LeapfrogState {
    uint16_t gray = 0; ///< bit j: a gray peg stands on slot j
    int32_t red = -1;  ///< the red peg's slot, −1 for none

    bool Occupied(int32_t slot) const { return (gray >> slot & 1u) != 0 || red == slot; }
    int32_t GrayCount() const;
};

class LeapfrogBoard {
public:
    static constexpr int32_t kSlotCount = 13;
    /// The straightness of a jump: the cosine of the largest angle allowed
    /// between the two legs (about 25.8°).
    static constexpr float kLineCosine = 0.9f;

    /// Declares slot `index` present at (x, y); out-of-range indices are ignored.
    void SetSlot(int32_t index, float x, float y);
    /// Declares `neighbor` adjacent to `index` (one direction, as the scene lists it).
    void AddNeighbor(int32_t index, int32_t neighbor);
    bool HasSlot(int32_t index) const;
    bool AreNeighbors(int32_t index, int32_t neighbor) const;

    /// True when a jump from `from` to `to` over slot `over` has the shape of
    /// a legal jump: all three present and distinct, `over` a neighbour of
    /// both ends, the legs in line. Says nothing about the pegs.
    bool IsJumpShape(int32_t from, int32_t over, int32_t to) const;
    /// The legal move from `from` to `to` in `state`: a peg on `from`, `to`
    /// empty, a gray peg on a slot in the jump shape (the lowest such slot).
    /// False, `move` untouched, when there is none.
    bool FindMove(const LeapfrogState& state, int32_t from, int32_t to, LeapfrogMove& move) const;
    /// Appends every legal move of `state` to `moves`.
    void ListMoves(const LeapfrogState& state, std::vector<LeapfrogMove>& moves) const;
    /// `state` after `move` (which must be legal there).
    static LeapfrogState Apply(const LeapfrogState& state, const LeapfrogMove& move);

    /// Searches the states reachable from `start` for one without gray pegs.
    /// True when one is reached; `solution` (when given) then holds the moves
    /// in order. A start without gray pegs is not counted as solvable: the
    /// player would have nothing to do and nothing would end the puzzle.
    bool Solve(const LeapfrogState& start, std::vector<LeapfrogMove>* solution) const;

private:
    struct Slot {
        bool present = false;
        float x = 0.0f;
        float y = 0.0f;
        uint16_t neighbors = 0;
    };
    bool Search(const LeapfrogState& state, std::vector<uint8_t>& seen,
                std::vector<LeapfrogMove>* path) const;

    std::array<Slot, kSlotCount> slots{};
};
