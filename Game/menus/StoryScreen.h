#pragma once
// StoryScreen: a story told as a branching picture-book conversation.
//
// A story (menus/StoryFile.h) lists actors, pages and expressions. The
// screen creates one hidden Bitmap per actor in its own scene, placed by
// side: "Left" at the left edge, "Right" at the right edge, else centred
// horizontally, always standing on the bottom edge (scene origin at the
// screen centre). A page named after an actor brings that actor on stage;
// any other page keeps the speaker and changes text and expression. The
// expression is a Bitmap child of the speaker at (0, 0, 1), so expression
// pictures are drawn over the portrait with the portrait's size.
//
// Answers: 403 from "singleResponse" or the first "doubleResponse" box
// chooses answer 1, from the second box answer 2. An answer leads to a page
// (animated when that page names an actor: the speaker leaves, a flash, the
// new speaker fades in, then text and expression change) or to "End", which
// plays the closing animation and pops the screen. While a page change or
// the closing runs, answers are ignored. An answer leading to a page the
// story does not list ends the story with one log line naming file and page.
// The skip button always works: it asks first (Globals "Prompt_SkipDialogue")
// unless the player ticked the prompt's "don't ask again" box before.
//
// The screen below learns that the story closed in its OnReturn, with this
// screen as `popped`: popped->IsA("StoryScreen") and StoryName() tell which
// story it was (the level screen runs its script hook "OnStoryDone" there).
//
// Properties (links into the screen's own scene, in this order):
//   skipButton       button that ends the story (after a prompt)
//   dialogueText     text box of the page text
//   singleResponse   text box of the answer of a one-answer page
//   doubleResponse   2 text boxes of the answers of a two-answer page
//   hudAnims         2 animations: [0] after a speaker appeared, [1] when
//                    the speaker leaves and when the story ends
//   flashAnim        animation played between two speakers
//   singleGlow       highlight under the single answer while hovered
//   doubleGlow       2 highlights under the two answers
// With an unresolved link pages are not shown (the skip button still ends
// the story).
//
// Private messages (posted to itself): 3001/3007 hudAnims[0], 3008
// hudAnims[1], 3009 flashAnim, 3002 end (with a sender) or pop (without),
// 3003 hide the actors, 3004 show the sender actor, 3005 show the current
// page's expression, 3006 lay the current page out.

#include "anim/Anim.h"
#include "core/ConfigTable.h"
#include "core/Link.h"
#include "menus/StoryFile.h"
#include "render/Bitmap.h"
#include "ui/Button.h"
#include "ui/Screen.h"
#include "ui/TextBox.h"

class StoryScreen : public Screen {
    ENGINE_CLASS(StoryScreen, Screen)

public:
    // Globals settings and their defaults.
    static constexpr const char* kStoryPathSetting = "DialogueTextPath";
    static constexpr const char* kStoryPathDefault = "dialogue/scripts/%s.config";
    static constexpr const char* kStartPageSetting = "Story_StartPage";
    static constexpr const char* kStartPageDefault = "A";
    static constexpr const char* kPlayerTagSetting = "Story_PlayerTag";
    static constexpr const char* kPlayerTagDefault = "[PLAYER]";
    static constexpr const char* kActorPathSetting = "Path_StoryActors";
    static constexpr const char* kActorPathDefault = "dialogue/actors/%s.png";
    static constexpr const char* kEmotePathSetting = "Path_StoryEmotes";
    static constexpr const char* kEmotePathDefault = "dialogue/actors/%s.png";
    static constexpr const char* kChoiceSoundSetting = "Sound_DialogueChoice";
    static constexpr const char* kChoiceSoundDefault = "audio/dialogue_choice.ogg";

    StoryScreen();

    /// Resolves the links at once, so the skip button works from the start.
    bool OnPush() override;
    bool OnPop() override;
    /// Timed messages, then the hover highlights of the layout in use.
    void Update() override;
    bool Message(int32_t message, Object* sender) override;
    /// A closed skip prompt: OK pops this screen at once; a ticked check box
    /// stops future skip questions for this player, whatever the answer.
    bool OnReturn(Screen* popped) override;

    /// Loads the story file of `name` and shows its start page (not
    /// animated). False when a story was started on this screen before, the
    /// file does not load, an actor cannot be created or a "Page"/"Emote"
    /// value lacks tokens (one log line naming file and value).
    bool StartStory(const char* name);
    /// Creates the hidden portrait of an actor in the scene, placed by side.
    /// False when the scene has an element named `picture` already or the
    /// bitmap cannot be made. A picture that does not load is logged; the
    /// actor then shows nothing.
    bool CreateStoryActor(const char* actorName, const char* picture, const char* side);
    /// Shows a page; false while a link is unresolved or when it is shown already.
    bool ShowPage(const char* page, bool animated);
    /// Follows answer 1 or 2 of the current page; false when it leads nowhere.
    bool ChooseAnswer(int32_t answer);
    /// Plays the closing animation and pops the screen after it.
    void EndStory();

    const String& StoryName() const { return storyName; }
    const String& CurrentPage() const { return currentPage; }
    /// The portrait of an actor, or null.
    Bitmap* FindActor(const char* actorName);
    /// The expression picture on an actor's portrait, or null.
    Bitmap* EmotePicture(const char* actorName);
    bool Ending() const { return ending; }

    Link<Button> skipButton;
    Link<TextBox> dialogueText;
    Link<TextBox> singleResponse;
    Link<TextBox> doubleResponse;
    Link<Anim> hudAnims;
    Link<Anim> flashAnim;
    Link<Bitmap> singleGlow;
    Link<Bitmap> doubleGlow;

private:
    bool Inert();
    void ShowActor(Bitmap* actor);
    void ShowEmote();
    void LayoutPage();
    void HideActors();
    void UpdateHighlights();
    /// Plays hudAnims item `index` (or flashAnim for −1); its length, or −1.
    float PlayScreenAnim(int32_t index);
    /// The page text `value` as the player reads it: looked up, tag replaced.
    String PageText(const String& value);
    /// Sets a box's text (already looked up) and its glow's width to the text's.
    void SetAnswer(TextBox* box, const String& text, Bitmap* glow);

    ConfigTable story;
    StoryFile file;
    NameMap<String, Bitmap*> actors;
    String currentPage;
    String storyName;
    bool started = false;
    bool changingPage = false;
    bool ending = false;
};

/// Opens the story screen over the current screen and starts the story
/// `name`. False when a story screen is open already, the screen does not
/// load or the story does not start (the screen then stays, and its skip
/// button closes it).
bool ShowStory(const char* name);
