#include "menus/StoryScreen.h"

#include "anim/SceneAnims.h"
#include "core/EngineState.h"
#include "core/Log.h"
#include "core/Scene.h"
#include "data/Profiles.h"
#include "data/SaveFiles.h"
#include "data/State.h"
#include "io/StringTable.h"
#include "render/Font.h"
#include "render/RenderContext.h"
#include "render/Sprite.h"
#include "ui/ConsoleCommands.h"
#include "ui/Prompt.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <cstring>

namespace {

// Private messages.
constexpr int32_t kPlayAppearAnim = message::kFirstScreenPrivate + 1;
constexpr int32_t kEndOrPop = message::kFirstScreenPrivate + 2;
constexpr int32_t kHideActors = message::kFirstScreenPrivate + 3;
constexpr int32_t kShowSenderActor = message::kFirstScreenPrivate + 4;
constexpr int32_t kShowPageEmote = message::kFirstScreenPrivate + 5;
constexpr int32_t kLayoutPage = message::kFirstScreenPrivate + 6;
constexpr int32_t kActorAppeared = message::kFirstScreenPrivate + 7;
constexpr int32_t kPlayLeaveAnim = message::kFirstScreenPrivate + 8;
constexpr int32_t kPlayFlash = message::kFirstScreenPrivate + 9;

constexpr int32_t kTransitionFade = 1;
constexpr float kPageTransitionSeconds = 0.5f;
constexpr float kActorsGoneTransitionSeconds = 0.25f;
constexpr float kActorFadeSeconds = 0.25f;
constexpr float kAppearAnimDelay = 1.0f;
constexpr float kSpeakerLeavesDelay = 1.0f;
constexpr float kSpeakerArrivesDelay = 2.0f;
/// The closing length when the leaving animation cannot be played.
constexpr float kDefaultCloseSeconds = 0.5f;
constexpr int32_t kAlphaBlend = 1;
constexpr const char* kAnimControl = "story";
constexpr const char* kFlashControl = "story_flash";

/// `pattern` with its "%s" replaced by `name` (file data never drives a printf).
String FormatName(const char* setting, const char* fallback, const char* name) {
    return FormatLevelPath(GlobalText(setting, fallback).CStr(), name);
}

void SetShown(Widget* widget, bool shown) {
    if (widget) {
        widget->Visible.SetFirstBool(shown);
    }
}

} // namespace

StoryScreen::StoryScreen() {
    Name.SetFirstString("NewStoryScreen");
    DeclareNamedString("skipButton", skipButton, 1, this);
    DeclareNamedString("dialogueText", dialogueText, 1, this);
    DeclareNamedString("singleResponse", singleResponse, 1, this);
    DeclareNamedString("doubleResponse", doubleResponse, 2, this);
    DeclareString("hudAnims", hudAnims, 2, this, "");
    DeclareString("flashAnim", flashAnim, 1, this, "");
    DeclareNamedString("singleGlow", singleGlow, 1, this);
    DeclareNamedString("doubleGlow", doubleGlow, 2, this);
}

bool StoryScreen::OnPush() {
    Resolve();
    return true;
}

// Whoever waits for the story (a level, a test playing the game) learns
// here that its screen has gone and input reaches the screen below again.
bool StoryScreen::OnPop() {
    if (!storyName.Empty()) {
        LogFormat("StoryScreen: '%s' is over after page %s", storyName.CStr(), currentPage.CStr());
    }
    return Screen::OnPop();
}

bool StoryScreen::Inert() {
    Resolve();
    return HasUnresolvedSavedLinks();
}

// ---- starting -------------------------------------------------------------------

bool StoryScreen::StartStory(const char* name) {
    name = name ? name : "";
    if (started) {
        LogFormat("StoryScreen: '%s' is not started: this screen tells '%s' already", name, storyName.CStr());
        return false;
    }
    started = true;
    storyName = name;
    const String path = FormatName(kStoryPathSetting, kStoryPathDefault, name);
    if (!story.Load(path.CStr())) {
        LogFormat("StoryScreen: the story file %s does not load", path.CStr());
        return false;
    }
    const bool read = file.Read(story);
    for (const StoryActor& actor : file.actors) {
        if (!CreateStoryActor(actor.name.CStr(), actor.picture.CStr(), actor.side.CStr())) {
            LogFormat("StoryScreen: %s: the actor '%s' cannot be created (picture '%s')", path.CStr(),
                      actor.name.CStr(), actor.picture.CStr());
            return false;
        }
    }
    if (!read) {
        LogFormat("StoryScreen: %s: %s", path.CStr(), file.problem.CStr());
        return false;
    }
    const String startPage = GlobalText(kStartPageSetting, kStartPageDefault);
    if (!file.FindPage(startPage.CStr())) {
        LogFormat("StoryScreen: %s has no start page '%s'", path.CStr(), startPage.CStr());
    }
    ShowPage(startPage.CStr(), false);
    GetUI().ShowCursor(true);
    return true;
}

