#include "StoryChecks.h"

#include "CheckReport.h"
#include "FontMetrics.h"

#include "GameStartup.h"
#include "core/ConfigTable.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "core/SettingKeys.h"
#include "data/Globals.h"
#include "io/Resources.h"
#include "io/StringTable.h"
#include "menus/StoryFile.h"
#include "menus/StoryScreen.h"
#include "ui/ConsoleCommands.h"
#include "ui/TextLayout.h"

#include <map>
#include <memory>
#include <set>

namespace {

std::string Setting(const char* name) {
    Globals* globals = GetGlobals();
    return (globals ? globals->GetString(name) : GlobalsDefault(name)).CStr();
}

std::string Filled(const char* setting, const String& name) {
    return FormatLevelPath(Setting(setting).c_str(), name.CStr()).CStr();
}

/// One text box of the story screen with the font it measures with.
struct Box {
    std::string name;
    float width = 0.0f;
    float height = 0.0f;
    FontMetrics* font = nullptr;
};

/// The story screen's boxes: page text, single answer, the two answers.
class StoryBoxes {
public:
    StoryBoxes() {
        const std::string path = Setting(setting::kInterfaceDirectory.name) + "/StoryScreen.scene";
        std::unique_ptr<Scene> scene = LoadScene(path.c_str());
        StoryScreen* screen = nullptr;
        for (auto& entry : scene ? scene->Elements().Entries() : empty) {
            if (!screen && entry.value->IsA("StoryScreen")) {
                screen = static_cast<StoryScreen*>(entry.value);
            }
        }
        if (!screen) {
            return;
        }
        screen->Resolve();
        Take(screen->dialogueText.Get(), text);
        Take(screen->singleResponse.Get(), single);
        Take(screen->doubleResponse.Get(0), first);
        Take(screen->doubleResponse.Get(1), second);
    }

    Box text, single, first, second;

private:
    void Take(TextBox* box, Box& out) {
        const char* setting = box ? GameTextStyleFontSetting(box->FontIndex.FirstInt()) : nullptr;
        if (!setting) {
            return;
        }
        out.name = box->GetName();
        out.width = box->Area.GetFloat(0);
        out.height = box->Area.GetFloat(1);
        out.font = fonts.Find(Setting(setting));
    }

    std::vector<NameMap<String, Element*>::Entry> empty;
    FontMetricsCache fonts;
};

bool Fits(const Box& box, const String& value) {
    if (!box.font) {
        return true; // no box or font to measure with: the scene's own checks report it
    }
    String text = value;
    LookupString(value.CStr(), text);
    String replaced;
    ReplacePlayerTag(text.CStr(), Setting(StoryScreen::kPlayerTagSetting).c_str(), kSampleStoryPlayerName,
                     replaced);
    TextLines lines;
    return LayoutText(*box.font, replaced.CStr(), box.width, lines) &&
           float(lines.lines.size()) * float(box.font->Height()) < box.height;
}

void CheckPicture(const std::string& path, const std::string& file, const std::string& what,
                  CheckReport& report) {
    if (!Resources::FindSprite(path.c_str())) {
        report.Error(file, what + " " + Quoted(path) + " does not load");
    }
}

class StoryCheck {
public:
    StoryCheck(const std::string& path, CheckReport& report, const StoryBoxes& boxes)
        : path(path), report(report), boxes(boxes) {}

    void Run() {
        if (!table.Load(path.c_str())) {
            report.Error(path, "the story file cannot be read");
            return;
        }
        if (!story.Read(table)) {
            report.Error(path, story.problem.CStr());
        }
        for (const StoryActor& actor : story.actors) {
            CheckPicture(Filled(StoryScreen::kActorPathSetting, actor.picture), path,
                         "the picture of the actor " + Quoted(actor.name.CStr()), report);
        }
        for (auto& entry : story.pages.Entries()) {
            CheckPage(entry.key, entry.value);
        }
        const String start(Setting(StoryScreen::kStartPageSetting).c_str());
        if (!story.FindPage(start.CStr())) {
            report.Error(path, "no start page " + Quoted(start.CStr()));
            return;
        }
        CheckReach(start);
    }

private:
    std::string Page(const String& page) const { return "page " + Quoted(page.CStr()) + ": "; }

    /// The number of answers the page shows: 0 without text, else 1 or 2.
    int32_t Answers(const String& page) {
        const int32_t values = table.ValueCount(page.CStr());
        return values < 2 ? 0 : values == 2 ? 1 : 2;
    }

