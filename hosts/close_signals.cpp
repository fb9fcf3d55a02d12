#include "hosts/close_signals.h"

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t closeSignalled = 0;

void OnCloseSignal(int) {
    closeSignalled = 1;
}

}  // namespace

void InstallCloseSignals() {
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in progress returns, so the signal is seen at once.
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(sig, &action, nullptr);
    }
}

bool TakeCloseSignal() {
    if (!closeSignalled) {
        return false;
    }
    closeSignalled = 0;
    return true;
}
