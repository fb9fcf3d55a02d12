#include "hosts/headless/headless_host.h"

#include <SDL.h>
#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/main_window.h"
#include "hosts/close_signals.h"
#include "hosts/headless/state_json.h"
#include "platform/graphics/canvas.h"
#include "platform/os/worker_clock.h"

unsigned KeyOfToken(const std::string& t) {
    if (t == "Left")
        return plat::VK_LEFT;
    if (t == "Right")
        return plat::VK_RIGHT;
    if (t == "Up")
        return plat::VK_UP;
    if (t == "Down")
        return plat::VK_DOWN;
    if (t == "Enter")
        return plat::VK_RETURN;
    if (t == "Back")
        return plat::VK_TBACK;
    if (t == "Home")
        return plat::VK_THOME;
    if (t == "SoftLeft")
        return plat::VK_TSOFT1;
    if (t == "SoftRight")
        return plat::VK_TSOFT2;
    if (t == "Star")
        return plat::VK_TSTAR;
    if (t == "Pound")
        return plat::VK_TPOUND;
    if (t.size() == 1 && t[0] >= '0' && t[0] <= '9')
        return static_cast<unsigned>(t[0]);
    return 0;
}

namespace {

// "Right*5" gives ("Right", 5); a plain token gives a count of 1. False for a bad count.
bool SplitRepeat(const std::string& token, std::string* key, int* repeat) {
    const size_t star = token.find('*');
    *key = token.substr(0, star);
    *repeat = 1;
    if (star == std::string::npos) {
        return true;
    }
    long n = 0;
    if (!ParseNumber(token.substr(star + 1), 1, 255, &n)) {
        return false;
    }
    *repeat = static_cast<int>(n);
    return true;
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// How long, in real time, the host waits for a worker thread that makes no progress (a peer
// that never answers) before it goes on with the script without it.
constexpr int kWorkerPatienceMs = 2000;

// Why a token is not a valid part of a key script, or "" when it is.
std::string TokenError(const std::string& t) {
    long n = 0;
    if (StartsWith(t, "wait:")) {
        return ParseNumber(t.substr(5), 0, 999999999, &n)
                   ? ""
                   : "wait: takes milliseconds, 0 to 999999999, in '" + t + "'";
    }
    if (StartsWith(t, "cmd:")) {
        return ParseNumber(t.substr(4), 1, 65535, &n)
                   ? ""
                   : "cmd: takes a command id, 1 to 65535, in '" + t + "'";
    }
    if (StartsWith(t, "type:")) {
        return t.size() > 5 ? "" : "type: needs a text in '" + t + "'";
    }
    if (StartsWith(t, "shot:") || StartsWith(t, "state:")) {
        return t.back() != ':' ? "" : "a file name is missing in '" + t + "'";
    }
    std::string key;
    int repeat = 1;
    if (!SplitRepeat(t, &key, &repeat)) {
        return "a held key takes a repeat count of 1 to 255 in '" + t + "'";
    }
    if (KeyOfToken(key) == 0) {
        return "unknown key script token: " + t;
    }
    return "";
}

}  // namespace

HeadlessHost::HeadlessHost(const HostOptions& options) : options_(options) {
    std::istringstream in(options.keys);
    std::string token;
    while (in >> token) {
        tokens_.push_back(token);
    }
    plat::WorkerClock::UseVirtualTime(true, now_);
}

void HeadlessHost::SetNow(uint64_t now) {
    now_ = now;
    plat::WorkerClock::SetVirtualNow(now_);
}

bool HeadlessHost::ScriptValid(std::string* error) const {
    for (size_t i = 0; i < tokens_.size(); ++i) {
        const std::string& t = tokens_[i];
        if (t == kCloseToken) {
            if (i + 1 != tokens_.size()) {
                *error = "close ends the key script: nothing may follow it";
                return false;
            }
            continue;
        }
        const std::string why = TokenError(t);
        if (!why.empty()) {
            *error = why;
            return false;
        }
    }
    return true;
}

void HeadlessHost::WaitForEvents(int64_t timeoutMs) {
    if (TakeCloseSignal()) {
        CloseWindow();
        return;
    }
    // Worker threads run until they sleep on the clock or end, and what they posted is
    // handled, before the clock moves or the next token is played: a script sees the same
    // progress however fast their real work is.
    const uint64_t workerWake = plat::WorkerClock::Settle(kWorkerPatienceMs);
    if (posted_.exchange(false)) {
        return;
    }
    // A wait token in progress: move the clock to the next timer, the next end of a worker's
    // sleep, or the wait's end.
    if (waitUntil_ > now_) {
        uint64_t next = std::min(waitUntil_, workerWake);
        if (timeoutMs >= 0) {
            next = std::min(next, now_ + static_cast<uint64_t>(timeoutMs));
        }
        SetNow(std::max(next, now_));
        return;
    }
    if (next_ < tokens_.size()) {
        NextToken();
        return;
    }
    EndOfScript();
}

void HeadlessHost::PlaySamples(const std::vector<int16_t>& interleaved, int rate, int channels,
                               bool sync) {
    if (!sync || rate <= 0 || channels <= 0) {
        return;
    }
    const uint64_t frames = interleaved.size() / static_cast<size_t>(channels);
    SetNow(now_ + (frames * 1000 + static_cast<uint64_t>(rate) - 1) / static_cast<uint64_t>(rate));
}

namespace {

// The longest --mic sound read (10 minutes at 48 kHz and the like).
constexpr sf_count_t kMaxMicFrames = sf_count_t{48000} * 600;

// Converts mono float samples from one rate to another with SDL's resampler.
bool Resample(const std::vector<float>& in, int fromRate, int toRate, std::vector<int16_t>* out) {
    out->clear();
    if (in.empty()) {
        return true;
    }
    SDL_AudioStream* stream =
        SDL_NewAudioStream(AUDIO_F32SYS, 1, fromRate, AUDIO_S16SYS, 1, toRate);
    if (!stream) {
        return false;
    }
    bool ok =
        SDL_AudioStreamPut(stream, in.data(), static_cast<int>(in.size() * sizeof(float))) == 0 &&
        SDL_AudioStreamFlush(stream) == 0;
    if (ok) {
        out->resize(static_cast<size_t>(SDL_AudioStreamAvailable(stream)) / sizeof(int16_t));
        const int got = SDL_AudioStreamGet(stream, out->data(),
                                           static_cast<int>(out->size() * sizeof(int16_t)));
        ok = got >= 0;
        out->resize(ok ? static_cast<size_t>(got) / sizeof(int16_t) : 0);
    }
    SDL_FreeAudioStream(stream);
    return ok;
}

}  // namespace

bool HeadlessHost::LoadMicrophone(std::string* error) {
    if (options_.mic.empty()) {
        return true;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(options_.mic.c_str(), SFM_READ, &info);
    if (!file) {
        *error = "--mic: cannot read " + options_.mic + " as a sound file";
        return false;
    }
    bool ok = info.channels >= 1 && info.channels <= 64 && info.samplerate >= 1000 &&
              info.samplerate <= 384000 && info.frames >= 0 && info.frames <= kMaxMicFrames;
    std::vector<float> frames;
    if (ok) {
        frames.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
        const sf_count_t got = sf_readf_float(file, frames.data(), info.frames);
        ok = got >= 0;
        frames.resize(ok ? static_cast<size_t>(got) * static_cast<size_t>(info.channels) : 0);
    }
    sf_close(file);
    if (!ok) {
        *error = "--mic: " + options_.mic + " is not a sound this host can use";
        return false;
    }
    // One channel: the mean of all of them.
    const size_t channels = static_cast<size_t>(info.channels);
    micSource_.assign(frames.size() / channels, 0.0f);
    for (size_t i = 0; i < micSource_.size(); ++i) {
        float sum = 0;
        for (size_t c = 0; c < channels; ++c) {
            sum += frames[i * channels + c];
        }
        micSource_[i] = sum / static_cast<float>(channels);
    }
    micSourceRate_ = info.samplerate;
    return true;
}

bool HeadlessHost::OpenMicrophone(int rate) {
    if (rate <= 0) {
        return false;
    }
    if (rate != micRate_) {
        // The position is kept in time, so a new rate continues where the sound was.
        const uint64_t heardMs = micRate_ > 0 ? micPosition_ * 1000 / micRate_ : 0;
        if (!micSource_.empty() && !Resample(micSource_, micSourceRate_, rate, &micSamples_)) {
            return false;
        }
        micRate_ = rate;
        micPosition_ = heardMs * rate / 1000;
    }
    micOpen_ = true;
    micOpenedAt_ = now_;
    micDelivered_ = 0;
    return true;
}

void HeadlessHost::ReadMicrophone(std::vector<int16_t>* samples) {
    if (!micOpen_) {
        return;
    }
    const uint64_t due = (now_ - micOpenedAt_) * static_cast<uint64_t>(micRate_) / 1000;
    for (; micDelivered_ < due; ++micDelivered_, ++micPosition_) {
        samples->push_back(micPosition_ < micSamples_.size() ? micSamples_[micPosition_] : 0);
    }
}

void HeadlessHost::CloseMicrophone() {
    micOpen_ = false;
}

void HeadlessHost::NextToken() {
    const std::string token = tokens_[next_++];
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    if (token == kCloseToken) {
        CloseWindow();
        return;
    }
    if (StartsWith(token, "wait:")) {
        waitUntil_ = now_ + std::strtoull(token.c_str() + 5, nullptr, 10);
        return;
    }
    if (StartsWith(token, "cmd:")) {
        if (plat::Window* top = ws.TopWindow()) {
            top->Post(plat::WM_COMMAND, static_cast<plat::WPARAM>(std::atoi(token.c_str() + 4)), 0);
        }
        return;
    }
    if (StartsWith(token, "type:")) {
        std::string text = token.substr(5);
        for (char& c : text) {
            if (c == '_')
                c = ' ';
        }
        ws.PostText(text);
        return;
    }
    if (StartsWith(token, "shot:")) {
        WriteOutputs(token.substr(5), "");
        return;
    }
    if (StartsWith(token, "state:")) {
        WriteOutputs("", token.substr(6));
        return;
    }
    std::string key;
    int repeat = 1;
    SplitRepeat(token, &key, &repeat);
    const unsigned vk = KeyOfToken(key);
    if (vk != 0) {
        ws.PostKey(vk, true, repeat);
        ws.PostKey(vk, false, 1);
    }
}

bool HeadlessHost::WriteOutputs(const std::string& shot, const std::string& state) {
    bool ok = true;
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    ws.PaintAndPresent();
    if (!shot.empty()) {
        errno = 0;
        if (!plat::WritePng(ws.Screen(), shot)) {
            ReportOutputFailure(shot, errno);
            ok = false;
        }
    }
    if (!state.empty()) {
        const std::string json = BuildStateJson();
        errno = 0;
        std::FILE* f = std::fopen(state.c_str(), "wb");
        bool written = f && std::fwrite(json.data(), 1, json.size(), f) == json.size();
        if (f) {
            written = std::fclose(f) == 0 && written;
        }
        if (!written) {
            ReportOutputFailure(state, errno);
            ok = false;
        }
    }
    return ok;
}

void HeadlessHost::ReportOutputFailure(const std::string& file, int error) {
    std::fprintf(stderr, "velloran: cannot write %s: %s\n", file.c_str(),
                 error ? std::strerror(error) : "the write failed");
    outputFailed_ = true;
    // The rest of the script is not played: what it would show could not be kept.
    next_ = tokens_.size();
    waitUntil_ = now_;
}

void HeadlessHost::CloseWindow() {
    // As a window manager's close: the program ends itself from whatever state it is in.
    if (!outputsWritten_) {
        outputsWritten_ = true;
        WriteOutputs(options_.screenshot, options_.state);
    }
    closed_ = true;
    next_ = tokens_.size();
    waitUntil_ = now_;
    RequestExit();
}

void HeadlessHost::EndOfScript() {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    // Nothing can happen without input any more: a loop that does not end is ended.
    if (++idleAfterExit_ > 200) {
        ws.PostQuit(0);
        return;
    }
    if (!outputsWritten_) {
        outputsWritten_ = true;
        WriteOutputs(options_.screenshot, options_.state);
    }
    if (closed_) {
        // The close has to end every loop by itself; nothing is cancelled for it here.
        return;
    }
    // End what is still open the way a user would, innermost first, then exit as "Exit" does.
    if (!ws.Modals().empty()) {
        ws.Modals().back().cancel();
        // Wake the loop so it sees that it is done.
        ws.Post(nullptr, plat::WM_NULL, 0, 0);
        return;
    }
    if (!exitRequested_) {
        exitRequested_ = true;
        RequestExit();
    }
}
