#include "ui/DeferredTexts.h"

void* DeferredTexts::Keep(const char* text) {
    texts.push_back(std::make_unique<String>(text ? text : ""));
    return texts.back().get();
}

bool DeferredTexts::Take(void* data, String& out) {
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        if (it->get() == data) {
            out = **it;
            texts.erase(it);
            return true;
        }
    }
    return false;
}
