#include "hosts/sdl/sdl_host.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/main_window.h"

SdlHost::SdlHost(const HostOptions& options, plat::SingleInstance* instance)
    : options_(options), instance_(instance) {}

SdlHost::~SdlHost() {
    if (audio_)
        SDL_CloseAudioDevice(audio_);
    if (texture_)
        SDL_DestroyTexture(texture_);
    if (renderer_)
        SDL_DestroyRenderer(renderer_);
    if (window_)
        SDL_DestroyWindow(window_);
    SDL_Quit();
}

bool SdlHost::Open() {
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "velloran: cannot start SDL: %s\n", SDL_GetError());
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0 ||
        std::strcmp(driver, "evdev") == 0) {
        std::fprintf(stderr,
                     "velloran: there is no display to open a window on.\n"
                     "Run it headless instead, e.g.:\n"
                     "  velloran --headless --keys \"Right Enter\" --screenshot screen.png\n");
        return false;
    }
    // Sound for the beep: the default driver, else the silent one so nothing fails later.
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        SDL_InitSubSystem(SDL_INIT_AUDIO);
    }
    SDL_AudioSpec want{};
    want.freq = 22050;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &audioSpec_, 0);
    if (!audio_) {
        // No sound card: the silent driver keeps sound calls working instead of failing.
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        SDL_setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            audio_ = SDL_OpenAudioDevice(nullptr, 0, &want, &audioSpec_, 0);
        }
    }
    if (audio_) {
        SDL_PauseAudioDevice(audio_, 0);
    }

    window_ = SDL_CreateWindow("Velloran", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               options_.screenWidth * options_.scale,
                               options_.screenHeight * options_.scale, SDL_WINDOW_SHOWN);
    if (!window_) {
        std::fprintf(stderr, "velloran: cannot open a window: %s\n", SDL_GetError());
        return false;
    }
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
        std::fprintf(stderr, "velloran: cannot draw in the window: %s\n", SDL_GetError());
        return false;
    }
    SDL_RenderSetLogicalSize(renderer_, options_.screenWidth, options_.screenHeight);
    texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_BGR24, SDL_TEXTUREACCESS_STREAMING,
                                 options_.screenWidth, options_.screenHeight);
    if (!texture_) {
        std::fprintf(stderr, "velloran: cannot make the screen texture: %s\n", SDL_GetError());
        return false;
    }
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_IsGameController(i))
            SDL_GameControllerOpen(i);
    }
    wakeEvent_ = SDL_RegisterEvents(1);
    SDL_StartTextInput();
    SDL_DisableScreenSaver();
    return true;
}

void SdlHost::Key(unsigned vk, bool down, bool repeat) {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    if (down) {
        heldRepeat_ = (repeat && heldKey_ == vk) ? heldRepeat_ + 1 : 1;
        heldKey_ = vk;
        ws.PostKey(vk, true, heldRepeat_);
    } else {
        heldKey_ = 0;
        ws.PostKey(vk, false, 1);
    }
}

static unsigned KeyOfSym(SDL_Keycode sym) {
    switch (sym) {
        case SDLK_LEFT:
            return plat::VK_LEFT;
        case SDLK_RIGHT:
            return plat::VK_RIGHT;
        case SDLK_UP:
            return plat::VK_UP;
        case SDLK_DOWN:
            return plat::VK_DOWN;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_SPACE:
            return plat::VK_RETURN;
        case SDLK_F1:
            return plat::VK_TSOFT1;
        case SDLK_F2:
            return plat::VK_TSOFT2;
        case SDLK_ESCAPE:
        case SDLK_BACKSPACE:
            return plat::VK_TBACK;
        case SDLK_HOME:
            return plat::VK_THOME;
        case SDLK_KP_MULTIPLY:
            return plat::VK_TSTAR;
        case SDLK_KP_HASH:
            return plat::VK_TPOUND;
        default:
            break;
    }
    if (sym >= SDLK_0 && sym <= SDLK_9)
        return static_cast<unsigned>('0' + (sym - SDLK_0));
    if (sym >= SDLK_KP_1 && sym <= SDLK_KP_9)
        return static_cast<unsigned>('1' + (sym - SDLK_KP_1));
    if (sym == SDLK_KP_0)
        return '0';
    return 0;
}

static unsigned KeyOfButton(uint8_t button) {
    switch (button) {
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return plat::VK_LEFT;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return plat::VK_RIGHT;
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return plat::VK_UP;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return plat::VK_DOWN;
        case SDL_CONTROLLER_BUTTON_A:
            return plat::VK_RETURN;
        case SDL_CONTROLLER_BUTTON_B:
            return plat::VK_TBACK;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
            return plat::VK_TSOFT1;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
            return plat::VK_TSOFT2;
        case SDL_CONTROLLER_BUTTON_GUIDE:
        case SDL_CONTROLLER_BUTTON_START:
            return plat::VK_THOME;
        default:
            return 0;
    }
}

