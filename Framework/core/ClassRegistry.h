#pragma once
// The class registry: a process-wide table that creates objects by class name.
//
// Scene files name the class of each element; the registry maps that name to
// a factory. Entries are appended unsorted and sorted by name (byte-wise) on
// the next look-up. Categories group classes for tools; the category list
// keeps the order in which each non-empty category was first registered.

#include "core/String.h"

#include <functional>
#include <vector>

class Object;

using ClassFactory = Object* (*)();

struct ClassEntry {
    ClassFactory factory = nullptr;
    String className;
    String category;
};

/// Adds a class; false (nothing added) when the name is already registered.
bool RegisterClass(const char* name, ClassFactory factory, const char* category);
/// Exact, case-sensitive look-up; null when absent.
const ClassEntry* FindClass(const char* name);
/// A new object of the named class, or null for an unknown name.
Object* CreateObject(const char* name);
/// Every entry, sorted by class name.
const std::vector<ClassEntry>& RegisteredClasses();
/// Distinct non-empty categories in order of first registration.
const std::vector<String>& ClassCategories();
/// Empties the registry (at shut-down).
void ClearRegistry();

/// The factory for any default-constructible class.
template <typename T> Object* MakeObject() {
    return new T();
}
