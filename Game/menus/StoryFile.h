#pragma once
// StoryFile: the actors, pages and expressions of one story, read from its
// key/value file, and the player-tag substitution of its texts.
//
// Story file format (the engine's key/value format; each value is split into
// tokens at blanks and commas, a run of them separating two tokens):
//
//     Actor = Maren, story_maren, Left;     actor name, picture name, side
//     Page  = A, B, End;                    page, next page of answer 1, of answer 2
//     Emote = A, maren_smile;               page, expression picture ("None" hides it)
//     A = story.harbour_a;                  the page's text,
//     A = story.harbour_a1;                 its first answer,
//     A = story.harbour_a2;                 its second answer (optional)
//
// Side "Left" or "Right", anything else is the centre; missing actor tokens
// are empty. A "Page" or "Emote" value needs two tokens: the first one
// without them stops the reading there. An answer leading to "End" closes
// the story. Texts are string-table identifiers or plain text; the player
// tag in them becomes the player's name.

#include "core/NameMap.h"
#include "core/String.h"

#include <cstdint>
#include <vector>

class ConfigTable;

struct StoryActor {
    String name;
    String picture;
    String side;
};

struct StoryPage {
    String next[2]; ///< the pages answers 1 and 2 lead to; "End" closes the story
    String emote;   ///< empty when the file gives none
};

class StoryFile {
public:
    static constexpr const char* kActorKey = "Actor";
    static constexpr const char* kPageKey = "Page";
    static constexpr const char* kEmoteKey = "Emote";
    static constexpr const char* kEndPage = "End";
    static constexpr const char* kLeftSide = "Left";
    static constexpr const char* kRightSide = "Right";
    static constexpr const char* kNoEmote = "None";

    /// Reads actors, then pages, then expressions (an expression for a page
    /// the file does not list is ignored). False at the first "Page" or
    /// "Emote" value with fewer than two tokens, with `problem` naming it;
    /// what was read before it stays.
    bool Read(ConfigTable& table);

    /// The page of that name (the first one the file gives), or null.
    const StoryPage* FindPage(const char* name);

    std::vector<StoryActor> actors;
    NameMap<String, StoryPage> pages;
    String problem;
};

/// `name` with its first character upper-cased (Latin-1 letters included).
String CapitalisedName(const char* name);

/// The longest text a substituted story text may have, in bytes.
constexpr size_t kMaxStoryTextLength = 4095;

/// Replaces every `tag` in `text`, scanning left to right without overlap,
/// by `name` into `out`. False, with `out` = `text`, when the tag is empty
/// or the result would be longer than kMaxStoryTextLength.
bool ReplacePlayerTag(const char* text, const char* tag, const char* name, String& out);
