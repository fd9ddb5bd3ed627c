#pragma once
// GoalTexts: the sentences of the goal panel and its list lines.
//
// Texts are string identifiers looked up in the string tables, falling back
// to the identifier itself, so an author sees which key is missing. Message
// patterns come from files: only "%s" is filled in (in order), nothing else
// of a pattern is ever interpreted.

#include "core/String.h"

#include <initializer_list>

/// The text of a string identifier, or the identifier itself.
String TextOrKey(const char* identifier);
/// `pattern` with each "%s" replaced by the next argument (missing ones
/// give ""); other characters, "%" included, stay as they are.
String FillPattern(const char* pattern, std::initializer_list<const char*> arguments);
/// The number word of `n` (Globals "String_Numbers"), its first letter
/// upper-cased when `capitalised`; the digits when there is no word.
String NumberWord(int32_t n, bool capitalised);
/// A list line: the treasure's name when fewer than two remain, else its
/// plural name (the singular when there is none) and " (r)".
String TargetLine(const char* type, int32_t remaining);
/// The Pairs goal with `typesLeft` types still to pair; `custom` is the
/// level's own goal text (may be empty), `done` the goal message.
String PairsGoal(int32_t typesLeft, const char* custom, const char* done);
/// The Types goal with `remaining` treasures of `type` left.
String TypesGoal(int32_t remaining, const char* type, const char* custom, const char* done);
