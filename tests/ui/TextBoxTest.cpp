#include "ui/TextBox.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/Scene.h"
#include "io/Resources.h"
#include "render/FontBase.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "render/TextStyles.h"
#include "support/EngineSandbox.h"
#include "support/GlTestContext.h"
#include "support/TestEnvironment.h"
#include "ui/InputManagerCallback.h"
#include "ui/TextLayout.h"
#include "support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Letters advance 10, blanks and tabs 5, control characters 0.
class FixedFont : public FontBase {
public:
    bool Load(const char*) override { return true; }
    void Release() override {}
    int32_t TextWidth(const char* text) override {
        int32_t width = 0;
        for (; text && *text; ++text) {
            width += GlyphAdvance(*text);
        }
        return width;
    }
    int32_t GlyphAdvance(int32_t code) override {
        return code == ' ' || code == '\t' ? 5 : (code > 0 && code < 32 ? 0 : 10);
    }
    bool FindGlyph(int32_t, int32_t&) override { return false; }
    void Draw(const char*) override {}
    void SetColorCode(int32_t) override {}
};

std::vector<std::string> Texts(const TextLines& lines) {
    std::vector<std::string> out;
    for (const String& line : lines.lines) {
        out.emplace_back(line.CStr());
    }
    return out;
}

using Receiver = testing_support::MessageRecorder;

} // namespace

TEST(TextLayout, WrapsAtBlanksTabsLineFeedsAndBackslashesIntoTheExactLines) {
    FixedFont font;
    TextLines out;
    // "aa bb " would reach 60: the line ends at the last blank before it.
    EXPECT_TRUE(LayoutText(font, "aa bb cc\tdd\nee", 60.0f, out));
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"aa bb", "cc\tdd", "ee"}));
    EXPECT_EQ(out.widths, (std::vector<float>{45.0f, 45.0f, 20.0f}));
    // A text exactly as wide as the area still wraps; one just narrower does not.
    EXPECT_TRUE(LayoutText(font, "aaaaa aa", 75.0f, out));
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"aaaaa", "aa"}));
    EXPECT_TRUE(LayoutText(font, "aaaaa aa", 76.0f, out));
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"aaaaa aa"}));
    EXPECT_TRUE(LayoutText(font, "aa\\bb\n\ncc", 200.0f, out));
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"aa", "bb", "", "cc"}));
    EXPECT_TRUE(LayoutText(font, "", 10.0f, out));
    EXPECT_TRUE(out.lines.empty());
}

TEST(TextLayout, AWordWiderThanTheAreaStopsTheLayoutAndLinkMarkupBecomesColourCodes) {
    FixedFont font;
    TextLines out;
    EXPECT_FALSE(LayoutText(font, "aa bbbbbbbb cc", 60.0f, out));
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"aa"})) << "the lines before the long word stay";

    // The colour codes measure as the font measures them (here 0), so the
    // marked word fits where "<bb>" would not.
    EXPECT_TRUE(LayoutText(font, "a <bb> c", 50.0f, out, '\x01', '\x02'));
    EXPECT_EQ(Texts(out), (std::vector<std::string>{"a \x01"
                                                    "bb\x02",
                                                    "c"}));
    EXPECT_FLOAT_EQ(out.widths[0], 35.0f);
}

namespace {

class TextBoxes : public ::testing::Test {
protected:
    testing_support::EngineSandbox sandbox;
    void SetUp() override {
        RegisterEngineClasses();
        InstallRenderResourceLoaders();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
    }
    // A font of 'a', 'b' and 'é', each 10 wide; lines 10 high; blanks 5.
    Font* MakeFont() {
        Image glyphs;
        EXPECT_TRUE(glyphs.Create(4, 12));
        EXPECT_TRUE(glyphs.SaveTga("glyphs.tga"));
        EXPECT_TRUE(testing_support::WriteFile(
            "f.config", "ImagePath = glyphs.tga;\nHeight = 10;\nSpaceWidth = 5;\nGlyph = 97 10;\nGlyph = 98 "
                        "10;\nGlyph = -23 10;\n"));
        return Resources::FindFont("f.config");
    }
    TextBox* Add(float x, float y, bool edit) {
        auto* box = static_cast<TextBox*>(scene.CreateElement("TextBox"));
        box->messageParent = &receiver;
        box->Position.SetFloat(0, x);
        box->Position.SetFloat(1, y);
        box->Area.SetFloat(0, 100.0f);
        box->Area.SetFloat(1, 40.0f);
        box->Edit.SetFirstBool(edit);
        box->UseLookup.SetFirstBool(false);
        box->editWidthLimit.SetFirstInt(30);
        box->FontIndex.SetFirstInt(style);
        return box;
    }
    void ClickAt(TextBox* box, int x, int y) {
        GetInputManager().mouseX = x;
        GetInputManager().mouseY = y;
        scene.Update();
        box->MouseButton(0, true);
    }
    Receiver receiver;
    Scene scene;
    int32_t style = 0;
};

} // namespace

