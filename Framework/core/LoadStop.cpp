#include "core/LoadStop.h"

#include <utility>

namespace {
std::function<bool()>& StopCheck() {
    // Built on first use, so that no exit-time destructor order matters.
    static auto* check = new std::function<bool()>();
    return *check;
}
} // namespace

void SetLoadStopCheck(std::function<bool()> check) {
    StopCheck() = std::move(check);
}

bool LoadShouldStop() {
    const std::function<bool()>& check = StopCheck();
    return check && check();
}
