// Starting the program on a host: the device root, the single-instance rule, the registry,
// the window system, then the program's own start-up and message loop.
#pragma once

#include <memory>

#include "hosts/host_options.h"
#include "platform/os/single_instance.h"
#include "platform/window/window_system.h"

class AppRunner {
  public:
    // Exit codes.
    static constexpr int kStartFailed = 1;
    static constexpr int kAnotherRunning = 3;

    explicit AppRunner(const HostOptions& options) : options_(options) {}
    // Prepares the device root and the instance lock; returns -1 to go on, or an exit code
    // (another copy runs: it was asked to come forward).
    int Prepare(int exitCodeWhenOtherRuns);
    // Runs the program on `host` until it ends; returns its exit code.
    int Run(plat::Host* host);
    plat::SingleInstance& Instance() { return instance_; }
    const std::string& HostRoot() const { return hostRoot_; }

  private:
    HostOptions options_;
    std::string hostRoot_;
    plat::SingleInstance instance_;
};
