// Every handler returns false for a wrong argument count, which the console
// reports as ": ERROR"; none of them raises.
#include "ui/ConsoleCommands.h"

#include "core/Element.h"
#include "core/EngineState.h"
#include "core/Log.h"
#include "core/Var.h"
#include "io/FileListing.h"
#include "io/StringTable.h"
#include "platform/Platform.h"
#include "script/CommandTable.h"
#include "script/ScriptState.h"
#include "ui/Console.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kTitleScreenClass = "TitleScreen";
constexpr int32_t kTransitionNone = 0;
constexpr int32_t kTransitionDefault = 1;

// The commands of the scene editor that this engine does not have.
constexpr const char* kCommandsWithoutEffect[] = {"setAll",        "createRegion",        "createHotspot",
                                                  "snapPositions", "applyShadows",        "listRootChildren",
                                                  "centerPivot",   "autoPositionBitmaps", "fixJournal"};

String Joined(const CommandArguments& arguments) {
    String text;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i > 0) {
            text += ",";
        }
        text += arguments[i];
    }
    return text;
}

bool Missing(const char* command, const char* what) {
    LogFormat("%s: this build has no %s yet", command, what);
    return false;
}

// Registers a command of exactly `count` arguments that the game serves
// through `member` (called with no argument or with the first one).
void RegisterGameCommand(const char* name, std::function<bool()> ConsoleGameCommands::*member,
                         const char* what) {
    RegisterCommand(name, [name, member, what](const CommandArguments& arguments) {
        if (!arguments.empty()) {
            return false;
        }
        const auto& serve = GetConsoleGameCommands().*member;
        return serve ? serve() : Missing(name, what);
    });
}

void RegisterGameCommand(const char* name, std::function<bool(const char*)> ConsoleGameCommands::*member,
                         const char* what) {
    RegisterCommand(name, [name, member, what](const CommandArguments& arguments) {
        if (arguments.size() != 1) {
            return false;
        }
        const auto& serve = GetConsoleGameCommands().*member;
        return serve ? serve(arguments[0].CStr()) : Missing(name, what);
    });
}

// Commands without arguments that act on the engine.
void RegisterSimpleCommand(const char* name, bool (*act)()) {
    RegisterCommand(name, [act](const CommandArguments& arguments) { return arguments.empty() && act(); });
}

bool SwitchFullscreen(const CommandArguments& arguments) {
    Platform& platform = GetPlatform();
    const bool current = platform.WindowIsFullscreen();
    if (arguments.empty()) {
        LogLine(current ? "true" : "false");
        return true;
    }
    if (arguments.size() != 1) {
        return false;
    }
    const bool wanted = arguments[0] == "true";
    if (wanted != current) {
        platform.SetWindowFullscreen(wanted);
        if (Var* option = options ? options->FindProperty("Fullscreen") : nullptr) {
            option->SetFirstBool(wanted);
        }
    }
    return true;
}

bool ResetGame(const CommandArguments& arguments) {
    if (!arguments.empty()) {
        return false;
    }
    if (const auto& reset = GetConsoleGameCommands().resetPlayerData) {
        reset();
    } else {
        Missing("resetGame", "player data to reset");
    }
    UI& ui = GetUI();
    while (ui.PopScreen(kTransitionNone)) {
    }
    return ui.PushScreenByName(kTitleScreenClass, kTransitionDefault);
}

bool Exec(const CommandArguments& arguments) {
    if (arguments.empty()) {
        return false;
    }
    const auto& find = GetConsoleGameCommands().levelScriptState;
    ScriptState* state = find ? find() : nullptr;
    if (!state) {
        LogLine("exec: there is no level screen to run the script in");
        return false;
    }
    return RunScriptText(Joined(arguments).CStr(), *state);
}

bool CompleteMapLevel(const CommandArguments& arguments) {
    if (arguments.size() > 1) {
        return false;
    }
    const int32_t index = arguments.empty() ? -1 : int32_t(std::strtol(arguments[0].CStr(), nullptr, 10));
    const auto& complete = GetConsoleGameCommands().completeMapLevel;
    return complete ? complete(index) : Missing("completeMapLevel", "map screen");
}

void RegisterEngineStartCommands() {
    RegisterCommand("quit", [](const CommandArguments& arguments) {
        if (!arguments.empty()) {
            return false;
        }
        running = false;
        return true;
    });
    RegisterCommand("print", [](const CommandArguments& arguments) {
        if (arguments.empty()) {
            return false;
        }
        GetConsole().ShowWhileOpen(Joined(arguments).CStr());
        return true;
    });
    RegisterCommand("edit", [](const CommandArguments& arguments) {
        if (arguments.size() == 1) {
            // The scene editor opened the formatted path; nothing opens it here.
            FormatLevelPath(GlobalText("Path_LevelScenes", "levels/%s/%s.scene").CStr(), arguments[0].CStr());
        }
        return true;
    });
    RegisterCommand("play", [](const CommandArguments& arguments) {
        if (!arguments.empty()) {
            return false;
        }
        const auto& play = GetConsoleGameCommands().play;
        return play ? play() : Missing("play", "first screen to start from");
    });
    RegisterCommand("exec", &Exec);
    for (const char* name : kCommandsWithoutEffect) {
        RegisterCommand(name, [](const CommandArguments&) { return false; });
    }
    RegisterCommand("fullscreen", &SwitchFullscreen);
}

