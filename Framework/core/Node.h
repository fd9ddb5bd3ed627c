#pragma once
// Node: the property container every element is built on.
//
// Properties are Var members of the derived classes, registered in
// declaration order; the node keeps them in that order and finds one by name
// with a walk over that list. An element has a few dozen properties at most
// and is looked up by name only when it is loaded, animated or scripted,
// never per frame, so a per-element sorted index would cost far more memory
// (every element of a large scene carried one) than the walk costs time.
// The node does not own the variables.

#include "core/Object.h"

#include <vector>

class Var;

class Node : public Object {
    ENGINE_CLASS(Node, Object)

public:
    Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    /// When dirty, resolves every property (links look up their targets).
    virtual bool Resolve();
    /// True when any property carries the Changed mark.
    virtual bool IsDirty() const;

    /// Adds the variable under its name and sets its owner's index entry;
    /// false when a property of that name exists.
    bool RegisterPropertyEntry(Var* var);
    /// The property of that name, or null.
    Var* FindProperty(const char* name);
    /// Properties in declaration order.
    const std::vector<Var*>& Properties() const { return properties; }
    /// Clears the Changed mark of every property.
    void ClearChangedMarks();

private:
    std::vector<Var*> properties;
};
