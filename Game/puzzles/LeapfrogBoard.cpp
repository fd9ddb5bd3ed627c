#include "puzzles/LeapfrogBoard.h"

#include <bit>
#include <cmath>

namespace {

bool InRange(int32_t index) {
    return index >= 0 && index < LeapfrogBoard::kSlotCount;
}

// (x, y) scaled to length 1; a zero vector stays zero.
void Normalise(float& x, float& y) {
    const float length = std::sqrt(x * x + y * y);
    if (length > 0.0f) {
        x /= length;
        y /= length;
    }
}

// One entry per (gray mask, red slot + 1) pair: 2^13 × 14.
constexpr size_t kStateCount = (size_t(1) << LeapfrogBoard::kSlotCount) * (LeapfrogBoard::kSlotCount + 1);

size_t StateKey(const LeapfrogState& state) {
    return size_t(state.gray) * (LeapfrogBoard::kSlotCount + 1) + size_t(state.red + 1);
}

} // namespace

int32_t LeapfrogState::GrayCount() const {
    return std::popcount(gray);
}

void LeapfrogBoard::SetSlot(int32_t index, float x, float y) {
    if (InRange(index)) {
        slots[index].present = true;
        slots[index].x = x;
        slots[index].y = y;
    }
}

void LeapfrogBoard::AddNeighbor(int32_t index, int32_t neighbor) {
    if (InRange(index) && InRange(neighbor) && index != neighbor) {
        slots[index].neighbors |= uint16_t(1u << neighbor);
    }
}

bool LeapfrogBoard::HasSlot(int32_t index) const {
    return InRange(index) && slots[index].present;
}

bool LeapfrogBoard::AreNeighbors(int32_t index, int32_t neighbor) const {
    return InRange(index) && InRange(neighbor) && (slots[index].neighbors >> neighbor & 1u) != 0;
}

bool LeapfrogBoard::IsJumpShape(int32_t from, int32_t over, int32_t to) const {
    if (!HasSlot(from) || !HasSlot(over) || !HasSlot(to) || from == to || over == from || over == to) {
        return false;
    }
    if (!AreNeighbors(from, over) || !AreNeighbors(to, over)) {
        return false;
    }
    float ux = slots[from].x - slots[over].x;
    float uy = slots[from].y - slots[over].y;
    float vx = slots[over].x - slots[to].x;
    float vy = slots[over].y - slots[to].y;
    Normalise(ux, uy);
    Normalise(vx, vy);
    return ux * vx + uy * vy > kLineCosine;
}

bool LeapfrogBoard::FindMove(const LeapfrogState& state, int32_t from, int32_t to, LeapfrogMove& move) const {
    if (!InRange(from) || !InRange(to) || from == to || !state.Occupied(from) || state.Occupied(to)) {
        return false;
    }
    for (int32_t over = 0; over < kSlotCount; ++over) {
        if ((state.gray >> over & 1u) != 0 && IsJumpShape(from, over, to)) {
            move = LeapfrogMove{from, to, over};
            return true;
        }
    }
    return false;
}

void LeapfrogBoard::ListMoves(const LeapfrogState& state, std::vector<LeapfrogMove>& moves) const {
    for (int32_t from = 0; from < kSlotCount; ++from) {
        for (int32_t to = 0; to < kSlotCount; ++to) {
            LeapfrogMove move;
            if (FindMove(state, from, to, move)) {
                moves.push_back(move);
            }
        }
    }
}

LeapfrogState LeapfrogBoard::Apply(const LeapfrogState& state, const LeapfrogMove& move) {
    LeapfrogState next = state;
    next.gray &= uint16_t(~(1u << move.jumped));
    if (next.red == move.from) {
        next.red = move.to;
    } else {
        next.gray = uint16_t((next.gray & ~(1u << move.from)) | (1u << move.to));
    }
    return next;
}

bool LeapfrogBoard::Search(const LeapfrogState& state, std::vector<uint8_t>& seen,
                           std::vector<LeapfrogMove>* path) const {
    if (state.gray == 0) {
        return true;
    }
    uint8_t& visited = seen[StateKey(state)];
    if (visited) {
        return false;
    }
    visited = 1;
    std::vector<LeapfrogMove> moves;
    ListMoves(state, moves);
    for (const LeapfrogMove& move : moves) {
        if (path) {
            path->push_back(move);
        }
        if (Search(Apply(state, move), seen, path)) {
            return true;
        }
        if (path) {
            path->pop_back();
        }
    }
    return false;
}

bool LeapfrogBoard::Solve(const LeapfrogState& start, std::vector<LeapfrogMove>* solution) const {
    if (solution) {
        solution->clear();
    }
    if (start.gray == 0) {
        return false;
    }
    std::vector<uint8_t> seen(kStateCount, 0);
    return Search(start, seen, solution);
}
