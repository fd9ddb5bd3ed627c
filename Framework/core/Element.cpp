#include "core/Element.h"

#include "core/FrameTime.h"

Element::Element() {
    DeclareString("Name", Name, 1, this, "NewElement");
    DeclareBool("Locked", Locked, 1, this, false);
    DeclareBool("blockInput", blockInput, 1, this, true);
}

Element::~Element() = default;

void Element::Update() {
    const float step = frameTime;
    for (size_t i = 0; i < messages.size();) {
        DelayedMessage& entry = messages[i];
        if (entry.delay <= 0.0f) {
            // Delivery may post or cancel messages of this element; take the
            // entry out first so the handler sees a consistent list.
            int32_t message = entry.message;
            Object* sender = entry.sender;
            messages.erase(messages.begin() + static_cast<std::ptrdiff_t>(i));
            Message(message, sender);
            continue;
        }
        if (!entry.frozen) {
            entry.delay -= step * entry.rate;
        }
        ++i;
    }
}

bool Element::Message(int32_t message, Object* sender) {
    return messageParent ? messageParent->Message(message, sender) : false;
}

bool Element::HasUnresolvedSavedLinks() const {
    for (const Var* property : Properties()) {
        if (property->HasFlag(Var::kSaved) && property->HasUnresolved()) {
            return true;
        }
    }
    return false;
}

bool Element::RegisterProperty(Var* var) {
    if (!RegisterPropertyEntry(var)) {
        return false;
    }
    var->owner = this;
    return true;
}

bool Element::CopyPropertiesFrom(Element& other) {
    if (!IsA(other.GetClassName())) {
        return false;
    }
    for (Var* source : other.Properties()) {
        if (Var* target = FindProperty(source->name)) {
            target->CopyFrom(*source);
        }
    }
    return true;
}

void Element::QueueMessage(int32_t message, float delay, uint8_t flag, Object* sender) {
    messages.push_back(DelayedMessage{delay, message, 0, flag, 1.0f, sender});
}

void Element::PostMessage(int32_t message, float delay, uint8_t flag, Object* sender) {
    for (DelayedMessage& entry : messages) {
        if (entry.message == message) {
            entry.delay = delay;
            return;
        }
    }
    QueueMessage(message, delay, flag, sender);
}

void Element::CancelMessage(int32_t message) {
    std::erase_if(messages, [message](const DelayedMessage& entry) { return entry.message == message; });
}
