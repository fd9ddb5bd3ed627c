#include "SceneChecks.h"

#include "CheckReport.h"
#include "FontMetrics.h"
#include "LevelChecks.h"
#include "Recording.h"
#include "TextChecks.h"

#include "anim/Anim.h"
#include "anim/AnimControl.h"
#include "anim/Emitter.h"
#include "audio/Speaker.h"
#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/Instance.h"
#include "core/Link.h"
#include "core/Scene.h"
#include "core/SceneFile.h"
#include "io/File.h"
#include "io/Resources.h"
#include "render/Bitmap.h"
#include "render/FrameGroup.h"
#include "render/Region.h"
#include "ui/Button.h"
#include "ui/TextButton.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <vector>

namespace {

// Contents:
//   1. the elements the file lists and their classes
//   2. the keys of the file against the declared properties
//   3. links and picture paths after resolution

struct FileUnderCheck {
    const std::string& path;
    CheckReport& report;
    Recording& recording;
    ConfigTable& table;
    Scene& scene;
    /// The names whose elements were built, in file order.
    std::vector<std::string> built;
    std::set<std::string> listed;
    /// Listed beyond the first element of a widget file: built, never read.
    std::set<std::string> unread;
    /// The fonts the file's texts are measured with.
    FontMetricsCache fonts;
};

// The classes of the game's design that are not part of this build yet. An
// element of one is skipped by the game, as any unknown class is, but the
// data is early rather than wrong; once the class exists it is checked in
// full like every other.
const std::set<std::string> kClassesStillToCome = {
    "Shape",       "Transform",    "Viewer",
    "VideoViewer", "FrameGroup",   "PeriodicAnimator",
    "Button",      "CheckBox",     "Slider",
    "TextBox",     "TextButton",   "TextWindow",
    "Gauge",       "Window",       "SnakeBlob",
    "TalkBubble",  "Scrollbar",    "Objective",
    "Quest",       "LevelOptions", "OptionsMenu",
    "MapScreen",   "TitleScreen",  "GameMenu",
    "MapMenu",     "LevelMarker",  "PlayerMarker",
    "QuestMarker", "Prompt",       "Waypoint",
    "QuestScreen", "MovieScreen",  "DialogueScreen",
    "Actor",       "ProfilesMenu", "ProfilePrompt",
    "IntroScreen", "SplashScreen", "HelpPrompt",
    "HelpMenu",    "ItemPrompt",   "MapChange",
    "StoryScreen", "JournalMenu",  "CreditsScreen",
    "Entity",      "Thing",        "Flashlight",
    "Doodad",      "Hotspot",      "LightHaze",
    "ModelActor",  "LightControl", "Boss",
    "Puzzle",      "Leapfrog",     "LeapfrogConfig",
    "LeapfrogPeg", "LeapfrogSlot", "Flip",
    "FlipPeg",     "FlipSlot",     "Hex",
    "HexPeg",
};

bool IsClassStillToCome(const char* name) {
    return kClassesStillToCome.count(name) != 0;
}

bool EndsWith(const std::string& text, const char* suffix) {
    const std::string end(suffix);
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string Label(Element& element) {
    return ElementLabel(element.GetClassName(), element.GetName());
}

std::string LowerCase(const char* text) {
    std::string result(text);
    for (char& c : result) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return result;
}

// 1. Every listed name needs a Type naming a registered class of elements.
void CheckListedClasses(FileUnderCheck& file, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        const std::string where = "element " + Quoted(name);
        if (!file.listed.insert(name).second) {
            file.report.Error(file.path, where + " is listed twice under \"Widget\"");
            continue;
        }
        const String* type = file.table.Value(0, (name + ".Type").c_str());
        if (!type || type->Empty()) {
            file.report.Error(file.path, where + " has no Type");
            continue;
        }
        const ClassEntry* entry = FindClass(type->CStr());
        if (!entry && IsClassStillToCome(type->CStr())) {
            file.report.Warning(file.path, where + ": class " + Quoted(type->CStr()) +
                                               " is not built yet, so the game skips this element");
            continue;
        }
        if (!entry) {
            file.report.Error(file.path, where + ": class " + Quoted(type->CStr()) + " is not registered");
            continue;
        }
        Object* probe = entry->factory ? entry->factory() : nullptr;
        const bool makesElements = probe && probe->IsA("Element");
        delete probe;
        if (!makesElements) {
            file.report.Error(file.path, where + ": class " + Quoted(type->CStr()) + " makes no elements");
            continue;
        }
        file.built.push_back(name);
    }
}

const char* TypeExpectation(int32_t type) {
    switch (type) {
    case kVarBool:
        return "true or false";
    case kVarInt:
        return "a whole number";
    case kVarFloat:
        return "a number";
    default:
        return "text";
    }
}

// 2. One "NAME.PROPERTY" key of a built element.
void CheckPropertyKey(FileUnderCheck& file, Element& element, const std::string& property,
                      const ConfigTable::ValueList& values) {
    Var* var = element.FindProperty(property.c_str());
    if (!var) {
        file.report.Error(file.path, Label(element) + ": " + element.GetClassName() + " has no property " +
                                         Quoted(property));
        return;
    }
    if (!var->HasFlag(Var::kSaved)) {
        file.report.Error(file.path,
                          Label(element) + ": property " + Quoted(property) + " is not read from files");
        return;
    }
    const size_t count = static_cast<size_t>(var->GetCount());
    if (values.size() > count) {
        file.report.Warning(file.path, Label(element) + ": " + Quoted(property) + " holds " +
                                           std::to_string(count) + (count == 1 ? " item" : " items") +
                                           "; the file gives " + std::to_string(values.size()) +
                                           " and the rest are ignored");
    }
    for (size_t i = 0; i < values.size() && i < count; ++i) {
        Var probe;
        probe.SetType(var->GetType());
        if (!probe.SetItemFromText(0, values[i].CStr())) {
            file.report.Error(file.path, Label(element) + ": " + Quoted(property) + " item " +
                                             std::to_string(i) + ": " + Quoted(values[i].CStr()) +
                                             " is not " + TypeExpectation(var->GetType()));
        }
    }
}

void CheckParent(FileUnderCheck& file, Element& element, const ConfigTable::ValueList& values) {
    if (values.empty() || !element.IsA("Widget")) {
        return;
    }
    const char* parent = values[0].CStr();
    Element* named = file.scene.FindElement(parent);
    if (!named) {
        file.report.Error(file.path, Label(element) + ": parent " + Quoted(parent) +
                                         " is no element of this file, so it is drawn at the top level");
    } else if (!named->IsA("Widget")) {
        // Drawn as if no parent were named: harmless, but not what the file says.
        file.report.Warning(file.path, Label(element) + ": parent " +
                                           ElementLabel(named->GetClassName(), parent) +
                                           " is no widget, so it is drawn at the top level");
    }
}

void CheckKeys(FileUnderCheck& file) {
    const std::set<std::string> built(file.built.begin(), file.built.end());
    for (int32_t i = 0; i < file.table.Count(); ++i) {
        const ConfigTable::Entry& entry = file.table.At(i);
        const std::string key(entry.key.CStr());
        if (key == "Widget") {
            continue;
        }
        const size_t dot = key.rfind('.');
        if (dot == std::string::npos || dot == 0) {
            file.report.Error(file.path, "key " + Quoted(key) + " belongs to no element");
            continue;
        }
        const std::string name = key.substr(0, dot);
        const std::string property = key.substr(dot + 1);
        if (file.unread.count(name)) {
            continue;
        }
        if (!file.listed.count(name)) {
            file.report.Error(file.path, "key " + Quoted(key) + ": no element " + Quoted(name) +
                                             " is listed under \"Widget\"");
            continue;
        }
        Element* element = built.count(name) ? file.scene.FindElement(name.c_str()) : nullptr;
        if (!element || property == "Type") {
            continue; // an element that could not be made is reported once, by its class
        }
        if (property == "Parent") {
            CheckParent(file, *element, entry.values);
        } else {
            CheckPropertyKey(file, *element, property, entry.values);
        }
    }
}

// 3. Links that stayed unresolved.
std::string UnresolvedElementLinkText(FileUnderCheck& file, const Var& var, const std::string& target) {
    const char* className = var.LinkedClassName();
    std::string text = "link " + Quoted(var.GetName()) + " names no " + className + " " + Quoted(target);
    if (Element* other = file.scene.FindElement(target.c_str())) {
        text += " (its class is " + std::string(other->GetClassName()) + ")";
    } else {
        text += " in this file";
    }
    return text;
}

// Links whose target may be absent: the element then simply does without
// (an emitter without a vortex, an animator with fewer nodes than it can
// hold; a movie screen with a video or an animation only; help with fewer
// than eight pages; a title without a credits button). Only an item that
// names something other than the default is checked.
bool IsOptionalLink(const Element& element, const Var& var) {
    const std::string name(var.GetName());
    return (element.IsA("Emitter") && name == "vortex") ||
           (element.IsA("MovieScreen") && (name == "video" || name == "anim")) ||
           (element.IsA("HelpMenu") && name == "pages") ||
           (element.IsA("TitleScreen") && name == "creditsButton") ||
           ((element.IsA("Oscillator") || element.IsA("Randomizer")) && name == "nodes");
}

void CheckLinks(FileUnderCheck& file, Element& element) {
    for (Var* var : element.Properties()) {
        // A link the file cannot set (a hotspot's icon) is no fault of the file.
        if (!var->IsLink() || !var->HasUnresolved() || !(var->flags & Var::kSaved) ||
            IsLinkOfTextChecks(element, *var)) {
            continue;
        }
        const bool optional = IsOptionalLink(element, *var);
        const bool hudChild = element.IsA("GameScreen");
        for (int32_t i = 0; i < var->GetCount(); ++i) {
            if (!var->IsUnresolved(i)) {
                continue;
            }
            const std::string target(var->GetString(i).CStr());
            if (optional && (target.empty() || target == String::ToUnderscoreLower(var->GetName()).CStr())) {
                continue;
            }
            std::string text;
            if (target.empty() && element.IsA("TextButton") && std::string(var->GetName()) == "icon") {
                continue; // a text button's icon is optional
            }
            if (target.empty()) {
                text = "link " + Quoted(var->GetName()) + " item " + std::to_string(i) + " is empty";
            } else if (var->IsResourceLink() || std::string(var->LinkedClassName()) == "Scene") {
                text = UnresolvedResourceText(var->LinkedClassName(), target, file.recording);
            } else {
                text = UnresolvedElementLinkText(file, *var, target);
            }
            if (hudChild) {
                // The level screen goes without a missing HUD child, but the author wants to know.
                file.report.Warning(file.path, Label(element) + ": the HUD goes without it: " + text);
            } else {
                file.report.Error(file.path, Label(element) + ": " + text);
            }
        }
    }
}

// Paths held as plain text by classes that look them up themselves.
void CheckBitmap(FileUnderCheck& file, Bitmap& bitmap) {
    const String path = FramePath(bitmap.SpritePath.FirstString().CStr(), bitmap.FrameIndex.FirstInt());
    if (!path.Empty() && !bitmap.GetSprite()) {
        file.report.Error(file.path, Label(bitmap) + ": " +
                                         UnresolvedResourceText("Sprite", path.CStr(), file.recording));
    }
}

// Animated markers show "framePath" formatted with each frame number of
// "frameRange"; every frame must load. Past kMostFrames the range is bad data
// and only its first frames are looked at.
void CheckMarkerFrames(FileUnderCheck& file, Element& element) {
    constexpr int32_t kMostFrames = 256;
    const Var* format = element.FindProperty("framePath");
    const Var* range = element.FindProperty("frameRange");
    if (!format || !range || format->GetType() != kVarString || format->FirstString().Empty()) {
        return;
    }
    const int32_t first = range->GetInt(0);
    const int32_t last = std::min(std::max(first, range->GetInt(1)), first + kMostFrames - 1);
    for (int32_t frame = first; frame <= last; ++frame) {
        const String path = FramePath(format->FirstString().CStr(), frame);
        if (!Resources::FindSprite(path.CStr())) {
            file.report.Error(file.path, Label(element) + ": frame " + std::to_string(frame) + ": " +
                                             UnresolvedResourceText("Sprite", path.CStr(), file.recording));
            return;
        }
    }
}

void CheckInstance(FileUnderCheck& file, Instance& instance) {
    const std::string path(instance.Path.FirstString().CStr());
    if (path.empty()) {
        return;
    }
    file.recording.MarkUsed(path);
    if (!Exists(path.c_str())) {
        file.report.Error(file.path, Label(instance) + ": scene " + Quoted(path) + " not found");
    }
}

void CheckSpeaker(FileUnderCheck& file, Speaker& speaker) {
    const std::string path(speaker.Sound.FirstString().CStr());
    // "null" is the speaker's own word for no sound.
    if (!path.empty() && path != "null" && !speaker.ResolvedSound()) {
        file.report.Error(file.path,
                          Label(speaker) + ": " + UnresolvedResourceText("Sound", path, file.recording));
    }
}

void CheckRegion(FileUnderCheck& file, Region& region) {
    std::vector<Vec2> vertices;
    const char* problem = nullptr;
    const std::string text(region.RegionText.FirstString().CStr());
    if (!ParsePolygon(text.c_str(), vertices, &problem)) {
        file.report.Error(file.path,
                          Label(region) + ": region " + Quoted(text) + " does not parse (" + problem + ")");
    } else if (vertices.size() < 3) {
        file.report.Error(file.path, Label(region) + ": region " + Quoted(text) + " has fewer than 3 points");
    }
}

// The children a frame group fades through: format(n) for some n in 0 … 999.
void CheckFrameGroup(FileUnderCheck& file, FrameGroup& group) {
    const char* format = group.format.FirstString().CStr();
    if (!*format) {
        return;
    }
    std::set<std::string> children;
    for (const Widget* child : group.Children()) {
        children.insert(child->GetName());
    }
    String name;
    for (int32_t n = 0; n < 1000; ++n) {
        if (!FormatOneInteger(format, n, name)) {
            file.report.Error(file.path, Label(group) + ": format " + Quoted(format) +
                                             " holds a directive other than one integer");
            return;
        }
        if (children.count(name.CStr())) {
            return;
        }
    }
    file.report.Error(file.path, Label(group) + ": format " + Quoted(format) + " names none of its " +
                                     std::to_string(children.size()) + " children");
}

void CheckEmitter(FileUnderCheck& file, Emitter& emitter) {
    const std::string sprite(emitter.SpritePath.FirstString().CStr());
    if (sprite.empty() && emitter.EmitterMode.FirstInt() == Emitter::kMode2D) {
        file.report.Warning(file.path, Label(emitter) + ": no SpritePath, so no particle is drawn");
    } else if (!sprite.empty() && !emitter.ParticleSprite()) {
        file.report.Error(file.path,
                          Label(emitter) + ": " + UnresolvedResourceText("Sprite", sprite, file.recording));
    }
    const std::string pattern(emitter.Pattern.FirstString().CStr());
    if (pattern.empty()) {
        return;
    }
    Element* shape = file.scene.FindElement(pattern.c_str());
    if (!shape || !(shape->IsA("Region") || shape->IsA("Bitmap"))) {
        file.report.Error(file.path, Label(emitter) + ": pattern " + Quoted(pattern) +
                                         " names no Region or Bitmap in this file");
    } else if (Bitmap* bitmap = ObjectCast<Bitmap>(shape); bitmap && !bitmap->GetSprite()) {
        file.report.Error(file.path,
                          Label(emitter) + ": pattern " + Quoted(pattern) + " has no picture to spawn on");
    }
}

// A button's face paths; a text button's frame pieces per state.
void CheckButton(FileUnderCheck& file, Button& button) {
    std::vector<const Var*> paths;
    if (TextButton* text = ObjectCast<TextButton>(&button)) {
        paths = {&text->Left, &text->Center, &text->Right};
    } else {
        paths = {&button.UpPath, &button.DownPath, &button.OverPath, &button.DisabledPath,
                 &button.HighlightPath};
    }
    for (const Var* var : paths) {
        for (int32_t i = 0; i < var->GetCount(); ++i) {
            const std::string path(var->GetString(i).CStr());
            if (!path.empty() && !Resources::FindSprite(path.c_str())) {
                file.report.Error(file.path, Label(button) + ": " + Quoted(var->GetName()) + ": " +
                                                 UnresolvedResourceText("Sprite", path, file.recording));
            }
        }
    }
}

// Why a channel of an animation played on this scene drives nothing.
std::string UnboundChannelText(FileUnderCheck& file, const std::string& channel) {
    const size_t dot = channel.find('.');
    const size_t second = dot == std::string::npos ? dot : channel.find('.', dot + 1);
    if (second == std::string::npos) {
        return "is not element.Property.item";
    }
    const std::string elementName = channel.substr(0, dot);
    const std::string property = channel.substr(dot + 1, second - dot - 1);
    Element* element = file.scene.FindElement(elementName.c_str());
    if (!element) {
        return "names no element " + Quoted(elementName) + " in this file";
    }
    Var* var = element->FindProperty(property.c_str());
    if (!var) {
        return "names no property " + Quoted(property) + " of " + Label(*element);
    }
    return "names an item past the " + std::to_string(var->GetCount()) + " of " + Quoted(property);
}

// Animations this scene links to are played on it: every channel should
// drive a property item of one of its elements.
void CheckAnimChannels(FileUnderCheck& file, Element& element) {
    for (Var* var : element.Properties()) {
        auto* link = dynamic_cast<Link<Anim>*>(var);
        if (!link) {
            continue;
        }
        for (int32_t i = 0; i < link->ResolvedCount(); ++i) {
            const Anim* anim = link->Get(i);
            if (!anim) {
                continue;
            }
            AnimControl control;
            control.Bind(&file.scene, anim);
            for (const AnimChannel& channel : anim->Channels()) {
                const auto& bound = control.Bindings();
                if (std::none_of(bound.begin(), bound.end(),
                                 [&](const auto& b) { return b.channel == &channel; })) {
                    file.report.Error(file.path, Label(element) + ": animation " +
                                                     Quoted(link->GetString(i).CStr()) + ": channel " +
                                                     Quoted(channel.name.CStr()) + " " +
                                                     UnboundChannelText(file, channel.name.CStr()));
                }
            }
        }
    }
}

void CheckResolvedElement(FileUnderCheck& file, Element& element) {
    if (!element.IsA("Globals")) {
        CheckLinks(file, element);
    }
    if (Bitmap* bitmap = ObjectCast<Bitmap>(&element)) {
        CheckBitmap(file, *bitmap);
    }
    if (Instance* instance = ObjectCast<Instance>(&element)) {
        CheckInstance(file, *instance);
    }
    CheckMarkerFrames(file, element);
    if (Speaker* speaker = ObjectCast<Speaker>(&element)) {
        CheckSpeaker(file, *speaker);
    }
    if (Region* region = ObjectCast<Region>(&element)) {
        CheckRegion(file, *region);
    }
    if (FrameGroup* group = ObjectCast<FrameGroup>(&element)) {
        CheckFrameGroup(file, *group);
    }
    if (Emitter* emitter = ObjectCast<Emitter>(&element)) {
        CheckEmitter(file, *emitter);
    }
    if (Button* button = ObjectCast<Button>(&element)) {
        CheckButton(file, *button);
    }
    CheckTextElement(file.path, file.report, file.recording, file.fonts, element);
    CheckLevelObject(file.path, file.report, element);
    CheckAnimChannels(file, element);
}

} // namespace

