#include "ui/Button.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "render/TextStyles.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"
#include "ui/CheckBox.h"
#include "ui/InputManagerCallback.h"
#include "ui/TextButton.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A w × h picture; the left `clearColumns` columns transparent.
void WritePicture(const char* path, uint32_t w, uint32_t h, uint32_t clearColumns = 0) {
    Image image;
    ASSERT_TRUE(image.Create(w, h));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = p[1] = p[2] = 200;
            p[3] = x < clearColumns ? 0 : 255;
        }
    }
    ASSERT_TRUE(image.SaveTga(path));
}

// Stands in for the screen: records what the controls send.
using Receiver = testing_support::MessageRecorder;

class Controls : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        InstallRenderResourceLoaders();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        // A 20 × 10 face whose left 5 columns are transparent.
        WritePicture("face.tga", 20, 10, 5);
        frameTime = 1.0f / 65.0f;
    }
    template <typename T> T* Add(const char* className, float x, float y) {
        auto* control = static_cast<T*>(scene.CreateElement(className));
        control->messageParent = &receiver;
        control->Position.SetFloat(0, x);
        control->Position.SetFloat(1, y);
        return control;
    }
    // Moves the cursor and lets the scene update twice: controls track the
    // cursor in their update, and changed sprite paths resolve after it.
    void MoveTo(int x, int y) {
        GetInputManager().mouseX = x;
        GetInputManager().mouseY = y;
        scene.Update();
        scene.Update();
    }
    Receiver receiver;
    Scene scene;
};

} // namespace

TEST_F(Controls, APressDraggedOffTheButtonNeverClicks) {
    auto* button = Add<Button>("Button", 100, 100);
    button->UpPath.SetFirstString("face.tga");
    button->OverPath.SetFirstString("face.tga");
    button->DownPath.SetFirstString("face.tga");
    MoveTo(102, 105); // a transparent pixel: not over it
    EXPECT_EQ(button->state, Button::kUp);
    MoveTo(110, 105);
    EXPECT_EQ(button->state, Button::kOver);
    EXPECT_FALSE(button->MouseButton(1, true)) << "a right click is not consumed";
    EXPECT_TRUE(button->MouseButton(0, true));
    EXPECT_EQ(button->state, Button::kDown);
    MoveTo(300, 300);
    EXPECT_EQ(button->state, Button::kUp) << "leaving cancels the press";
    EXPECT_FALSE(button->MouseButton(0, false));
    EXPECT_EQ(receiver.received, std::vector<int32_t>({200}));
    ASSERT_EQ(receiver.senders.size(), 1u);
    EXPECT_EQ(receiver.senders[0], button);

    // Back on it before any update saw it outside: the release still clicks.
    MoveTo(110, 105);
    button->MouseButton(0, true);
    GetInputManager().mouseX = 111; // off and back between two updates
    EXPECT_TRUE(button->MouseButton(0, false));
    EXPECT_EQ(receiver.received, std::vector<int32_t>({200, 200, 201}));
    EXPECT_EQ(button->state, Button::kOver);

    // The pointer jumps onto the button and presses before any update saw it.
    MoveTo(300, 300);
    GetInputManager().mouseX = 110;
    GetInputManager().mouseY = 105;
    EXPECT_TRUE(button->MouseButton(0, true));
    EXPECT_TRUE(button->MouseButton(0, false));
    EXPECT_EQ(receiver.received, std::vector<int32_t>({200, 200, 201, 200, 201}));
}

TEST_F(Controls, ADisabledButtonIgnoresTheMouseAndAHighlightRaisesIt) {
    auto* button = Add<Button>("Button", 100, 100);
    button->UpPath.SetFirstString("face.tga");
    button->OverPath.SetFirstString("face.tga");
    button->HighlightPath.SetFirstString("face.tga");
    button->Position.SetFloat(2, 4.0f);
    button->enableHover.SetFirstBool(false); // the highlight still follows the cursor
    MoveTo(110, 105);
    EXPECT_FLOAT_EQ(button->Position.GetFloat(2), 104.0f);
    MoveTo(300, 300);
    EXPECT_FLOAT_EQ(button->Position.GetFloat(2), 4.0f);

    button->enablePress.SetFirstBool(false);
    MoveTo(110, 105);
    EXPECT_EQ(button->state, Button::kUp);
    EXPECT_FALSE(button->MouseButton(0, true));
    EXPECT_TRUE(receiver.received.empty());
}