    void CheckPage(const String& name, const StoryPage& page) {
        if (!page.emote.Empty() && page.emote != StoryFile::kNoEmote) {
            CheckPicture(Filled(StoryScreen::kEmotePathSetting, page.emote), path,
                         Page(name) + "the expression", report);
        }
        const int32_t answers = Answers(name);
        if (answers == 0) {
            report.Error(path, Page(name) + "no text and answer (a key " + Quoted(name.CStr()) +
                                   " with two or three values)");
            return;
        }
        for (int32_t i = 0; i < 2; ++i) {
            const String& target = page.next[i];
            const std::string answer = "answer " + std::to_string(i + 1);
            if (i >= answers) {
                if (!target.Empty()) {
                    report.Warning(path, Page(name) + answer + " leads to " + Quoted(target.CStr()) +
                                             ", but the page shows one answer");
                }
            } else if (target.Empty()) {
                report.Warning(path, Page(name) + answer + " leads nowhere: clicking it does nothing");
            } else if (target != StoryFile::kEndPage && !story.FindPage(target.CStr())) {
                report.Error(path, Page(name) + answer + " leads to " + Quoted(target.CStr()) +
                                       ", a page the story does not have");
            }
        }
        CheckFit(name, 0, boxes.text);
        if (answers == 1) {
            CheckFit(name, 1, boxes.single);
        } else {
            CheckFit(name, 1, boxes.first);
            CheckFit(name, 2, boxes.second);
        }
    }

    void CheckFit(const String& page, int32_t value, const Box& box) {
        const String* text = table.Value(value, page.CStr());
        if (text && !Fits(box, *text)) {
            report.Error(path, Page(page) + (value == 0 ? "the text" : "answer " + std::to_string(value)) +
                                   " does not fit the story screen's box " + Quoted(box.name));
        }
    }

    /// The pages the shown answers of `page` lead to (existing pages only).
    std::vector<String> Targets(const String& page) {
        std::vector<String> targets;
        const StoryPage* record = story.FindPage(page.CStr());
        const int32_t answers = Answers(page);
        for (int32_t i = 0; record && i < answers; ++i) {
            if (story.FindPage(record->next[i].CStr())) {
                targets.push_back(record->next[i]);
            }
        }
        return targets;
    }

    bool LeadsToEnd(const String& page) {
        const StoryPage* record = story.FindPage(page.CStr());
        const int32_t answers = Answers(page);
        for (int32_t i = 0; record && i < answers; ++i) {
            if (record->next[i] == StoryFile::kEndPage) {
                return true;
            }
        }
        return false;
    }

    void CheckReach(const String& start) {
        std::set<std::string> reached{start.CStr()};
        std::vector<String> open{start};
        while (!open.empty()) {
            const String page = open.back();
            open.pop_back();
            for (const String& next : Targets(page)) {
                if (reached.insert(next.CStr()).second) {
                    open.push_back(next);
                }
            }
        }
        // The pages from which some answers lead to the end, grown until it stops.
        std::set<std::string> ending;
        for (bool grew = true; grew;) {
            grew = false;
            for (auto& entry : story.pages.Entries()) {
                if (ending.count(entry.key.CStr())) {
                    continue;
                }
                bool ends = LeadsToEnd(entry.key);
                for (const String& next : Targets(entry.key)) {
                    ends = ends || ending.count(next.CStr()) != 0;
                }
                if (ends) {
                    ending.insert(entry.key.CStr());
                    grew = true;
                }
            }
        }
        for (auto& entry : story.pages.Entries()) {
            if (!reached.count(entry.key.CStr())) {
                report.Warning(path, Page(entry.key) + "no answer leads here from the start page");
            } else if (!ending.count(entry.key.CStr())) {
                report.Warning(path, Page(entry.key) + "no answers lead on to the end: only skipping leaves");
            }
        }
    }

    std::string path;
    CheckReport& report;
    const StoryBoxes& boxes;
    ConfigTable table;
    StoryFile story;
};

} // namespace

void CheckStories(const std::vector<std::string>& files, CheckReport& report) {
    const std::string pattern = Setting(StoryScreen::kStoryPathSetting);
    const size_t mark = pattern.find("%s");
    if (mark == std::string::npos) {
        return;
    }
    const std::string prefix = pattern.substr(0, mark), suffix = pattern.substr(mark + 2);
    std::unique_ptr<StoryBoxes> boxes;
    for (const std::string& file : files) {
        if (file.size() <= prefix.size() + suffix.size() || file.compare(0, prefix.size(), prefix) != 0 ||
            file.compare(file.size() - suffix.size(), suffix.size(), suffix) != 0) {
            continue;
        }
        if (!boxes) {
            boxes = std::make_unique<StoryBoxes>();
        }
        StoryCheck(file, report, *boxes).Run();
    }
}
