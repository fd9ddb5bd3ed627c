#pragma once
// Element: a named object with declared properties, owned by a scene.
//
// Elements receive per-frame updates, input through the scene's traversals
// and messages: integer codes that an element passes on to its message
// parent when it does not handle them. Delayed messages run down by
// frameTime × rate each update and are delivered when their delay reaches 0,
// so a message posted with delay 0 arrives at the owner's next update.

#include "core/Node.h"
#include "core/Var.h"

#include <cstdint>
#include <vector>

class Scene;

/// One queued message of an element.
struct DelayedMessage {
    float delay = 0.0f;
    int32_t message = 0;
    uint8_t frozen = 0; ///< while non-zero the delay does not run down
    uint8_t flag = 0;   ///< stored for the poster
    float rate = 1.0f;
    Object* sender = nullptr; ///< not owned; an element, a sound or null
};

class Element : public Node {
    ENGINE_CLASS(Element, Node)

public:
    Element();
    ~Element() override;

    /// Runs down the delayed messages and delivers the due ones.
    virtual void Update();
    /// True when this element takes the cursor (widgets: the cursor is over it).
    virtual bool HoverTest() { return false; }
    virtual void MouseEnter() {}
    virtual void MouseLeave() {}
    /// True when the button event was consumed.
    virtual bool MouseButton(int32_t /*button*/, bool /*pressed*/) { return false; }
    virtual bool Key(int32_t /*key*/, bool /*pressed*/, bool /*repeat*/) { return false; }
    virtual bool Char(int32_t /*character*/) { return false; }
    /// Passes the message to the message parent when there is one.
    virtual bool Message(int32_t message, Object* sender);
    /// Called once after the element's scene has been loaded and resolved.
    virtual bool OnLoaded() { return false; }
    virtual bool Reserved() { return false; }

    /// True when one of the saved properties is a link with an item that did
    /// not resolve (or has not been resolved yet). A screen or control does
    /// nothing while this holds, so that an incomplete scene file yields an
    /// inert element instead of a failure.
    bool HasUnresolvedSavedLinks() const;

    /// Registers a declared variable with this element and sets its owner.
    bool RegisterProperty(Var* var);
    /// Copies the values of every property `other` has into the property of the
    /// same name here (counts must match); requires IsA(other's class).
    bool CopyPropertiesFrom(Element& other);

    /// Appends a delayed message (rate 1, not frozen).
    void QueueMessage(int32_t message, float delay, uint8_t flag = 0, Object* sender = nullptr);
    /// As QueueMessage, except that an entry with the same message only gets
    /// its delay set to the new value.
    void PostMessage(int32_t message, float delay, uint8_t flag = 0, Object* sender = nullptr);
    /// Removes every entry with that message.
    void CancelMessage(int32_t message);
    std::vector<DelayedMessage>& Messages() { return messages; }

    const char* GetName() const { return Name.FirstString().CStr(); }

    Element* messageParent = nullptr;
    Scene* scene = nullptr;

    Var Name;
    Var Locked;
    Var blockInput;

protected:
    std::vector<DelayedMessage> messages;
};
