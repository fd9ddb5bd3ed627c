#include "platform/CloseSignals.h"

#include <csignal>

namespace {
volatile sig_atomic_t closeSignalArrived = 0;
bool installed = false;
struct sigaction previousInterrupt {};
struct sigaction previousTerminate {};

void OnCloseSignal(int) {
    closeSignalArrived = 1;
}
} // namespace

void InstallCloseSignalHandlers() {
    if (installed) {
        return;
    }
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    // Restarted system calls keep file reads from failing half-way; sleeps
    // are never restarted, so the loop still notices the request at once.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, &previousInterrupt);
    sigaction(SIGTERM, &action, &previousTerminate);
    installed = true;
}

void RestoreCloseSignalHandlers() {
    if (!installed) {
        return;
    }
    sigaction(SIGINT, &previousInterrupt, nullptr);
    sigaction(SIGTERM, &previousTerminate, nullptr);
    installed = false;
}

bool TakeCloseSignal() {
    if (!closeSignalArrived) {
        return false;
    }
    closeSignalArrived = 0;
    return true;
}

bool CloseSignalPending() {
    return closeSignalArrived != 0;
}