bool StoryScreen::CreateStoryActor(const char* actorName, const char* picture, const char* side) {
    if (!scene || scene->FindElement(picture)) {
        return false;
    }
    auto* actor = ObjectCast<Bitmap>(scene->CreateElement("Bitmap"));
    if (!actor) {
        return false;
    }
    const String path = FormatName(kActorPathSetting, kActorPathDefault, picture);
    actor->SpritePath.SetFirstString(path.CStr());
    actor->BlendMode.SetFirstInt(kAlphaBlend);
    actor->Resolve();
    const Sprite* sprite = actor->GetSprite();
    if (!sprite) {
        LogFormat("StoryScreen: %s: the picture %s of the actor '%s' does not load", story.Path().CStr(),
                  path.CStr(), actorName);
    }
    const int32_t w = sprite ? sprite->Width() : 0;
    const int32_t h = sprite ? sprite->Height() : 0;
    const int32_t renderWidth = DisplayWidth();
    const int32_t renderHeight = DisplayHeight();
    int32_t x = 0;
    if (std::strcmp(side, StoryFile::kLeftSide) == 0) {
        x = -(renderWidth / 2);
    } else if (std::strcmp(side, StoryFile::kRightSide) == 0) {
        x = renderWidth / 2 - w;
    }
    actor->Position.SetFloat(0, float(x));
    actor->Position.SetFloat(1, float(renderHeight / 2 - h));
    actor->Position.SetFloat(2, 0.0f);
    actor->Visible.SetFirstBool(false);
    actors.Insert(String(actorName), actor);
    return true;
}

// ---- pages ----------------------------------------------------------------------

bool StoryScreen::ShowPage(const char* page, bool animated) {
    if (!page || Inert() || currentPage == page) {
        return false;
    }
    currentPage = page;
    Bitmap* actor = FindActor(page);
    if (actor && animated) {
        changingPage = true;
        PlayScreenAnim(1);
        QueueMessage(kHideActors, kSpeakerLeavesDelay);
        PostMessage(kPlayFlash, kSpeakerLeavesDelay);
        PostMessage(kShowSenderActor, kSpeakerArrivesDelay, 0, actor);
        PostMessage(kShowPageEmote, kSpeakerArrivesDelay);
        PostMessage(kLayoutPage, kSpeakerArrivesDelay);
        return true;
    }
    if (actor) {
        ShowActor(actor);
    }
    ShowEmote();
    LayoutPage();
    GetUI().services.StartTransition(kTransitionFade, kPageTransitionSeconds, -1);
    return true;
}

Bitmap* StoryScreen::FindActor(const char* actorName) {
    return actors.Find(actorName);
}

Bitmap* StoryScreen::EmotePicture(const char* actorName) {
    Bitmap* actor = FindActor(actorName);
    if (!actor || actor->Children().empty()) {
        return nullptr;
    }
    return ObjectCast<Bitmap>(actor->Children().front());
}

void StoryScreen::ShowActor(Bitmap* actor) {
    if (!actor) {
        return;
    }
    actor->Color.SetFloat(0, 1.0f);
    actor->Color.SetFloat(1, 1.0f);
    actor->Color.SetFloat(2, 1.0f);
    actor->Color.SetFloat(3, 0.0f);
    actor->Visible.SetFirstBool(false); // a fade starts from hidden, whatever was shown
    FadeIn(this, actor, kActorFadeSeconds);
    PostMessage(kActorAppeared, kAppearAnimDelay);
}

void StoryScreen::ShowEmote() {
    const StoryPage* page = file.FindPage(currentPage.CStr());
    if (!page || page->emote.Empty()) {
        return;
    }
    Bitmap* speaker = nullptr;
    for (auto& entry : actors.Entries()) {
        if (entry.value->IsVisible(false)) {
            speaker = entry.value;
            break;
        }
    }
    if (!speaker) {
        return;
    }
    Bitmap* picture = nullptr;
    if (speaker->Children().empty()) {
        picture = ObjectCast<Bitmap>(scene->CreateElement("Bitmap"));
        if (!picture || !AttachChild(speaker, picture)) {
            return;
        }
        picture->Position.SetFloat(2, 1.0f);
        picture->BlendMode.SetFirstInt(kAlphaBlend);
    } else {
        picture = ObjectCast<Bitmap>(speaker->Children().front());
        if (!picture) {
            return;
        }
    }
    if (page->emote == StoryFile::kNoEmote) {
        picture->Visible.SetFirstBool(false);
        return;
    }
    const String path = FormatName(kEmotePathSetting, kEmotePathDefault, page->emote.CStr());
    picture->SpritePath.SetFirstString(path.CStr());
    picture->Resolve();
    if (!picture->GetSprite()) {
        LogFormat("StoryScreen: %s, page %s: the expression %s does not load", story.Path().CStr(),
                  currentPage.CStr(), path.CStr());
    }
    picture->Visible.SetFirstBool(true);
}

