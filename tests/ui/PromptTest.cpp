// Prompts from their scene file: the button layouts, the answer read by the
// screen below, the check box, and a second question over the first.
#include "ScreenStackFixture.h"

#include "ui/Prompt.h"

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