void RegisterPlayerCommands() {
    RegisterGameCommand("loadLevel", &ConsoleGameCommands::loadLevel, "levels");
    RegisterGameCommand("load", &ConsoleGameCommands::loadLevel, "levels");
    RegisterGameCommand("saveGame", &ConsoleGameCommands::saveGame, "level saves");
    RegisterGameCommand("resetLevelProgress", &ConsoleGameCommands::resetLevelProgress, "level saves");
    RegisterGameCommand("resetAllProgress", &ConsoleGameCommands::resetAllProgress, "player files");
    RegisterGameCommand("setPlayerName", &ConsoleGameCommands::setPlayerName, "player profiles");
    RegisterCommand("resetGame", &ResetGame);
}

void RegisterScreenCommands() {
    RegisterCommand("testScene", [](const CommandArguments& arguments) {
        return arguments.size() == 1 && GetUI().PushTestScreen(arguments[0].CStr());
    });
    RegisterGameCommand("playMovie", &ConsoleGameCommands::playMovie, "movie screen");
    RegisterGameCommand("showStory", &ConsoleGameCommands::showStory, "story screen");
    RegisterCommand("setUI", [](const CommandArguments& arguments) {
        return arguments.size() == 1 && GetUI().SetScreen(arguments[0].CStr(), kTransitionDefault);
    });
    RegisterCommand("pushUI", [](const CommandArguments& arguments) {
        return arguments.size() == 1 && GetUI().PushScreenByName(arguments[0].CStr(), kTransitionDefault);
    });
    RegisterSimpleCommand("popUI", [] { return GetUI().PopScreen(kTransitionDefault); });
    RegisterCommand("completeMapLevel", &CompleteMapLevel);
}

void RegisterLevelCommands() {
    RegisterGameCommand("give", &ConsoleGameCommands::give, "items");
    RegisterGameCommand("giveOrb", &ConsoleGameCommands::giveOrb, "orbs");
    RegisterGameCommand("completeLevel", &ConsoleGameCommands::completeLevel, "level screen");
    RegisterGameCommand("findAll", &ConsoleGameCommands::findAll, "level screen");
    RegisterGameCommand("toggleHud", &ConsoleGameCommands::toggleHud, "HUD");
    RegisterSimpleCommand("toggleFps", [] {
        GetConsole().showFps = !GetConsole().showFps;
        return true;
    });
    RegisterSimpleCommand("test", [] {
        engineReady = !engineReady;
        return true;
    });
    RegisterSimpleCommand("lockInput", [] {
        GetUI().LockInput();
        return true;
    });
    RegisterSimpleCommand("unlockInput", [] {
        GetUI().UnlockInput();
        return true;
    });
    RegisterGameCommand("unlockJournals", &ConsoleGameCommands::unlockJournals, "journal");
    RegisterGameCommand("giveJournal", &ConsoleGameCommands::giveJournal, "journal");
    RegisterGameCommand("reallyAutoPositionBitmaps", &ConsoleGameCommands::autoPositionJournalBitmaps,
                        "journal pages");
}

void RegisterDataCommands() {
    RegisterSimpleCommand("reloadStrings", [] { return ReloadStringTables(); });
    RegisterSimpleCommand("getWordCount", [] {
        LogFormat("%lld", static_cast<long long>(CountStringTableWords()));
        return true;
    });
    RegisterCommand("screenshotAllLevels", [](const CommandArguments&) {
        const auto& tour = GetConsoleGameCommands().screenshotAllLevels;
        return tour ? tour() : Missing("screenshotAllLevels", "levels");
    });
}

} // namespace

ConsoleGameCommands& GetConsoleGameCommands() {
    static ConsoleGameCommands commands;
    return commands;
}

void RegisterConsoleCommands() {
    RegisterEngineStartCommands();
    RegisterPlayerCommands();
    RegisterScreenCommands();
    RegisterLevelCommands();
    RegisterDataCommands();
}

int64_t CountStringTableWords() {
    const std::vector<String> files = ListFiles("text", "*.config", false);
    std::vector<StringTable*> counted;
    int64_t words = 0;
    for (const String& path : files) {
        StringTable* table = FindStringTable(StringTableName(path.CStr()).CStr());
        if (!table || std::find(counted.begin(), counted.end(), table) != counted.end()) {
            continue;
        }
        counted.push_back(table);
        for (const auto& entry : table->Pairs().Entries()) {
            const String& text = entry.value;
            if (text.Empty()) {
                continue;
            }
            ++words;
            for (const char* c = text.CStr(); *c; ++c) {
                words += *c == ' ' || *c == '\t' || *c == '\n';
            }
        }
    }
    return words;
}

String FormatLevelPath(const char* format, const char* argument) {
    std::string out;
    int replaced = 0;
    for (const char* c = format ? format : ""; *c; ++c) {
        if (replaced < 2 && c[0] == '%' && c[1] == 's') {
            out += argument ? argument : "";
            ++replaced;
            ++c;
        } else {
            out += *c;
        }
    }
    return String(out.c_str());
}
