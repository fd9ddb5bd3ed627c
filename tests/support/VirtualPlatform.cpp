#include "support/VirtualPlatform.h"

#include "platform/InputCallback.h"

#include <cmath>

namespace testing_support {

VirtualPlatform::VirtualPlatform(uint64_t ticksPerSecond, uint64_t startCounter)
    : counter(startCounter), frequency(ticksPerSecond) {}

void VirtualPlatform::Sleep(uint32_t milliseconds) {
    sleeps.push_back(milliseconds);
    Advance(milliseconds / 1000.0 + sleepCost);
}

void VirtualPlatform::PumpEvents(InputCallback& callback) {
    ++pumps;
    for (const ScheduledEvent& scheduled : script) {
        if (scheduled.pump == pumps) {
            scheduled.event(callback);
        }
    }
    if (closePending) {
        closePending = false;
        callback.OnClose();
    }
}

void VirtualPlatform::Advance(double seconds) {
    counter += static_cast<uint64_t>(std::llround(seconds * static_cast<double>(frequency)));
}

void VirtualPlatform::Schedule(int pump, Event event) {
    script.push_back({pump, std::move(event)});
}

bool VirtualPlatform::SetWindowFullscreen(bool on) {
    if (on == fullscreen) {
        return false;
    }
    fullscreen = on;
    windowCalls.push_back(on ? "fullscreen" : "windowed");
    return true;
}

} // namespace testing_support
