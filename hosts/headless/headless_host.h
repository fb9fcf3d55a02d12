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

    // False when the script has a token this host does not know or a bad value (named in
    // `error`).
    bool ScriptValid(std::string* error) const;
    // A screenshot or state file could not be written.
    bool OutputFailed() const { return outputFailed_; }

    // The microphone reads the --mic sound file in virtual time: while recording, the clock's
    // progress takes as much of it; past its end, and without --mic, it hears silence.
    bool OpenMicrophone(int rate) override;
    void ReadMicrophone(std::vector<int16_t>* samples) override;
    void CloseMicrophone() override;
    // Reads the --mic file; false (with the reason in `error`) when it is not a sound file.
    bool LoadMicrophone(std::string* error);

  private:
    void NextToken();
    void EndOfScript();
    bool WriteOutputs(const std::string& shot, const std::string& state);
    void SetNow(uint64_t now);
    void ReportOutputFailure(const std::string& file, int error);
    void CloseWindow();

    HostOptions options_;
    std::vector<std::string> tokens_;
    size_t next_ = 0;
    uint64_t now_ = 0;
    uint64_t waitUntil_ = 0;
    bool outputsWritten_ = false;
    bool exitRequested_ = false;
    bool outputFailed_ = false;
    bool closed_ = false;
    int idleAfterExit_ = 0;
    std::atomic<bool> posted_{false};

    // The --mic sound, mixed to one channel, at its own rate; then at the rate last asked for.
    std::vector<float> micSource_;
    int micSourceRate_ = 0;
    std::vector<int16_t> micSamples_;
    int micRate_ = 0;
    // Samples of micSamples_ heard so far (over every recording), and the current recording.
    size_t micPosition_ = 0;
    bool micOpen_ = false;
    uint64_t micOpenedAt_ = 0;
    uint64_t micDelivered_ = 0;
};

// The script token that closes the window, as a window manager would.
constexpr const char* kCloseToken = "close";

// Key tokens of the script and their virtual keys; 0 for an unknown token.
unsigned KeyOfToken(const std::string& token);
