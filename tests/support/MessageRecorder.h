#pragma once
// An element that stands in for a screen or a message parent: it keeps every
// message it is sent, with its sender, and consumes it.

#include "core/Element.h"

#include <cstdint>
#include <vector>

namespace testing_support {

class MessageRecorder : public Element {
    ENGINE_CLASS(MessageRecorder, Element)
public:
    bool Message(int32_t message, Object* sender) override {
        received.push_back(message);
        senders.push_back(sender);
        return true;
    }
    std::vector<int32_t> received;
    std::vector<Object*> senders;
};

} // namespace testing_support
