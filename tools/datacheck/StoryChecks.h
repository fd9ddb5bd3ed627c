#pragma once
// The story files (Globals "DialogueTextPath", every file of the data set
// the pattern matches): each is read as the story screen reads it, and
// reported:
//   errors    a "Page" or "Emote" value without its two tokens, a missing
//             start page, an answer leading to a page the story lacks, a
//             page without its text and answer, an actor or expression
//             picture that does not load, a text or answer that does not
//             fit its box of the story screen's scene with that box's font
//             (the player tag measured as kSampleStoryPlayerName);
//   warnings  pages no answer reaches from the start page, pages from which
//             no answers lead to the end (only the skip button leaves), an
//             answer text with no page to lead to.

#include <string>
#include <vector>

class CheckReport;

/// The player's name the fit of story texts is measured with: a long one.
constexpr const char* kSampleStoryPlayerName = "Bartholomew";

void CheckStories(const std::vector<std::string>& files, CheckReport& report);
