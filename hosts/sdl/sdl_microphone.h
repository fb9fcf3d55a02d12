// The SDL host's microphone: SDL audio capture, converted by SDL to mono 16-bit samples at
// the rate the program asks for. SDL's audio subsystem must be running.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

class SdlMicrophone {
  public:
    SdlMicrophone() = default;
    ~SdlMicrophone() { Close(); }
    SdlMicrophone(const SdlMicrophone&) = delete;
    SdlMicrophone& operator=(const SdlMicrophone&) = delete;

    // Opens the default capture device and starts capturing; false when there is none.
    bool Open(int rate);
    // Appends what was captured since the last call.
    void Read(std::vector<int16_t>* samples);
    void Close();
    bool IsOpen() const { return device_ != 0; }

  private:
    SDL_AudioDeviceID device_ = 0;
};
