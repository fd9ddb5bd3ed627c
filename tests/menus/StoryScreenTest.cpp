// The story screen on a small story: start page, answers to pages and to
// the end, expressions, the player's name, skipping through the prompt, a
// second story while one is open, and story files with missing tokens.
#include "menus/StoryScreen.h"

#include "anim/AnimResources.h"
#include "app/EngineClasses.h"
#include "core/ClassRegistry.h"
#include "core/FrameTime.h"
#include "data/GameDataFixture.h"
#include "io/Resources.h"
#include "render/Image.h"
#include "render/RenderContext.h"
#include "render/RenderResources.h"
#include "render/ScreenCamera.h"
#include "support/VirtualPlatform.h"
#include "ui/InputManagerCallback.h"
#include "ui/Prompt.h"
#include "ui/UI.h"

using testing_support::LogCapture;
using testing_support::WriteFile;

namespace {

// Two speakers: "A" (Maren, left) opens the story, "C" (Pell, right) comes
// in through answer 2; page B keeps Maren and has one answer.
const char* const kStory = R"(Actor = A, maren, Left;
Actor = C, pell, Right;
Page = A, B, C;
Page = B, End;
Page = C, Missing, B;
Emote = A, maren_smile;
Emote = C, pell_worry;
Emote = Nowhere, maren_smile;
A = Good evening, [PLAYER]! The lamp is out, [PLAYER].;
A = I will help.;
A = story.who;
B = Thank you.;
B = Off you go.;
C = Grandmother is gone!;
C = Where to?;
C = Back to Maren.;
)";

const char* const kScene = R"(Widget = story;
Widget = skip;
Widget = text;
Widget = single;
Widget = first;
Widget = second;
Widget = single_glow;
Widget = first_glow;
Widget = second_glow;
Widget = panel;
story.Type = StoryScreen;
story.skipButton = skip;
story.dialogueText = text;
story.singleResponse = single;
story.doubleResponse = first;
story.doubleResponse = second;
story.hudAnims = gui/in.anim;
story.hudAnims = gui/out.anim;
story.flashAnim = gui/in.anim;
story.singleGlow = single_glow;
story.doubleGlow = first_glow;
story.doubleGlow = second_glow;
skip.Type = Button;
text.Type = TextBox;
single.Type = TextBox;
single.Area = 300;
single.Area = 30;
first.Type = TextBox;
first.Position = -300;
first.Position = 200;
first.Area = 250;
first.Area = 30;
second.Type = TextBox;
second.Position = 50;
second.Position = 200;
second.Area = 250;
second.Area = 30;
single_glow.Type = Bitmap;
first_glow.Type = Bitmap;
second_glow.Type = Bitmap;
panel.Type = Widget;
)";

// Half a second: the panel moves down and back.
const char* const kAnim = R"(FrameCount = 6;
FrameRate = 12;
Channel = panel.Position.1,y;
y = 0,0.0;
y = 6,10.0;
)";

const char* const kPromptScene = R"(Widget = prompt;
Widget = ok;
Widget = cancel;
Widget = text;
Widget = again;
prompt.Type = Prompt;
prompt.okButton = ok;
prompt.cancelButton = cancel;
prompt.promptText = text;
prompt.dontAskAgainCheckbox = again;
ok.Type = TextButton;
cancel.Type = TextButton;
text.Type = TextBox;
again.Type = CheckBox;
)";

void WritePicture(const std::string& path, uint32_t w, uint32_t h) {
    Image image;
    ASSERT_TRUE(image.Create(w, h));
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t* p = image.PixelAt(x, y);
            p[0] = p[1] = p[2] = p[3] = 255;
        }
    }
    ASSERT_TRUE(image.SaveTga(path.c_str()));
}

