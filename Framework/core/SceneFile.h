#pragma once
// Scene and element files: building element trees from a ConfigTable and
// writing them back.
//
// Key layout:
//   Widget              the names of all elements, one value each, in creation order
//   NAME.Type           the registered class name
//   NAME.Parent         the parent widget's name (widgets only); a name that is
//                       no widget of the file puts the widget at the top level
//   NAME.PROPERTY       the property's items in order, one value per item
// Only properties with the Saved flag are written and read, and a file can
// never add items to a property or remove any: extra values are ignored and
// missing ones keep their defaults.

#include <memory>

class ConfigTable;
class Element;
class Scene;

/// Writes one element: its name to "Widget", its class and its saved properties.
void SaveProperties(Element& element, ConfigTable& table);
/// Reads the saved properties of the element named by its "Name".
bool LoadProperties(Element& element, ConfigTable& table);
/// Creates and links the elements listed in "Widget"; false when it lists
/// none, or when the load was told to stop (core/LoadStop.h) part of the way.
bool BuildScene(ConfigTable& table, Scene& scene);
/// Writes every element of the scene into an empty table.
void SaveScene(Scene& scene, ConfigTable& table);
/// Reads the single element of a ".widget" file into the scene; null on failure.
Element* LoadWidgetFile(Scene& scene, const char* path);
/// Loads a scene file as a new, resolved scene owned by the caller; null when
/// the file cannot be read, lists no element, or its load was told to stop.
std::unique_ptr<Scene> LoadScene(const char* path);