void SdlHost::Handle(const SDL_Event& e) {
    switch (e.type) {
        case SDL_QUIT:
            RequestExit();
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            // '*' and '#' come through text input ("Shift+8" and "Shift+3" on most layouts).
            if (e.key.keysym.mod & KMOD_SHIFT) {
                if (e.key.keysym.sym == SDLK_8 || e.key.keysym.sym == SDLK_3)
                    break;
            }
            const unsigned vk = KeyOfSym(e.key.keysym.sym);
            if (vk)
                Key(vk, e.type == SDL_KEYDOWN, e.key.repeat != 0);
            break;
        }
        case SDL_TEXTINPUT: {
            const std::string text = e.text.text;
            if (text == "*" || text == "#") {
                const unsigned vk = text == "*" ? plat::VK_TSTAR : plat::VK_TPOUND;
                Key(vk, true, false);
                Key(vk, false, false);
            } else if (!text.empty() && !(text[0] >= '0' && text[0] <= '9') && text != " ") {
                plat::WindowSystem::Get().PostText(text);
            }
            break;
        }
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            const unsigned vk = KeyOfButton(e.cbutton.button);
            if (vk)
                Key(vk, e.type == SDL_CONTROLLERBUTTONDOWN, false);
            break;
        }
        case SDL_CONTROLLERDEVICEADDED:
            SDL_GameControllerOpen(e.cdevice.which);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                plat::WindowSystem::Get().MarkScreenDirty();
            }
            break;
        default:
            break;
    }
}

void SdlHost::CheckRaise() {
    if (instance_ && instance_->PollRaise()) {
        BringToFront();
    }
}

void SdlHost::WaitForEvents(int64_t timeoutMs) {
    CheckRaise();
    SDL_Event e;
    // Wake at least every 250 ms to look for a second copy's request.
    const int wait = timeoutMs < 0 ? 250 : static_cast<int>(std::min<int64_t>(timeoutMs, 250));
    if (SDL_WaitEventTimeout(&e, wait)) {
        Handle(e);
        PollEvents();
    }
}

void SdlHost::PollEvents() {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        Handle(e);
    }
}

void SdlHost::Wake() {
    SDL_Event e{};
    e.type = wakeEvent_;
    SDL_PushEvent(&e);
}

void SdlHost::BringToFront() {
    SDL_RestoreWindow(window_);
    SDL_RaiseWindow(window_);
}

void SdlHost::Present(const plat::Surface& screen, bool waitCursor) {
    SDL_UpdateTexture(texture_, nullptr, screen.Data(), screen.Stride());
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    if (waitCursor) {
        // An hourglass in the middle of the screen while work runs.
        const int cx = screen.Width() / 2;
        const int cy = screen.Height() / 2;
        SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 255);
        SDL_Rect back{cx - 9, cy - 12, 18, 24};
        SDL_RenderFillRect(renderer_, &back);
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderDrawRect(renderer_, &back);
        for (int i = 0; i < 9; ++i) {
            const int half = 7 - i * 7 / 9;
            SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
            SDL_RenderDrawLine(renderer_, cx - half, cy - 10 + i, cx + half, cy - 10 + i);
            SDL_RenderDrawLine(renderer_, cx - half, cy + 10 - i, cx + half, cy + 10 - i);
        }
        SDL_SetRenderDrawColor(renderer_, 230, 190, 90, 255);
        SDL_RenderDrawLine(renderer_, cx - 2, cy + 6, cx + 2, cy + 6);
    }
    SDL_RenderPresent(renderer_);
}

void SdlHost::Beep() {
    if (!audio_)
        return;
    // 60 ms at 880 Hz, with a short fade at both ends.
    std::vector<int16_t> samples(22050 * 60 / 1000);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double t = static_cast<double>(i) / 22050.0;
        const double edge = std::min(1.0, std::min(i, samples.size() - i) / 200.0);
        samples[i] = static_cast<int16_t>(6000.0 * edge * std::sin(2 * M_PI * 880.0 * t));
    }
    SDL_QueueAudio(audio_, samples.data(), static_cast<uint32_t>(samples.size() * 2));
}

void SdlHost::PlaySamples(const std::vector<int16_t>& interleaved, int rate, int channels,
                          bool sync) {
    if (interleaved.empty() || rate <= 0 || channels <= 0) {
        return;
    }
    const uint64_t frames = interleaved.size() / static_cast<size_t>(channels);
    const uint32_t durationMs =
        static_cast<uint32_t>((frames * 1000 + static_cast<uint64_t>(rate) - 1) / rate);
    if (!audio_) {
        // No sound device: a synchronous sound still takes its time.
        if (sync)
            SDL_Delay(durationMs);
        return;
    }
    // The device's own format (set when it was opened); the stream converts rate and channels.
    SDL_AudioStream* stream =
        SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(channels), rate, audioSpec_.format,
                           audioSpec_.channels, audioSpec_.freq);
    if (!stream) {
        return;
    }
    std::vector<uint8_t> converted;
    if (SDL_AudioStreamPut(stream, interleaved.data(),
                           static_cast<int>(interleaved.size() * sizeof(int16_t))) == 0 &&
        SDL_AudioStreamFlush(stream) == 0) {
        converted.resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream)));
        const int got =
            SDL_AudioStreamGet(stream, converted.data(), static_cast<int>(converted.size()));
        converted.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    SDL_FreeAudioStream(stream);
    // A new sound replaces the one still playing.
    SDL_ClearQueuedAudio(audio_);
    SDL_QueueAudio(audio_, converted.data(), static_cast<Uint32>(converted.size()));
    if (!sync) {
        return;
    }
    // Wait for the queue to drain, and never much longer than the sound lasts.
    const uint64_t deadline = SDL_GetTicks64() + durationMs + 1000;
    while (SDL_GetQueuedAudioSize(audio_) > 0 && SDL_GetTicks64() < deadline) {
        SDL_Delay(5);
    }
}

bool SdlHost::ScreenSaverAllowed() const {
    return SDL_IsScreenSaverEnabled() == SDL_TRUE;
}

void SdlHost::SetScreenSaverAllowed(bool allowed) {
    if (allowed) {
        SDL_EnableScreenSaver();
    } else {
        SDL_DisableScreenSaver();
    }
}