class StoryScreenTest : public GameDataTest {
protected:
    void SetUp() override {
        RegisterEngineClasses([this] { startup.RegisterGameStateClasses(); });
        GameDataTest::SetUp();
        startup.RegisterGameClasses();
        startup.LoadOptionsAndState();
        InstallRenderResourceLoaders();
        InstallAnimResourceLoader();
        Resources::InstallLinkResolver();
        Resources::lookupEnabled = Resources::storeEnabled = true;
        SetDisplaySize(1024, 768);
        frameTime = 0.1f;
        GetGlobals()->FindProperty("Path_StoryActors")->SetFirstString("dialogue/actors/%s.tga");
        GetGlobals()->FindProperty("Path_StoryEmotes")->SetFirstString("dialogue/actors/%s.tga");
        std::filesystem::create_directories("dialogue/actors");
        for (const char* picture : {"maren", "pell", "maren_smile", "pell_worry"}) {
            WritePicture(std::string("dialogue/actors/") + picture + ".tga", 200, 300);
        }
        ASSERT_TRUE(WriteFile("dialogue/scripts/harbour.config", kStory));
        ASSERT_TRUE(WriteFile("gui/StoryScreen.scene", kScene));
        ASSERT_TRUE(WriteFile("gui/in.anim", kAnim));
        ASSERT_TRUE(WriteFile("gui/out.anim", kAnim));
        ASSERT_TRUE(WriteFile("gui/Prompt.scene", kPromptScene));
        ASSERT_TRUE(WriteFile("gui/Base.scene", "Widget = base;\nbase.Type = Screen;\n"));
        const int32_t id = CreatePlayer("ann");
        ASSERT_TRUE(id >= 0 && SelectPlayer(id));
        ASSERT_TRUE(GetUI().PushScreenByName("Base", 0));
    }

    StoryScreen* Top() { return ObjectCast<StoryScreen>(GetUI().TopScreen()); }
    /// Runs the screen stack for `seconds` of frame time.
    void Run(float seconds) {
        for (float t = 0.0f; t < seconds; t += frameTime) {
            GetUI().Update();
        }
    }
    static bool Shown(Widget* widget) { return widget && widget->Visible.FirstBool(); }
    static std::string TextOf(TextBox* box) { return box->Text.FirstString().CStr(); }

    testing_support::VirtualPlatform platform;
    testing_support::ScopedPlatform installed{platform};
};

} // namespace

TEST_F(StoryScreenTest, TheStartPageShowsItsSpeakerExpressionAndTheNameInEveryTag) {
    ASSERT_TRUE(ShowStory("harbour"));
    StoryScreen* story = Top();
    ASSERT_NE(story, nullptr);
    EXPECT_EQ(story->CurrentPage(), "A");
    Bitmap* maren = story->FindActor("A");
    Bitmap* pell = story->FindActor("C");
    ASSERT_TRUE(maren && pell);
    EXPECT_TRUE(Shown(maren));
    EXPECT_FALSE(Shown(pell));
    // Left edge and right edge, standing on the bottom edge (200 × 300 pictures).
    EXPECT_EQ(maren->Position.GetFloat(0), -512.0f);
    EXPECT_EQ(pell->Position.GetFloat(0), 312.0f);
    EXPECT_EQ(maren->Position.GetFloat(1), 84.0f);

    EXPECT_EQ(TextOf(story->dialogueText.Get()), "Good evening, Ann! The lamp is out, Ann.");
    EXPECT_TRUE(Shown(story->doubleResponse.Get(0)) && Shown(story->doubleResponse.Get(1)));
    EXPECT_FALSE(Shown(story->singleResponse.Get()));
    EXPECT_EQ(TextOf(story->doubleResponse.Get(1)), "story.who")
        << "an identifier without a table stays as text";

    Bitmap* smile = story->EmotePicture("A");
    ASSERT_NE(smile, nullptr);
    EXPECT_TRUE(Shown(smile));
    EXPECT_EQ(std::string(smile->SpritePath.FirstString().CStr()), "dialogue/actors/maren_smile.tga");
    EXPECT_EQ(smile->Position.GetFloat(2), 1.0f) << "drawn over the portrait";

    // Hovering the second answer lights its highlight only.
    GetInputManager().mouseX = 60; // scene coordinates are screen pixels here
    GetInputManager().mouseY = 210;
    Run(0.3f);
    EXPECT_FALSE(Shown(story->doubleGlow.Get(0)));
    EXPECT_TRUE(Shown(story->doubleGlow.Get(1)));
}

