// SIGINT, SIGTERM and SIGHUP close the program the way closing its window does: the hosts
// look for them while they wait for input and then end the program as "Exit" does.
#pragma once

// Installs the handlers (once, before the program starts).
void InstallCloseSignals();
// True once after a close signal arrived.
bool TakeCloseSignal();