std::string UnresolvedResourceText(const char* className, const std::string& path,
                                   const Recording& recording) {
    std::string text = LowerCase(className) + " " + Quoted(path);
    if (!Exists(path.c_str())) {
        return text + " not found";
    }
    text += std::string(" cannot be loaded");
    const std::string reason = recording.LogLineAbout(path);
    return reason.empty() ? text : text + " (" + reason + ")";
}

SceneFileFacts CheckSceneFile(const std::string& path, CheckReport& report, Recording& recording) {
    SceneFileFacts facts;
    ConfigTable table;
    {
        Recording::Pause reading(recording);
        if (!table.Load(path.c_str())) {
            report.Error(path, "cannot be read");
            return facts;
        }
    }
    const int32_t listed = table.ValueCount("Widget");
    if (listed == 0) {
        report.Error(path, "does not load: it lists no elements under \"Widget\"");
        return facts;
    }
    std::vector<std::string> names;
    for (const String& name : table.At(table.Find("Widget")).values) {
        names.emplace_back(name.CStr());
    }
    Scene scene;
    FileUnderCheck file{path, report, recording, table, scene, {}, {}, {}, {}};
    if (EndsWith(path, ".widget") && names.size() > 1) {
        report.Warning(path, "only the first of the " + std::to_string(names.size()) +
                                 " elements listed under \"Widget\" is read (" + Quoted(names[0]) + ")");
        file.unread.insert(names.begin() + 1, names.end());
        file.unread.erase(names[0]);
        names.resize(1);
    }
    CheckListedClasses(file, names);
    recording.TakeLog();
    BuildScene(table, scene);
    for (const std::string& line : recording.TakeLog()) {
        report.Warning(path, line);
    }
    facts.loaded = true;
    CheckKeys(file);

    // As on the scene's first update: every element resolves its links.
    for (const std::string& name : file.built) {
        if (Element* element = scene.FindElement(name.c_str())) {
            element->Resolve();
        }
    }
    for (const std::string& name : file.built) {
        if (Element* element = scene.FindElement(name.c_str())) {
            CheckResolvedElement(file, *element);
            facts.holdsScreen = facts.holdsScreen || element->IsA("Screen");
        }
    }
    recording.TakeLog();
    return facts;
}
