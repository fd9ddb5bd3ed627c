// End to end: the welcome page's play button under the real mouse. Hovering
// shows its over face, pressing its down face, and the click slides the
// welcome panel away (a key-frame animation) and back. The page is opened
// from the console over whatever the game starts with.
#include "harness/GameSession.h"
#include "harness/Pictures.h"

#include "render/Image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

namespace {

struct Box {
    int left, top, right, bottom;
};

// The play button and the welcome panel on the 1024 x 768 picture.
constexpr Box kButton{404, 432, 620, 484};
constexpr Box kPanel{180, 530, 840, 715};
constexpr int kButtonX = 512, kButtonY = 458;
// The "slide the panel" check box beside it, checked at first.
constexpr Box kCheckBox{666, 442, 698, 474};

// Pixels inside the box whose colour differs noticeably between the pictures.
long ChangedInside(const Image& a, const Image& b, Box box) {
    long changed = 0;
    for (int y = box.top; y < box.bottom; ++y) {
        for (int x = box.left; x < box.right; ++x) {
            const uint8_t* p = a.PixelAt(uint32_t(x), uint32_t(y));
            const uint8_t* q = b.PixelAt(uint32_t(x), uint32_t(y));
            if (p && q && std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 24) {
                ++changed;
            }
        }
    }
    return changed;
}

long Area(Box box) {
    return long(box.right - box.left) * (box.bottom - box.top);
}

// Kept for a look when the test fails.
void Keep(const Image& picture, const char* name) {
    SavePicture(picture, std::string(TEST_BINARY_DIR) + "/e2e-output/button-" + name + ".png");
}

} // namespace

TEST(EndToEnd, PlayButtonShowsItsFacesAndItsClickSlidesThePanel) {
    GameSession game;
    ASSERT_TRUE(game.Display().Ready()) << game.Problem();
    ASSERT_TRUE(game.WaitForWindow()) << game.Problem();
    Image idle, over, down, clicked, back, unchecked;
    ASSERT_TRUE(game.MoveMouse(960, 100));
    Image first;
    ASSERT_TRUE(game.WaitForStillPicture(first)) << "the first screen never settled";
    ASSERT_TRUE(game.Key("grave"));
    ASSERT_TRUE(game.Type("testScene gui/WelcomePanel.scene"));
    ASSERT_TRUE(game.Key("Return"));
    ASSERT_TRUE(game.Key("grave"));
    ASSERT_TRUE(game.WaitForStillPicture(idle)) << "the panel never settled";

    ASSERT_TRUE(game.MoveMouse(kButtonX, kButtonY));
    ASSERT_TRUE(game.WaitForChangedStillPicture(idle, over)) << "the over face is not shown";
    EXPECT_GT(ChangedInside(idle, over, kButton), Area(kButton) / 4) << "the over face is not shown";
    EXPECT_EQ(ChangedInside(idle, over, kPanel), 0);

    ASSERT_TRUE(game.Display().Xdotool({"mousedown", "1"}));
    ASSERT_TRUE(game.WaitForChangedStillPicture(over, down)) << "the down face is not shown";
    EXPECT_GT(ChangedInside(over, down, kButton), Area(kButton) / 10) << "the down face is not shown";
    EXPECT_EQ(ChangedInside(over, down, kPanel), 0) << "a press alone does not click";

    ASSERT_TRUE(game.Display().Xdotool({"mouseup", "1"}));
    ASSERT_TRUE(game.WaitForChangedStillPicture(down, clicked)) << "the release changed nothing";
    EXPECT_GT(ChangedInside(down, clicked, kPanel), Area(kPanel) / 2) << "the panel did not slide away";
    EXPECT_LT(ChangedInside(over, clicked, kButton), Area(kButton) / 50)
        << "released over it: the over face again";

    // The pointer is on the button already (a move to where it is would wait for ever).
    ASSERT_TRUE(game.Display().Xdotool({"click", "1"}));
    ASSERT_TRUE(game.WaitForChangedStillPicture(clicked, back)) << "the second click changed nothing";
    EXPECT_LT(ChangedInside(idle, back, kPanel), Area(kPanel) / 100) << "the panel did not come back";
    // Clicking the check box takes its check mark away.
    // The game must have seen the pointer arrive before the click, as a
    // player's hand would: press and release then find the box hovered.
    Image hovering, toggled;
    ASSERT_TRUE(game.MoveMouse(682, 458));
    ASSERT_TRUE(game.WaitForChangedStillPicture(back, hovering)) << "the pointer never reached the box";
    ASSERT_TRUE(game.Display().Xdotool({"click", "1"}));
    ASSERT_TRUE(game.WaitForChangedStillPicture(hovering, toggled)) << "the click on the box changed nothing";
    ASSERT_TRUE(game.MoveMouse(960, 100));
    ASSERT_TRUE(game.WaitForChangedStillPicture(toggled, unchecked));
    EXPECT_GT(ChangedInside(back, unchecked, kCheckBox), Area(kCheckBox) / 4) << "the check mark stayed";
    EXPECT_LT(ChangedInside(idle, unchecked, kPanel), Area(kPanel) / 100);
    if (HasFailure() || std::getenv("DUNHAVEN_E2E_KEEP")) {
        for (auto [picture, name] : {std::pair{&idle, "idle"},
                                     {&over, "over"},
                                     {&down, "down"},
                                     {&clicked, "clicked"},
                                     {&unchecked, "unchecked"}}) {
            Keep(*picture, name);
        }
    }
    EXPECT_EQ(game.Close(), 0) << game.Log();
}
