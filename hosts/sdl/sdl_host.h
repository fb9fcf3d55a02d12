// The SDL host: a real window showing the phone's screen, keyboard and game controller
// input, the host clock and the beep.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "hosts/host_options.h"
#include "platform/os/single_instance.h"
#include "platform/window/window_system.h"

class SdlHost : public plat::Host {
  public:
    SdlHost(const HostOptions& options, plat::SingleInstance* instance);
    ~SdlHost() override;
    // False (with a message printed) when there is no display or SDL cannot start.
    bool Open();

    uint64_t NowMs() override { return SDL_GetTicks64(); }
    void WaitForEvents(int64_t timeoutMs) override;
    void PollEvents() override;
    void Present(const plat::Surface& screen, bool waitCursor) override;
    void BringToFront() override;
    void Wake() override;
    void Beep() override;
    void PlaySamples(const std::vector<int16_t>& interleaved, int rate, int channels,
                     bool sync) override;
    bool ScreenSaverAllowed() const override;
    void SetScreenSaverAllowed(bool allowed) override;

  private:
    void Handle(const SDL_Event& event);
    void Key(unsigned vk, bool down, bool repeat);
    void CheckRaise();

    HostOptions options_;
    plat::SingleInstance* instance_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_AudioDeviceID audio_ = 0;
    SDL_AudioSpec audioSpec_{};
    uint32_t wakeEvent_ = 0;
    unsigned heldKey_ = 0;
    int heldRepeat_ = 0;
};