TEST_F(Controls, CheckBoxesToggleAndRadioGroupsKeepOneChecked) {
    auto* normal = Add<CheckBox>("CheckBox", 0, 0);
    auto* a = Add<CheckBox>("CheckBox", 100, 0);
    auto* b = Add<CheckBox>("CheckBox", 200, 0);
    for (CheckBox* box : {normal, a, b}) {
        for (int i = 0; i < 3; ++i) {
            box->sprites.SetString(i, "face.tga");
        }
        box->check.SetFirstString("face.tga");
    }
    a->behavior.SetFirstInt(CheckBox::kRadio);
    b->behavior.SetFirstInt(CheckBox::kRadio);
    a->siblings.SetString(0, b->GetName());
    a->siblings.SetString(1, "nobody");
    b->siblings.SetString(0, a->GetName());
    b->checked.SetFirstBool(true);

    MoveTo(2, 2); // the frame's rectangle counts, transparent or not
    EXPECT_FALSE(normal->MouseButton(1, true));
    EXPECT_TRUE(normal->MouseButton(0, true));
    EXPECT_FALSE(normal->checked.FirstBool()) << "toggles on the release by default";
    EXPECT_TRUE(normal->MouseButton(0, false));
    EXPECT_TRUE(normal->checked.FirstBool());
    EXPECT_EQ(receiver.received, std::vector<int32_t>({300}));

    receiver.received.clear();
    MoveTo(102, 2);
    a->MouseButton(0, true);
    a->MouseButton(0, false);
    EXPECT_TRUE(a->checked.FirstBool());
    EXPECT_FALSE(b->checked.FirstBool());
    EXPECT_EQ(receiver.received, std::vector<int32_t>({301, 300}));

    receiver.received.clear();
    a->MouseButton(0, true);
    EXPECT_TRUE(a->MouseButton(0, false));
    EXPECT_TRUE(a->checked.FirstBool()) << "a checked radio box ignores clicks";
    EXPECT_TRUE(receiver.received.empty());

    // A press in the frame the pointer arrives, before the hover pass saw it.
    MoveTo(300, 300);
    GetInputManager().mouseX = 2;
    GetInputManager().mouseY = 2;
    normal->MouseButton(0, true);
    normal->MouseButton(0, false);
    EXPECT_FALSE(normal->checked.FirstBool());
}

TEST_F(Controls, TextButtonTilesTruncateToTheMiddleTileWidth) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    WritePicture("cap.tga", 4, 10);
    WritePicture("tile.tga", 16, 10);
    WritePicture("glyphs.tga", 4, 4);
    ASSERT_TRUE(
        testing_support::WriteFile("f.config", "ImagePath = glyphs.tga;\nHeight = 10;\nGlyph = 65 12;\n"));
    const int32_t style = RegisterTextStyle("Test", Resources::FindFont("f.config"));
    auto* button = Add<TextButton>("TextButton", 100, 100);
    button->FontIndex.SetFirstInt(style);
    for (int i = 0; i < 3; ++i) {
        button->Left.SetString(i, "cap.tga");
        button->Center.SetString(i, "tile.tga");
        button->Right.SetString(i, "cap.tga");
    }
    button->MinWidth.SetFirstInt(50);
    button->Text.SetFirstString("AA"); // 24 pixels, raised to 50: three tiles of 16
    MoveTo(0, 0);
    EXPECT_STREQ(button->Caption().CStr(), "AA");
    EXPECT_EQ(button->tiles, 3);
    EXPECT_EQ(button->totalWidth, 56);
    button->Text.SetFirstString("AAAAA"); // 60 pixels: still three tiles, narrower than the caption
    MoveTo(0, 0);
    EXPECT_EQ(button->tiles, 3);
    // Narrower than one tile: truncating would leave no frame to see or click.
    button->MinWidth.SetFirstInt(10);
    button->Text.SetFirstString("A");
    MoveTo(0, 0);
    EXPECT_EQ(button->tiles, 1);
    EXPECT_EQ(button->totalWidth, 24);
    button->Text.SetFirstString("AAAAA");

    // Centred: the frame spans 72..128, and only its pixels hit.
    button->Alignment.SetFirstInt(TextButton::kAlignCenter);
    MoveTo(73, 105);
    EXPECT_EQ(button->state, Button::kOver);
    MoveTo(129, 105);
    EXPECT_EQ(button->state, Button::kUp);
}
