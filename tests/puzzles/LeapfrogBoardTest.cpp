// The board rules without a screen: the shape of a jump (adjacency both
// ways, the legs in line) and the search that tells solvable layouts from
// unsolvable ones.
#include "puzzles/LeapfrogBoard.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Five slots on a line, 100 pixels apart, each adjacent to the next.
LeapfrogBoard Line() {
    LeapfrogBoard board;
    for (int32_t i = 0; i < 5; ++i) {
        board.SetSlot(i, 100.0f * float(i), 0.0f);
        if (i > 0) {
            board.AddNeighbor(i, i - 1);
            board.AddNeighbor(i - 1, i);
        }
    }
    return board;
}

LeapfrogState State(std::initializer_list<int32_t> gray, int32_t red) {
    LeapfrogState state;
    for (int32_t slot : gray) {
        state.gray = uint16_t(state.gray | (1u << slot));
    }
    state.red = red;
    return state;
}

} // namespace

TEST(LeapfrogBoard, AJumpNeedsTheMiddleAdjacentToBothEndsAndTheLegsInLine) {
    LeapfrogBoard board;
    board.SetSlot(0, 0.0f, 0.0f);
    board.SetSlot(1, 100.0f, 0.0f);
    const float radians20 = 20.0f * 3.14159265f / 180.0f;
    const float radians30 = 30.0f * 3.14159265f / 180.0f;
    board.SetSlot(2, 100.0f + 100.0f * std::cos(radians20), 100.0f * std::sin(radians20));
    board.SetSlot(3, 100.0f + 100.0f * std::cos(radians30), -100.0f * std::sin(radians30));
    for (int32_t end : {0, 2, 3}) {
        board.AddNeighbor(end, 1);
    }
    EXPECT_TRUE(board.IsJumpShape(0, 1, 2)) << "a bend of 20 degrees still counts as a line";
    EXPECT_TRUE(board.IsJumpShape(2, 1, 0));
    EXPECT_FALSE(board.IsJumpShape(0, 1, 3)) << "a bend of 30 degrees does not";

    LeapfrogBoard oneWay;
    for (int32_t i = 0; i < 3; ++i) {
        oneWay.SetSlot(i, 100.0f * float(i), 0.0f);
    }
    oneWay.AddNeighbor(0, 1);
    EXPECT_FALSE(oneWay.IsJumpShape(0, 1, 2)) << "the far end must list the middle as its neighbour too";
    oneWay.AddNeighbor(2, 1);
    EXPECT_TRUE(oneWay.IsJumpShape(0, 1, 2));
}

TEST(LeapfrogBoard, MovesJumpGrayPegsIntoEmptySlotsAndNeverTheRedPeg) {
    const LeapfrogBoard board = Line();
    LeapfrogMove move;
    EXPECT_FALSE(board.FindMove(State({0}, 1), 0, 2, move)) << "the red peg cannot be jumped";
    EXPECT_FALSE(board.FindMove(State({1, 2}, 0), 0, 2, move)) << "the target slot is taken";
    EXPECT_FALSE(board.FindMove(State({1}, 0), 0, 3, move)) << "not adjacent";
    ASSERT_TRUE(board.FindMove(State({1}, 0), 0, 2, move)) << "the red peg jumps a gray one";
    EXPECT_EQ(move.jumped, 1);
    const LeapfrogState after = LeapfrogBoard::Apply(State({1, 3}, 0), move);
    EXPECT_EQ(after.red, 2);
    EXPECT_EQ(after.gray, State({3}, -1).gray);
    ASSERT_TRUE(board.FindMove(State({3, 4}, -1), 4, 2, move));
    EXPECT_EQ(LeapfrogBoard::Apply(State({3, 4}, -1), move).gray, State({2}, -1).gray) << "a gray peg moves";
}

TEST(LeapfrogBoard, TheSearchTellsSolvableLayoutsFromUnsolvableOnes) {
    const LeapfrogBoard board = Line();
    std::vector<LeapfrogMove> solution;
    ASSERT_TRUE(board.Solve(State({1, 3}, 0), &solution));
    ASSERT_EQ(solution.size(), 2u);
    LeapfrogState state = State({1, 3}, 0);
    for (const LeapfrogMove& move : solution) {
        LeapfrogMove legal;
        ASSERT_TRUE(board.FindMove(state, move.from, move.to, legal)) << "the solution plays legal moves";
        state = LeapfrogBoard::Apply(state, legal);
    }
    EXPECT_EQ(state.gray, 0);

    EXPECT_FALSE(board.Solve(State({1, 2}, 0), &solution)) << "one gray peg is always left";
    EXPECT_TRUE(solution.empty());
    EXPECT_FALSE(board.Solve(State({0}, 1), nullptr)) << "the only peg to jump is the red one";
    EXPECT_FALSE(board.Solve(State({}, 0), nullptr)) << "nothing to clear is no puzzle";
    EXPECT_FALSE(board.Solve(State({0, 1, 3}, -1), nullptr)) << "without the red peg the last gray one stays";
}
