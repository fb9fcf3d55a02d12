// The headless host: no window, a virtual clock, keys from a script, screenshots and the
// state as JSON.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "hosts/host_options.h"
#include "platform/window/window_system.h"

class HeadlessHost : public plat::Host {
  public:
    explicit HeadlessHost(const HostOptions& options);

    uint64_t NowMs() override { return now_; }
    void WaitForEvents(int64_t timeoutMs) override;
    void PollEvents() override {}
    void Present(const plat::Surface&, bool) override {}
    // A message was posted (possibly by a worker thread).
    void Wake() override { posted_.store(true); }
    // Nothing is heard; a synchronous sound takes its playing time on the virtual clock.
    void PlaySamples(const std::vector<int16_t>& interleaved, int rate, int channels,
                     bool sync) override;

    // False when the script has a token this host does not know (it names it in `error`).
    bool ScriptValid(std::string* error) const;

  private:
    void NextToken();
    void EndOfScript();
    bool WriteOutputs(const std::string& shot, const std::string& state);
    void SetNow(uint64_t now);

    HostOptions options_;
    std::vector<std::string> tokens_;
    size_t next_ = 0;
    uint64_t now_ = 0;
    uint64_t waitUntil_ = 0;
    bool outputsWritten_ = false;
    bool exitRequested_ = false;
    int idleAfterExit_ = 0;
    std::atomic<bool> posted_{false};
};

// Key tokens of the script and their virtual keys; 0 for an unknown token.
unsigned KeyOfToken(const std::string& token);