String StoryScreen::PageText(const String& value) {
    String text = value;
    LookupString(value.CStr(), text);
    const String tag = GlobalText(kPlayerTagSetting, kPlayerTagDefault);
    const State* player = CurrentPlayer();
    const String name = CapitalisedName(player ? player->PlayerName.FirstString().CStr() : "");
    String replaced;
    if (!ReplacePlayerTag(text.CStr(), tag.CStr(), name.CStr(), replaced) &&
        std::strstr(text.CStr(), tag.CStr())) {
        LogFormat(
            "StoryScreen: %s, page %s: the player's name is not put in (empty tag or text over %zu bytes)",
            story.Path().CStr(), currentPage.CStr(), kMaxStoryTextLength);
    }
    return replaced;
}

void StoryScreen::SetAnswer(TextBox* box, const String& text, Bitmap* glow) {
    box->UseLookup.SetFirstBool(false); // looked up already, with the name put in
    box->SetText(text.CStr());
    box->Visible.SetFirstBool(true);
    glow->Resolve(); // a freshly loaded scene resolves its links at its first update
    const Sprite* sprite = glow->GetSprite();
    Font* font = box->GetFont();
    if (sprite && sprite->Width() > 0 && font) {
        glow->Scale.SetFloat(0, float(font->TextWidth(text.CStr())) / float(sprite->Width()));
        glow->Scale.SetFloat(1, 1.0f);
    }
}

void StoryScreen::LayoutPage() {
    const int32_t values = story.ValueCount(currentPage.CStr());
    if (!file.FindPage(currentPage.CStr()) || values < 2) {
        LogFormat("StoryScreen: %s, page %s: no text and answer to show", story.Path().CStr(),
                  currentPage.CStr());
        return;
    }
    TextBox* text = dialogueText.Get();
    const String words = PageText(*story.Value(0, currentPage.CStr()));
    text->UseLookup.SetFirstBool(false);
    text->SetText(words.CStr());
    LogFormat("StoryScreen: %s, page %s: %s", storyName.CStr(), currentPage.CStr(), words.CStr());
    if (values == 2) {
        SetAnswer(singleResponse.Get(), PageText(*story.Value(1, currentPage.CStr())), singleGlow.Get());
        SetShown(doubleResponse.Get(0), false);
        SetShown(doubleResponse.Get(1), false);
    } else {
        SetAnswer(doubleResponse.Get(0), PageText(*story.Value(1, currentPage.CStr())), doubleGlow.Get(0));
        SetAnswer(doubleResponse.Get(1), PageText(*story.Value(2, currentPage.CStr())), doubleGlow.Get(1));
        SetShown(singleResponse.Get(), false);
    }
    // The highlights of the layout not in use go with it.
    SetShown(singleGlow.Get(), false);
    SetShown(doubleGlow.Get(0), false);
    SetShown(doubleGlow.Get(1), false);
}

// ---- answers and the end ----------------------------------------------------------

bool StoryScreen::ChooseAnswer(int32_t answer) {
    const StoryPage* page = file.FindPage(currentPage.CStr());
    if (!page || answer < 1 || answer > 2 || page->next[answer - 1].Empty() || changingPage || ending) {
        return false;
    }
    const String target = page->next[answer - 1];
    PlaySettingSound(kChoiceSoundSetting, kChoiceSoundDefault);
    if (target == StoryFile::kEndPage) {
        EndStory();
        return true;
    }
    if (!file.FindPage(target.CStr())) {
        LogFormat(
            "StoryScreen: %s, page %s: answer %d leads to the page '%s', which the story does not have; "
            "the story ends",
            story.Path().CStr(), currentPage.CStr(), answer, target.CStr());
        EndStory();
        return true;
    }
    ShowPage(target.CStr(), true);
    return true;
}

void StoryScreen::EndStory() {
    if (ending) {
        return;
    }
    ending = true;
    float length = PlayScreenAnim(1);
    if (length < 0.0f) {
        length = kDefaultCloseSeconds;
    }
    PostMessage(kHideActors, 2.0f * length);
    PostMessage(kEndOrPop, 3.0f * length);
}

void StoryScreen::HideActors() {
    bool any = false;
    for (auto& entry : actors.Entries()) {
        any = true;
        SetShown(entry.value, false);
    }
    if (any) {
        GetUI().services.StartTransition(kTransitionFade, kActorsGoneTransitionSeconds, -1);
    }
}

