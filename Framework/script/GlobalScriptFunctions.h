#pragma once
// The global script functions every dialogue and level script state gets:
//
//   TestScriptFunction()           shows "Garbage hook!" on the console; returns true
//   ConsolePrint(text)             logs the text (a number is converted)
//   DeferCall(code, delay [,flag]) runs code in this state after delay seconds
//   PlayMovie(name)                plays the named movie
//   ShowStory(name [,hideHud [,restoreHud]])  opens the named story (both flags
//                                  true by default; they matter on a level)
//   Transition(type [,duration])   starts a screen transition (0.5 s by default)
//   Time()                         seconds since the frame loop started
//   FrameTime()                    the length of the previous frame, in seconds
//
// Each function looks at how many values it was given; with another count
// it does nothing and returns nothing. The console, movies and transitions
// live in higher layers, which install what these functions call
// (ScriptHost); until then the calls log that nothing can do them.

#include <cstdint>
#include <functional>

class ScriptState;

struct ScriptHost {
    /// Shows a line on the console.
    std::function<void(const char* text)> showOnConsole;
    /// Plays the named movie.
    std::function<void(const char* name)> playMovie;
    /// Opens the named story; on a level, `hideHud` plays the HUD out first
    /// and `restoreHud` brings it back after the story.
    std::function<void(const char* name, bool hideHud, bool restoreHud)> showStory;
    /// Starts a screen transition of the type lasting `seconds`, without a completion message.
    std::function<void(int32_t type, float seconds)> startTransition;
};

/// The installed host; its members are empty until a higher layer fills them.
ScriptHost& GetScriptHost();

constexpr const char* kGarbageHookText = "Garbage hook!";
constexpr float kDefaultTransitionSeconds = 0.5f;

/// Registers the eight functions into `state`.
void RegisterGlobalScriptFunctions(ScriptState& state);
