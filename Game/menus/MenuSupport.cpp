#include "menus/MenuSupport.h"

#include "core/Log.h"
#include "core/Var.h"
#include "data/Profiles.h"
#include "data/State.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "ui/UI.h"
#include "ui/UiSettings.h"

#include <string>

State* RegisteredCurrentPlayer() {
    State* player = CurrentPlayer();
    return player && player->PlayerId.FirstInt() >= 0 ? player : nullptr;
}

String FillPlaceholder(const char* pattern, const char* value) {
    std::string text = pattern ? pattern : "";
    size_t at = text.find("%s");
    const size_t number = text.find("%d");
    if (at == std::string::npos || (number != std::string::npos && number < at)) {
        at = number;
    }
    if (at != std::string::npos) {
        text.replace(at, 2, value ? value : "");
    }
    return String(text.c_str());
}

bool FormatSettingText(const char* setting, const char* fallbackKey, const char* value, String& out) {
    const String key = GlobalText(setting, fallbackKey);
    String pattern;
    if (!LookupString(key.CStr(), pattern)) {
        return false;
    }
    out = FillPlaceholder(pattern.CStr(), value);
    return true;
}

bool LinksResolved(const char* screenName, std::initializer_list<Var*> links) {
    for (Var* link : links) {
        link->Resolve();
        if (link->HasUnresolved()) {
            LogFormat("%s: the link %s does not resolve; the screen shows without its behaviour", screenName,
                      link->GetName());
            return false;
        }
    }
    return true;
}

void PlayTitleMusicIfSilent() {
    ScreenServices& services = GetUI().services;
    if (services.Music().Current()) {
        return;
    }
    const State* player = CurrentPlayer();
    if (player && player->InSecondWorld()) {
        services.PlayMusicByName(GlobalText("Music_EmberlowTitle", "music/title.ogg").CStr());
        return;
    }
    const String path = GlobalText("Music_DunhavenTitle", "music/happy_music_1.ogg");
    services.PlayMusic(Resources::FindMusic(path.CStr()), 1.0f);
}
