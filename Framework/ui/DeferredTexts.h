#pragma once
// DeferredTexts: the texts that travel as the data of deferred messages
// (screenshot names, the names the game sends).
//
// A deferred message carries one pointer-sized value. Keep makes an owned
// copy of a text and answers the pointer to send; Take, on delivery, hands
// the text back and frees the copy. Copies whose message never arrives (the
// receiver was removed before delivery, or the program ended first) are
// freed by Clear or the destructor, and a pointer that is not one of ours is
// refused instead of being read. Main thread only.

#include "core/String.h"

#include <memory>
#include <vector>

class DeferredTexts {
public:
    /// An owned copy of `text` (null counts as empty) and its message data.
    void* Keep(const char* text);
    /// The text of `data` into `out`, freeing the copy; false (out
    /// untouched) when `data` is not a kept copy.
    bool Take(void* data, String& out);
    /// Frees every copy still waiting.
    void Clear() { texts.clear(); }
    size_t Count() const { return texts.size(); }

private:
    std::vector<std::unique_ptr<String>> texts;
};
