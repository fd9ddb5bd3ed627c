#include "core/Node.h"

#include "core/Var.h"

#include <cstring>

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
    if (!var || !var->name || FindProperty(var->name)) {
        return false;
    }
    properties.push_back(var);
    return true;
}

Var* Node::FindProperty(const char* name) {
    if (!name) {
        return nullptr;
    }
    // Declarations name their properties with literals, so the same pointer
    // usually means the same name; the text decides otherwise.
    for (Var* var : properties) {
        if (var->name == name || std::strcmp(var->name, name) == 0) {
            return var;
        }
    }
    return nullptr;
}

void Node::ClearChangedMarks() {
    for (Var* var : properties) {
        var->ClearChanged();
    }
}
