// Prompts from their scene file: the button layouts, the answer read by the
// screen below, the check box, and a second question over the first.
#include "ScreenStackFixture.h"

#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderResources.h"
#include "render/TextStyles.h"
#include "support/GlTestContext.h"
#include "ui/Prompt.h"

#include <filesystem>

using testing_support::WriteFile;
using namespace ui_test;

namespace {

const char* const kPromptScene = R"(Widget = prompt;
Widget = ok;
Widget = ok_solo;
Widget = cancel;
Widget = text;
Widget = again;
Widget = frame;
prompt.Type = Prompt;
prompt.okButton = ok;
prompt.okSoloButton = ok_solo;
prompt.cancelButton = cancel;
prompt.promptText = text;
prompt.dontAskAgainCheckbox = again;
prompt.frameWindow = frame;
prompt.windowHeightFromCheckbox = 4;
prompt.windowHeightFromCheckbox = 6;
ok.Type = TextButton;
ok_solo.Type = TextButton;
cancel.Type = TextButton;
text.Type = TextBox;
again.Type = CheckBox;
again.checked = true;
frame.Type = Window;
)";

bool Visible(Element* element) {
    return static_cast<Widget*>(element)->Visible.FirstBool();
}

} // namespace

TEST_F(ScreenStackTest, PromptAnswersReachTheScreenBelowAndASecondQuestionGetsItsOwnPrompt) {
    ASSERT_TRUE(WriteFile("gui/Prompt.scene", kPromptScene));
    ProbeScreen* base = PushProbe("base");
    ASSERT_TRUE(ShowPrompt("q.first", "str.yes", "str.no", true));
    auto* first = static_cast<Prompt*>(ui.TopScreen());
    ASSERT_TRUE(first && first->IsA("Prompt"));
    EXPECT_EQ(PromptId(first), "q.first");
    EXPECT_TRUE(Visible(first->okButton.Get()) && Visible(first->cancelButton.Get()));
    EXPECT_FALSE(Visible(first->okSoloButton.Get()));
    EXPECT_EQ(first->okButton.Get()->Text.FirstString(), "str.yes");
    EXPECT_EQ(first->frameWindow.Get()->area.GetInt(1), 6) << "the row count with the check box";

    // A second question while the first is up: a fresh prompt, one OK button
    // (an empty OK label still gives the one-button layout).
    ASSERT_TRUE(ShowPrompt("q.second", "", "str.no", false));
    auto* second = static_cast<Prompt*>(ui.TopScreen());
    ASSERT_NE(second, first);
    EXPECT_EQ(ui.Stack().size(), 3u);
    EXPECT_EQ(PromptId(first), "q.first") << "the first question keeps its text";
    EXPECT_TRUE(Visible(second->okSoloButton.Get()));
    EXPECT_FALSE(Visible(second->okButton.Get()) || Visible(second->cancelButton.Get()));
    EXPECT_EQ(second->frameWindow.Get()->area.GetInt(1), 4);

    TakeJournal();
    second->okSoloButton.Get()->Message(201, second->okSoloButton.Get());
    EXPECT_EQ(ui.TopScreen(), first);
    EXPECT_TRUE(PromptAnswer("q.second", second));
    EXPECT_FALSE(PromptAnswer("q.first", second)) << "another question's answer";
    EXPECT_FALSE(DontAskAgainChecked(second)) << "checked but hidden does not count";

    first->cancelButton.Get()->Message(201, first->cancelButton.Get());
    EXPECT_EQ(ui.TopScreen(), base);
    EXPECT_FALSE(PromptAnswer("q.first", first)) << "closed by cancel";
    EXPECT_TRUE(DontAskAgainChecked(first));
    EXPECT_EQ(TakeJournal().back(), "base:return/prompt") << "the screen below hears of the closed prompt";

    // The next question, once the closed ones are released, answers by OK.
    ui.Update();
    ASSERT_TRUE(ShowPrompt("q.first", "str.yes", "str.no", false));
    auto* third = static_cast<Prompt*>(ui.TopScreen());
    third->okButton.Get()->Message(201, third->okButton.Get());
    EXPECT_TRUE(PromptAnswer("q.first", third));
    EXPECT_FALSE(PromptAnswer("q.first", base)) << "a screen that is not a prompt";
}

#ifdef TEST_DATA_STAGING
// The game's own question window with its own button pictures: both answers
// show a whole face, side by side inside the frame, and take a click at
// their middle.
TEST_F(ScreenStackTest, TheShippedPromptShowsBothAnswersWithTheirFacesInsideItsFrame) {
    GL_TEST_CONTEXT_OR_SKIP(gl, 64, 48);
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories("gui", error);
    fs::copy_file(fs::path(TEST_SOURCE_DIR) / "../content/gui/Prompt.scene", "gui/Prompt.scene", error);
    ASSERT_FALSE(error) << error.message();
    for (const char* folder : {"gui/Buttons", "gui/Window"}) {
        fs::copy(fs::path(TEST_DATA_STAGING) / folder, folder, fs::copy_options::recursive, error);
        ASSERT_FALSE(error) << folder << ": " << error.message();
    }
    InstallRenderResourceLoaders();
    Resources::InstallLinkResolver();
    Resources::lookupEnabled = Resources::storeEnabled = true;
    Image glyphs;
    ASSERT_TRUE(glyphs.Create(4, 4) && glyphs.SaveTga("glyphs.tga"));
    ASSERT_TRUE(WriteFile("f.config", "ImagePath = glyphs.tga;\nHeight = 10;\nGlyph = 65 12;\n"));
    ASSERT_EQ(RegisterTextStyle("Header", Resources::FindFont("f.config")), 0);

    PushProbe("base");
    ASSERT_TRUE(ShowPrompt("q.delete", "str.yes", "str.no", false));
    auto* prompt = static_cast<Prompt*>(ui.TopScreen());
    ui.Update();
    Window* frame = prompt->frameWindow.Get();
    ASSERT_NE(frame, nullptr);
    Matrix4 matrix;
    frame->GetMatrix(matrix, Widget::kWorldMatrix);
    const float frameLeft = matrix.m[12] + static_cast<float>(frame->BorderWidth());
    const float frameRight =
        frameLeft + static_cast<float>(frame->TileWidth() * frame->area.GetInt(0));
    float previousRight = frameLeft;
    for (TextButton* button : {prompt->okButton.Get(), prompt->cancelButton.Get()}) {
        ASSERT_NE(button, nullptr);
        SCOPED_TRACE(button->GetName());
        EXPECT_GE(button->tiles, 1) << "a face to see and to click";
        button->GetMatrix(matrix, Widget::kWorldMatrix);
        const float left = matrix.m[12], right = left + static_cast<float>(button->totalWidth);
        EXPECT_GE(left, previousRight) << "inside the frame, right of the one before";
        EXPECT_LE(right, frameRight) << "inside the frame";
        previousRight = right;
        EXPECT_TRUE(button->HitTest(Vec2{(left + right) / 2.0f, matrix.m[13] + 34.0f}));
    }
}
#endif
