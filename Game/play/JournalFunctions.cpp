#include "play/JournalFunctions.h"

#include "core/Log.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "core/Widget.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/File.h"
#include "play/GameScreen.h"
#include "ui/ConsoleCommands.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <memory>

bool UnlockJournals() {
    State* player = CurrentPlayer();
    if (!player) {
        return false;
    }
    const String format = GlobalText("Path_JournalPages", "journal/%s.scene");
    bool anyPage = false;
    for (int32_t i = 0; i < GlobalCount("Levels"); ++i) {
        const String level = GlobalText("Levels", "", i);
        const String path = FormatLevelPath(format.CStr(), level.CStr());
        if (level.Empty() || !Exists(path.CStr())) {
            continue;
        }
        std::unique_ptr<Scene> page = LoadScene(path.CStr());
        if (!page) {
            continue;
        }
        anyPage = true;
        for (const Widget* piece : page->Children()) {
            player->AddJournalElement(piece->GetName(), level.CStr());
        }
    }
    LogLine(anyPage ? "unlockJournals: every journal piece is found" : "unlockJournals: no journal page exists");
    return anyPage;
}

bool GiveJournalOnTopLevel() {
    auto* level = ObjectCast<GameScreen>(GetUI().TopmostGameScreen());
    if (!level) {
        return false;
    }
    level->GiveJournal();
    return true;
}