TEST_F(StoryScreenTest, AnswersLeadToPagesAnimatedOrNotAndToTheEnd) {
    ASSERT_TRUE(ShowStory("harbour"));
    StoryScreen* story = Top();
    Bitmap* maren = story->FindActor("A");
    Bitmap* pell = story->FindActor("C");
    TextBox* second = story->doubleResponse.Get(1);

    // Answer 2 leads to Pell's page: the speakers change over two seconds,
    // and a click while they do is not taken as an answer.
    story->Message(403, second);
    EXPECT_EQ(story->CurrentPage(), "C");
    Run(0.5f);
    story->Message(403, second);
    EXPECT_EQ(story->CurrentPage(), "C") << "an answer during the change";
    Run(1.7f);
    EXPECT_FALSE(Shown(maren));
    EXPECT_TRUE(Shown(pell));
    EXPECT_EQ(TextOf(story->dialogueText.Get()), "Grandmother is gone!");
    ASSERT_NE(story->EmotePicture("C"), nullptr) << "the expression follows the animated change";
    EXPECT_TRUE(Shown(story->EmotePicture("C")));

    // Answer 2 again: page B, no actor of that name, so Pell stays; one answer.
    story->Message(403, second);
    EXPECT_EQ(story->CurrentPage(), "B");
    EXPECT_TRUE(Shown(pell));
    EXPECT_TRUE(Shown(story->singleResponse.Get()));
    EXPECT_FALSE(Shown(story->doubleResponse.Get(0)) || Shown(story->doubleResponse.Get(1)));
    EXPECT_FALSE(Shown(story->doubleGlow.Get(1))) << "the highlight of the unused layout goes with it";
    EXPECT_FALSE(story->ChooseAnswer(2)) << "B has no second answer";

    // B's answer leads to "End": the closing animation, then the pop back to
    // the screen that opened the story.
    story->Message(403, story->singleResponse.Get());
    EXPECT_TRUE(story->Ending());
    EXPECT_EQ(Top(), story);
    Run(1.6f);
    EXPECT_EQ(std::string(GetUI().TopScreen()->GetName()), "base");
}

TEST_F(StoryScreenTest, AnAnswerToAMissingPageEndsTheStoryWithOneLine) {
    ASSERT_TRUE(ShowStory("harbour"));
    StoryScreen* story = Top();
    story->ChooseAnswer(2);
    Run(2.2f);
    LogCapture log;
    EXPECT_TRUE(story->ChooseAnswer(1));
    EXPECT_TRUE(story->Ending());
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Contains("dialogue/scripts/harbour.config, page C")) << log.Lines()[0];
    EXPECT_TRUE(log.Contains("'Missing'"));
}

TEST_F(StoryScreenTest, SkipAsksAndATickedBoxStopsTheQuestionEvenWhenAnsweredNo) {
    ASSERT_TRUE(ShowStory("harbour"));
    StoryScreen* story = Top();
    story->Message(201, story->skipButton.Get());
    auto* prompt = ObjectCast<Prompt>(GetUI().TopScreen());
    ASSERT_NE(prompt, nullptr);
    EXPECT_EQ(PromptId(prompt), "prompt.skip_dialogue");
    ASSERT_TRUE(prompt->dontAskAgainCheckbox.Get()->IsVisible(true));
    prompt->dontAskAgainCheckbox.Get()->checked.SetFirstBool(true);
    prompt->Message(201, prompt->cancelButton.Get());
    EXPECT_EQ(Top(), story) << "No keeps the story";
    EXPECT_FALSE(story->Ending());
    EXPECT_TRUE(CurrentPlayer()->Prompt_IgnoreSkipDialogue.FirstBool());

    // Asked no more: skip closes with the closing animation.
    story->Message(201, story->skipButton.Get());
    EXPECT_TRUE(story->Ending());
    EXPECT_EQ(Top(), story);
    Run(1.6f);
    EXPECT_EQ(std::string(GetUI().TopScreen()->GetName()), "base");
}

