#pragma once
// DeferredQueue: stands in for the input manager's queue of deferred
// messages in tests of code that posts (code, data, delay) through a poster
// (the screen services, the music channel).
//
// Every posted message is kept in `posted`, in order, for tests that look at
// what was posted; it is also pending until Run delivers it. Run is one frame
// as the game runs it: a pending message whose delay has run out (0 or less)
// is delivered, the others count down by the frame's seconds, so a message
// posted with delay d arrives on the first frame after frames totalling d.
// A message posted while one is delivered joins the same walk.

#include <cstdint>
#include <functional>
#include <vector>

namespace testing_support {

class DeferredQueue {
public:
    struct Message {
        int32_t code = 0;
        void* data = nullptr;
        float delay = 0.0f;
    };
    using Deliver = std::function<void(int32_t code, void* data)>;

    /// The poster to install; it records into this queue, which must outlive it.
    std::function<void(int32_t code, void* data, float delay)> Poster() {
        return [this](int32_t code, void* data, float delay) {
            posted.push_back({code, data, delay});
            pending.push_back({code, data, delay});
        };
    }

    /// One frame of `seconds`: delivers the due messages, counts the others down.
    void Run(float seconds, const Deliver& deliver) {
        for (size_t i = 0; i < pending.size();) {
            if (pending[i].delay > 0.0f) {
                pending[i].delay -= seconds;
                ++i;
                continue;
            }
            const Message due = pending[i];
            pending.erase(pending.begin() + long(i));
            deliver(due.code, due.data);
        }
    }

    /// Every message posted, as posted.
    std::vector<Message> posted;
    /// The messages not delivered yet, with what is left of their delays.
    std::vector<Message> pending;
};

} // namespace testing_support
