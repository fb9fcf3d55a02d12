#include "hosts/headless/headless_host.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/main_window.h"
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

// "Right*5" gives ("Right", 5); a plain token gives a count of 1.
void SplitRepeat(const std::string& token, std::string* key, int* repeat) {
    const size_t star = token.find('*');
    *key = token.substr(0, star);
    *repeat = 1;
    if (star != std::string::npos) {
        *repeat = std::atoi(token.c_str() + star + 1);
    }
}

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

// How long, in real time, the host waits for a worker thread that makes no progress (a peer
// that never answers) before it goes on with the script without it.
constexpr int kWorkerPatienceMs = 2000;

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
    for (const std::string& t : tokens_) {
        if (StartsWith(t, "wait:") || StartsWith(t, "cmd:") || StartsWith(t, "type:") ||
            StartsWith(t, "shot:") || StartsWith(t, "state:")) {
            continue;
        }
        std::string key;
        int repeat = 1;
        SplitRepeat(t, &key, &repeat);
        if (KeyOfToken(key) == 0 || repeat < 1) {
            *error = "unknown key script token: " + t;
            return false;
        }
    }
    return true;
}

void HeadlessHost::WaitForEvents(int64_t timeoutMs) {
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

void HeadlessHost::NextToken() {
    const std::string token = tokens_[next_++];
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    if (StartsWith(token, "wait:")) {
        waitUntil_ = now_ + static_cast<uint64_t>(std::max(0L, std::atol(token.c_str() + 5)));
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
    if (!shot.empty() && !plat::WritePng(ws.Screen(), shot)) {
        std::fprintf(stderr, "velloran: cannot write %s\n", shot.c_str());
        ok = false;
    }
    if (!state.empty()) {
        const std::string json = BuildStateJson();
        std::FILE* f = std::fopen(state.c_str(), "wb");
        if (!f || std::fwrite(json.data(), 1, json.size(), f) != json.size()) {
            std::fprintf(stderr, "velloran: cannot write %s\n", state.c_str());
            ok = false;
        }
        if (f)
            std::fclose(f);
    }
    return ok;
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
