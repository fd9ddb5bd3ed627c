#include "puzzles/PuzzleFunctions.h"

#include "core/Log.h"
#include "core/Scene.h"
#include "puzzles/Puzzle.h"
#include "script/ScriptArgs.h"
#include "ui/ConsoleCommands.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

namespace {

constexpr const char* kPuzzlePathSetting = "Path_Puzzles";
constexpr const char* kPuzzlePathDefault = "puzzles/%s/%s.scene";
constexpr int32_t kPuzzleTransition = 1;

void Release(Screen* screen) {
    GetUI().ReleaseLater(screen->scene ? static_cast<Element*>(screen->scene) : screen);
}

void PlayPuzzleFunction(ScriptArgs& args) {
    if (args.Count() != 2 || !args.Text(1)) {
        LogLine("PlayPuzzle: wants a puzzle name and a layout name");
        args.ReturnBool(false);
        return;
    }
    args.ReturnBool(PlayPuzzle(args.Text(1), args.Text(2) ? args.Text(2) : ""));
}

} // namespace

bool PlayPuzzle(const char* name, const char* layout) {
    name = name ? name : "";
    UI& ui = GetUI();
    const String path = FormatLevelPath(GlobalText(kPuzzlePathSetting, kPuzzlePathDefault).CStr(), name);
    Screen* screen = ui.LoadScreenFile(path.CStr());
    if (!screen) {
        screen = ui.LoadScreenFile(name);
    }
    if (!screen) {
        LogFormat("PlayPuzzle: no puzzle %s", name);
        return false;
    }
    auto* puzzle = ObjectCast<Puzzle>(screen);
    if (!puzzle || !puzzle->StartPuzzle(layout)) {
        LogFormat("PlayPuzzle: %s %s", name,
                  puzzle ? "does not start with that layout" : "holds no puzzle screen");
        Release(screen);
        return false;
    }
    if (!ui.PushScreen(puzzle, kPuzzleTransition)) {
        Release(screen);
        return false;
    }
    LogFormat("PlayPuzzle: %s opens with layout %s", name, layout ? layout : "");
    return true;
}

void RegisterPuzzleFunctions(ScriptState& state) {
    RegisterArgsFunction<PlayPuzzleFunction>("PlayPuzzle", state);
}