float StoryScreen::PlayScreenAnim(int32_t index) {
    Anim* anim = index < 0 ? flashAnim.Get() : hudAnims.Get(index);
    float length = 0.0f;
    if (!PlayAnim(scene, anim, index < 0 ? kFlashControl : kAnimControl, false, &length)) {
        return -1.0f;
    }
    return length;
}

// ---- per frame and messages ------------------------------------------------------

void StoryScreen::Update() {
    Screen::Update();
    UpdateHighlights();
}

void StoryScreen::UpdateHighlights() {
    if (HasUnresolvedSavedLinks()) {
        return;
    }
    const Vec2 cursor = Button::CursorInScene();
    TextBox* single = singleResponse.Get();
    if (single->IsVisible(true)) {
        SetShown(singleGlow.Get(), single->HitTest(cursor));
        return;
    }
    const bool first = doubleResponse.Get(0)->IsVisible(true) && doubleResponse.Get(0)->HitTest(cursor);
    const bool second =
        !first && doubleResponse.Get(1)->IsVisible(true) && doubleResponse.Get(1)->HitTest(cursor);
    SetShown(doubleGlow.Get(0), first);
    SetShown(doubleGlow.Get(1), second);
}

bool StoryScreen::Message(int32_t message, Object* sender) {
    switch (message) {
    case message::kButtonClicked:
        if (!sender || sender != skipButton.Get()) {
            break;
        }
        if (ending) {
            return true;
        }
        if (const State* player = CurrentPlayer(); player && player->Prompt_IgnoreSkipDialogue.FirstBool()) {
            EndStory();
        } else {
            const String question = GlobalText("Prompt_SkipDialogue", "prompt.skip_dialogue");
            const String yes = GlobalText("String_Yes", "str.yes");
            const String no = GlobalText("String_No", "str.no");
            if (!ShowPrompt(question.CStr(), yes.CStr(), no.CStr(), true)) {
                EndStory(); // no prompt to ask with: skipping must still work
            }
        }
        return true;
    case message::kTextClicked:
        if (sender && (sender == singleResponse.Get() || sender == doubleResponse.Get(0))) {
            ChooseAnswer(1);
        } else if (sender && sender == doubleResponse.Get(1)) {
            ChooseAnswer(2);
        } else {
            return false; // another box's click: neither handled nor passed on
        }
        return true;
    case kPlayAppearAnim:
    case kActorAppeared:
        PlayScreenAnim(0);
        return true;
    case kPlayLeaveAnim:
        PlayScreenAnim(1);
        return true;
    case kPlayFlash:
        PlayScreenAnim(-1);
        return true;
    case kEndOrPop:
        if (sender) {
            EndStory();
        } else {
            GetUI().PopScreen(kTransitionFade);
        }
        return true;
    case kHideActors:
        HideActors();
        return true;
    case kShowSenderActor:
        ShowActor(ObjectCast<Bitmap>(sender));
        return true;
    case kShowPageEmote:
        ShowEmote();
        return true;
    case kLayoutPage:
        changingPage = false;
        LayoutPage();
        return true;
    default:
        break;
    }
    return Screen::Message(message, sender);
}

bool StoryScreen::OnReturn(Screen* popped) {
    if (!popped || !popped->IsA("Prompt")) {
        return true;
    }
    const auto* prompt = static_cast<const Prompt*>(popped);
    const bool dontAskAgain = DontAskAgainChecked(prompt);
    if (prompt->answer && GetUI().TopScreen() == this) {
        GetUI().PopScreen(kTransitionFade);
    }
    State* player = CurrentPlayer();
    if (dontAskAgain && player) {
        player->Prompt_IgnoreSkipDialogue.SetFirstBool(true);
        if (!SaveStateFile()) {
            LogLine("StoryScreen: the player's choice not to be asked again could not be saved");
        }
    }
    return true;
}

// ---- opening ---------------------------------------------------------------------

bool ShowStory(const char* name) {
    name = name ? name : "";
    UI& ui = GetUI();
    if (ui.FindScreen("StoryScreen", true)) {
        LogFormat("ShowStory: a story is open already; '%s' is not shown", name);
        return false;
    }
    Screen* screen = ui.FindScreen("StoryScreen", false);
    if (!screen) {
        return false;
    }
    if (!ui.PushScreen(screen, kTransitionFade)) {
        ui.ReleaseLater(screen->scene ? static_cast<Element*>(screen->scene) : screen);
        return false;
    }
    auto* storyScreen = static_cast<StoryScreen*>(screen);
    if (!storyScreen->StartStory(name)) {
        return false;
    }
    ui.ShowCursor(true);
    ui.SetCursor(0);
    RestartFrameClock();
    LogFormat("ShowStory: '%s' is told", name);
    return true;
}
