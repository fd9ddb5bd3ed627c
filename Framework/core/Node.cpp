#include "core/Node.h"

#include "core/Var.h"

bool Node::Resolve() {
    if (IsDirty()) {
        for (Var* var : properties) {
            var->Resolve();
        }
    }
    return true;
}

bool Node::IsDirty() const {
    for (const Var* var : properties) {
        if (var->IsChanged()) {
            return true;
        }
    }
    return false;
}

bool Node::RegisterPropertyEntry(Var* var) {
    if (!var || !var->name || propertyIndex.FindEntry(var->name)) {
        return false;
    }
    propertyIndex.Insert(var->name, var);
    properties.push_back(var);
    return true;
}

Var* Node::FindProperty(const char* name) {
    return propertyIndex.Find(name);
}

void Node::ClearChangedMarks() {
    for (Var* var : properties) {
        var->ClearChanged();
    }
}
