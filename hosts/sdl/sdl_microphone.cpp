#include "hosts/sdl/sdl_microphone.h"

bool SdlMicrophone::Open(int rate) {
    Close();
    if (rate <= 0 || SDL_WasInit(SDL_INIT_AUDIO) == 0 || SDL_GetNumAudioDevices(1) == 0) {
        return false;
    }
    SDL_AudioSpec want{};
    want.freq = rate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 512;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts whatever the device delivers to this format.
    device_ = SDL_OpenAudioDevice(nullptr, 1, &want, &have, 0);
    if (device_ == 0) {
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void SdlMicrophone::Read(std::vector<int16_t>* samples) {
    if (device_ == 0) {
        return;
    }
    int16_t chunk[1024];
    for (;;) {
        const Uint32 got = SDL_DequeueAudio(device_, chunk, sizeof chunk);
        if (got == 0) {
            break;
        }
        samples->insert(samples->end(), chunk, chunk + got / sizeof(int16_t));
    }
}

void SdlMicrophone::Close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
}
