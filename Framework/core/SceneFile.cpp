#include "core/SceneFile.h"

#include "core/ClassRegistry.h"
#include "core/ConfigTable.h"
#include "core/Link.h"
#include "core/LoadStop.h"
#include "core/Log.h"
#include "core/Scene.h"

#include <vector>

namespace {

String PropertyKey(const char* elementName, const char* suffix) {
    String key(elementName);
    key.Append(".");
    key.Append(suffix);
    return key;
}

// A new element of the registered class, or null (unknown class, or a class
// that does not make elements).
Element* CreateElementOfClass(const String* className) {
    if (!className) {
        return nullptr;
    }
    Object* object = CreateObject(className->CStr());
    if (object && !object->IsA("Element")) {
        delete object;
        object = nullptr;
    }
    return static_cast<Element*>(object);
}

// How often building a scene asks whether to stop: a few hundred elements
// take about a millisecond, so a close request is seen at once and the
// question costs nothing next to the building.
constexpr size_t kElementsBetweenStopChecks = 256;

enum class Built { Elements, Nothing, Stopped };

} // namespace

void SaveProperties(Element& element, ConfigTable& table) {
    const char* name = element.GetName();
    table.AddString("Widget", name);
    table.AddString(PropertyKey(name, "Type").CStr(), element.GetClassName());
    String key;
    for (Var* var : element.Properties()) {
        if (!var->HasFlag(Var::kSaved)) {
            continue;
        }
        key = PropertyKey(name, var->name);
        for (int32_t i = 0; i < var->GetCount(); ++i) {
            table.AddString(key.CStr(), var->ItemText(i).CStr());
        }
    }
}

bool LoadProperties(Element& element, ConfigTable& table) {
    String name(element.GetName());
    String key;
    for (Var* var : element.Properties()) {
        if (!var->HasFlag(Var::kSaved)) {
            continue;
        }
        key = PropertyKey(name.CStr(), var->name);
        int32_t index = table.Find(key.CStr());
        if (index < 0) {
            continue;
        }
        const auto& values = table.At(index).values;
        const int32_t count = var->GetCount();
        for (int32_t i = 0; i < count && static_cast<size_t>(i) < values.size(); ++i) {
            var->SetItemFromText(i, values[static_cast<size_t>(i)].CStr());
        }
    }
    return true;
}

namespace {

Built BuildElements(ConfigTable& table, Scene& scene) {
    const int32_t count = table.ValueCount("Widget");
    if (count == 0) {
        return Built::Nothing;
    }
    // The "Widget" entry's values are copied: creating elements never touches
    // the table, but the names must outlive any later re-sort.
    const auto& widgetNames = table.At(table.Find("Widget")).values;
    std::vector<String> names(widgetNames.begin(), widgetNames.end());
    std::vector<Element*> created(names.size(), nullptr);

    for (size_t i = 0; i < names.size(); ++i) {
        if (i % kElementsBetweenStopChecks == kElementsBetweenStopChecks - 1 && LoadShouldStop()) {
            LogFormat("LoadScene: %s: the load stops after %zu of its %zu elements (a close request)",
                      table.Path().CStr(), i, names.size());
            return Built::Stopped;
        }
        const char* name = names[i].CStr();
        Element* element = CreateElementOfClass(table.Value(0, PropertyKey(name, "Type").CStr()));
        if (!element) {
            continue; // missing or unregistered type: skipped silently
        }
        element->Name.SetFirstString(name);
        LoadProperties(*element, table);
        scene.AddElement(element, name);
        created[i] = element;
    }

    for (size_t i = 0; i < names.size(); ++i) {
        Widget* widget = ObjectCast<Widget>(created[i]);
        if (!widget) {
            continue;
        }
        Widget* parent = &scene;
        if (const String* parentName = table.Value(0, PropertyKey(names[i].CStr(), "Parent").CStr())) {
            if (Widget* named = ObjectCast<Widget>(scene.FindElement(parentName->CStr()))) {
                parent = named;
            }
        }
        const int32_t refusalsBefore = scene.nestingRefusals;
        if (!AttachChild(parent, widget)) {
            // The file makes the widget its own ancestor, or nests it too
            // deep; the top level is the one place that keeps it drawn and
            // reachable (too deep a tree of its own stays out of the scene's).
            if (scene.nestingRefusals != refusalsBefore) {
                AttachChild(&scene, widget);
                continue;
            }
            LogFormat("BuildScene: %s: widget %s cannot hang below %s (a cycle of parents); it stays at the "
                      "top level",
                      table.Path().CStr(), names[i].CStr(), parent->GetName());
            AttachChild(&scene, widget);
        }
    }
    return Built::Elements;
}

} // namespace

bool BuildScene(ConfigTable& table, Scene& scene) {
    return BuildElements(table, scene) == Built::Elements;
}

void SaveScene(Scene& scene, ConfigTable& table) {
    // Every key each element will write exists once before any value is added,
    // so adding never has to re-sort a growing table.
    for (const auto& entry : scene.Elements().Entries()) {
        const char* name = entry.value->GetName();
        for (Var* var : entry.value->Properties()) {
            table.InsertKey(PropertyKey(name, var->name).CStr());
        }
        table.InsertKey(PropertyKey(name, "Type").CStr());
        table.InsertKey(PropertyKey(name, "Parent").CStr());
    }
    table.InsertKey("Widget");
    table.SortAndMerge();

    for (const auto& entry : scene.Elements().Entries()) {
        Element* element = entry.value;
        SaveProperties(*element, table);
        Widget* widget = ObjectCast<Widget>(element);
        if (widget && widget->Parent()) {
            table.AddString(PropertyKey(element->GetName(), "Parent").CStr(), widget->Parent()->GetName());
        }
    }
}

Element* LoadWidgetFile(Scene& scene, const char* path) {
    ConfigTable table;
    if (!table.Load(path)) {
        return nullptr;
    }
    const String* name = table.Value(0, "Widget");
    if (!name) {
        return nullptr;
    }
    String elementName(*name);
    Element* element = CreateElementOfClass(table.Value(0, PropertyKey(elementName.CStr(), "Type").CStr()));
    if (!element) {
        return nullptr;
    }
    element->Name.SetFirstString(elementName.CStr());
    LoadProperties(*element, table);
    if (Widget* widget = ObjectCast<Widget>(element)) {
        AttachChild(&scene, widget);
    }
    scene.AddElement(element, elementName.CStr());
    element->Resolve();
    element->ClearChangedMarks();
    element->OnLoaded();
    return element;
}

std::unique_ptr<Scene> LoadScene(const char* path) {
    ConfigTable table;
    if (!table.Load(path)) {
        return nullptr;
    }
    auto scene = std::make_unique<Scene>();
    // A stopped load hands back nothing: half a scene would be shown, or
    // saved over the whole one.
    if (BuildElements(table, *scene) != Built::Elements) {
        return nullptr;
    }
    scene->Resolve();
    if (scene->IsDirty()) {
        scene->ClearChangedMarks();
    }
    scene->OnLoaded();
    return scene;
}