TEST_F(StoryScreenTest, SkipAnsweredYesClosesAtOnceAndASecondStoryWaitsForNone) {
    ASSERT_TRUE(ShowStory("harbour"));
    StoryScreen* story = Top();
    const size_t depth = GetUI().Stack().size();
    {
        LogCapture log;
        EXPECT_FALSE(ShowStory("harbour")) << "a story is open";
        EXPECT_TRUE(log.Contains("a story is open already"));
    }
    EXPECT_EQ(GetUI().Stack().size(), depth);
    EXPECT_EQ(story->CurrentPage(), "A");
    EXPECT_FALSE(story->StartStory("harbour")) << "one story per screen";

    story->Message(201, story->skipButton.Get());
    auto* prompt = ObjectCast<Prompt>(GetUI().TopScreen());
    ASSERT_NE(prompt, nullptr);
    prompt->Message(201, prompt->okButton.Get());
    EXPECT_EQ(std::string(GetUI().TopScreen()->GetName()), "base") << "popped at once";
    EXPECT_FALSE(CurrentPlayer()->Prompt_IgnoreSkipDialogue.FirstBool());
}

TEST_F(StoryScreenTest, MissingTokensStopTheStartButSkipStillCloses) {
    ASSERT_TRUE(
        WriteFile("dialogue/scripts/broken.config", "Actor = A;\nPage = A, B;\nEmote = A;\nA = Hi;\n"));
    LogCapture log;
    EXPECT_FALSE(ShowStory("broken"));
    StoryScreen* story = Top();
    ASSERT_NE(story, nullptr) << "the screen stays to be skipped";
    EXPECT_TRUE(log.Contains("dialogue/scripts/broken.config: the Emote value 'A' needs"));
    EXPECT_TRUE(log.Contains("the picture dialogue/actors/.tga of the actor 'A' does not load"));
    EXPECT_TRUE(story->FindActor("A") != nullptr) << "an actor without a picture token still exists";
    EXPECT_FALSE(ShowStory("nothing")) << "a story screen is up";

    CurrentPlayer()->Prompt_IgnoreSkipDialogue.SetFirstBool(true);
    story->Message(201, story->skipButton.Get());
    EXPECT_TRUE(story->Ending());
    Run(1.6f);
    EXPECT_EQ(std::string(GetUI().TopScreen()->GetName()), "base");

    // No file at all: false, nothing shown, and the screen still closes.
    Run(0.2f);
    EXPECT_FALSE(ShowStory("nothing"));
    ASSERT_NE(Top(), nullptr);
    EXPECT_TRUE(Top()->CurrentPage().Empty());
}

TEST(StoryText, TheTagIsReplacedLeftToRightWithinTheLengthLimit) {
    String out;
    EXPECT_TRUE(ReplacePlayerTag("[P][P]x[P", "[P]", "Ann", out));
    EXPECT_EQ(out, "AnnAnnx[P");
    EXPECT_TRUE(ReplacePlayerTag("aaa", "aa", "b", out));
    EXPECT_EQ(out, "ba") << "no overlapping matches";
    EXPECT_FALSE(ReplacePlayerTag("Hi [P]", "", "Ann", out));
    EXPECT_EQ(out, "Hi [P]");
    const std::string tags(1000, 'T');
    EXPECT_TRUE(ReplacePlayerTag(tags.c_str(), "T", "abcd", out));
    EXPECT_EQ(out.Length(), 4000u);
    EXPECT_FALSE(ReplacePlayerTag(tags.c_str(), "T", "abcde", out)) << "5000 bytes";
    EXPECT_EQ(out.Length(), 1000u) << "the text stays as it was";
    EXPECT_EQ(CapitalisedName("ann"), "Ann");
    EXPECT_EQ(CapitalisedName("\xe9lise"), "\xc9lise");
    EXPECT_EQ(CapitalisedName(""), "");
}
