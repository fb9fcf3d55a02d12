// A host for tests that drive the window system inside the test process: one queued action
// per wait, a virtual clock, and with nothing left to do it ends the innermost open loop.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "platform/window/window_system.h"

namespace testing_support {

class ScriptHost : public plat::Host {
  public:
    uint64_t NowMs() override { return now; }
    void WaitForEvents(int64_t timeoutMs) override {
        if (!actions.empty()) {
            auto action = actions.front();
            actions.pop_front();
            action();
            return;
        }
        if (timeoutMs >= 0) {
            now += static_cast<uint64_t>(timeoutMs);
            return;
        }
        auto& ws = plat::WindowSystem::Get();
        if (!ws.Modals().empty()) {
            ws.Modals().back().cancel();
        }
    }
    void PollEvents() override {}
    void Present(const plat::Surface&, bool) override {}

    std::deque<std::function<void()>> actions;
    uint64_t now = 1000;
};

}  // namespace testing_support