TEST_F(TextBoxes, TypingHonoursTheWidthLimitTheValidCharactersBackspaceAndEnter) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    style = RegisterTextStyle("Test", MakeFont());
    TextBox* box = Add(0, 0, true);
    scene.Update();
    EXPECT_FALSE(box->Char('a')) << "a box without the focus takes no typing";
    ClickAt(box, 5, 5);
    ASSERT_EQ(TextBox::FocusedTextBox(), box);

    EXPECT_TRUE(box->Char('a'));
    EXPECT_TRUE(box->Char(0xE9)); // é
    EXPECT_FALSE(box->Char(8)) << "control characters are refused";
    EXPECT_TRUE(box->Char('b'));
    EXPECT_FALSE(box->Char('a')) << "40 pixels exceed the limit of 30";
    EXPECT_STREQ(box->Text.FirstString().CStr(), "a\xE9"
                                                 "b");
    EXPECT_EQ(receiver.received, (std::vector<int32_t>{400, 400, 400}));

    box->validCharacters.SetFirstString("ab");
    box->Key(TextBox::kBackspaceKey, true, false);
    EXPECT_FALSE(box->Char(0xE9)) << "not among the valid characters";
    EXPECT_TRUE(box->Char('b'));
    for (int i = 0; i < 4; ++i) {
        box->Key(TextBox::kBackspaceKey, true, false);
    }
    EXPECT_STREQ(box->Text.FirstString().CStr(), "") << "backspace on an empty text leaves it empty";

    receiver.received.clear();
    EXPECT_TRUE(box->Key(TextBox::kReturnKey, true, false));
    EXPECT_EQ(receiver.received, (std::vector<int32_t>{401}));
    EXPECT_EQ(TextBox::FocusedTextBox(), nullptr);
    EXPECT_FALSE(box->Char('a'));

    box->editWidthLimit.SetFirstInt(0);
    box->BeginEdit();
    EXPECT_FALSE(box->Char('a')) << "a limit of 0 refuses every character";
}

TEST_F(TextBoxes, FocusMovesBetweenBoxesAndAPlainBoxEndsOnlyItsOwnEdit) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    style = RegisterTextStyle("Test", MakeFont());
    TextBox* first = Add(0, 0, true);
    TextBox* second = Add(0, 100, true);
    TextBox* plain = Add(200, 0, false);
    scene.Update();
    ClickAt(first, 5, 5);
    EXPECT_EQ(TextBox::FocusedTextBox(), first);
    ClickAt(second, 5, 105);
    EXPECT_EQ(TextBox::FocusedTextBox(), second);
    ClickAt(second, 500, 500); // outside every box: nothing changes
    EXPECT_EQ(TextBox::FocusedTextBox(), second);

    ClickAt(plain, 205, 5);
    EXPECT_EQ(TextBox::FocusedTextBox(), second) << "another box's click leaves the edit alone";
    EXPECT_EQ(receiver.received, (std::vector<int32_t>{403}));
    ASSERT_EQ(receiver.senders.size(), 1u);
    EXPECT_EQ(receiver.senders[0], plain);

    second->Edit.SetFirstBool(false); // the focused box stops being editable
    ClickAt(second, 5, 105);
    EXPECT_EQ(TextBox::FocusedTextBox(), nullptr);

    first->Link.SetFirstBool(true);
    receiver.received.clear();
    ClickAt(first, 5, 5);
    EXPECT_EQ(receiver.received, (std::vector<int32_t>{402}));
    EXPECT_EQ(TextBox::FocusedTextBox(), nullptr) << "a link box does not take the focus";
}

TEST_F(TextBoxes, ATextReachingTheAreaHeightDoesNotFit) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    style = RegisterTextStyle("Test", MakeFont());
    TextBox* box = Add(0, 0, false);
    box->Area.SetFloat(1, 30.0f);
    scene.Update();
    box->SetText("aa\nbb");
    EXPECT_TRUE(box->LayoutFits());
    box->SetText("aa\nbb\nab");
    EXPECT_FALSE(box->LayoutFits()) << "three lines of 10 reach a height of 30";
    EXPECT_EQ(box->Lines().lines.size(), 3u);
    box->Text.SetFirstString("aaaaaaaaaaaa"); // wider than 100, no blank
    scene.Update();
    EXPECT_FALSE(box->LayoutFits()) << "a changed text lays out again in the resolve";
}
