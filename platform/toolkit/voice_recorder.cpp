#include "platform/toolkit/voice_recorder.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/graphics/theme.h"
#include "platform/os/device_fs.h"
#include "platform/shell/message_box.h"
#include "platform/shell/shell.h"
#include "platform/window/sound.h"
#include "platform/window/window_system.h"

namespace plat {
namespace {

constexpr int kLeftCommand = 1;
constexpr int kDoneCommand = 2;
constexpr int kTickTimer = 1;
constexpr int kTickMs = 100;
// A note longer than the sound layer plays back is never made: recording stops there.
constexpr size_t kMaxRecordedSamples = static_cast<size_t>(kRecordRate) * kMaxWaveSeconds;

struct Recorder {
    VoiceRecorderInfo info;
    Window* window = nullptr;
    SoftkeyBar* bar = nullptr;
    bool done = false;
    // Recording: the samples of the take in progress.
    std::vector<int16_t> take;
    // Playing: the decoded sound (for the level meter), its length and when it started.
    DecodedSound sound;
    int64_t durationMs = 0;
    uint64_t playStart = 0;
};

std::vector<Recorder*>& OpenRecorders() {
    static std::vector<Recorder*> recorders;
    return recorders;
}

Host* TheHost() {
    return WindowSystem::Get().GetHost();
}

// Loudness 0..100 of the peak of `count` samples from `first`.
int PeakLevel(const int16_t* first, size_t count) {
    int peak = 0;
    for (size_t i = 0; i < count; ++i) {
        peak = std::max(peak, std::abs(static_cast<int>(first[i])));
    }
    return std::min(100, peak * 100 / 32767);
}

void Say(Recorder* r, const char* text) {
    MessageBox(r->window, text, r->info.title, MB_OK | MB_ICONEXCLAMATION);
}

void Repaint(Recorder* r) {
    r->window->Invalidate(nullptr, false);
}

void TakeMicrophone(Recorder* r) {
    std::vector<int16_t> fresh;
    if (Host* host = TheHost()) {
        host->ReadMicrophone(&fresh);
    }
    const size_t room = kMaxRecordedSamples - r->take.size();
    if (fresh.size() > room) {
        fresh.resize(room);
    }
    const size_t tail = std::min<size_t>(fresh.size(), kRecordRate * kTickMs / 1000);
    r->info.level = tail ? PeakLevel(fresh.data() + fresh.size() - tail, tail) : 0;
    r->take.insert(r->take.end(), fresh.begin(), fresh.end());
    r->info.elapsedMs = static_cast<int64_t>(r->take.size()) * 1000 / kRecordRate;
}

void StartRecording(Recorder* r) {
    Host* host = TheHost();
    if (!host || !host->OpenMicrophone(kRecordRate)) {
        Say(r, "No microphone is available, so nothing can be recorded.");
        return;
    }
    r->take.clear();
    r->info.recording = true;
    r->info.elapsedMs = 0;
    r->info.level = 0;
    r->bar->SetButtonLabel(kLeftCommand, "Stop");
    WindowSystem::Get().SetTimer(r->window, kTickTimer, kTickMs);
    Repaint(r);
}

// Ends a take and stores it; an empty take leaves the file as it was.
void StopRecording(Recorder* r) {
    if (!r->info.recording) {
        return;
    }
    TakeMicrophone(r);
    if (Host* host = TheHost()) {
        host->CloseMicrophone();
    }
    WindowSystem::Get().KillTimer(r->window, kTickTimer);
    r->info.recording = false;
    r->info.level = 0;
    r->bar->SetButtonLabel(kLeftCommand, "Record");
    Repaint(r);
    if (r->take.empty()) {
        return;
    }
    std::string wave;
    if (!EncodeWave(r->take, kRecordRate, &wave) ||
        !DeviceFs::WriteAtomic(r->info.fileName, wave)) {
        Say(r, "The recording could not be saved.");
    }
    r->take.clear();
}

void StartPlaying(Recorder* r) {
    FileInfo st;
    std::string bytes;
    if (!DeviceFs::Stat(r->info.fileName, &st) || st.isFolder || st.size > kMaxWaveBytes ||
        !DeviceFs::ReadAll(r->info.fileName, &bytes, kMaxWaveBytes) ||
        !DecodeWave(bytes, &r->sound) || !PlaySoundBytes(bytes, r->info.fileName, kSoundAsync)) {
        Say(r, "This sound cannot be played.");
        r->done = (r->info.style & kRecorderCloseWhenStopped) != 0;
        return;
    }
    r->durationMs = r->sound.DurationMs();
    r->playStart = WindowSystem::Get().Now();
    r->info.playing = true;
    r->info.elapsedMs = 0;
    WindowSystem::Get().SetTimer(r->window, kTickTimer, kTickMs);
    Repaint(r);
}

void StopPlaying(Recorder* r, bool silence) {
    if (!r->info.playing) {
        return;
    }
    if (silence) {
        StopSound();
    }
    WindowSystem::Get().KillTimer(r->window, kTickTimer);
    r->info.playing = false;
    r->info.level = 0;
    if (r->info.style & kRecorderCloseWhenStopped) {
        r->done = true;
    }
    Repaint(r);
}

void FollowPlayback(Recorder* r) {
    const int64_t elapsed = static_cast<int64_t>(WindowSystem::Get().Now() - r->playStart);
    if (elapsed >= r->durationMs) {
        r->info.elapsedMs = r->durationMs;
        StopPlaying(r, false);
        return;
    }
    r->info.elapsedMs = elapsed;
    const int channels = std::max(1, r->sound.channels);
    const size_t first = static_cast<size_t>(elapsed * r->sound.rate / 1000) * channels;
    const size_t span = static_cast<size_t>(r->sound.rate * kTickMs / 1000) * channels;
    if (first < r->sound.samples.size()) {
        r->info.level = PeakLevel(r->sound.samples.data() + first,
                                  std::min(span, r->sound.samples.size() - first));
    }
    Repaint(r);
}

void LeftSoftkey(Recorder* r) {
    if (r->info.style & kRecorderNoRecordButton) {
        StopPlaying(r, true);
        r->done = true;
    } else if (r->info.recording) {
        StopRecording(r);
    } else {
        StartRecording(r);
    }
}

void Finish(Recorder* r) {
    StopRecording(r);
    StopPlaying(r, true);
    r->done = true;
}

std::string Clock(int64_t ms) {
    const int64_t seconds = ms / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
    return text;
}

void Paint(Recorder* r, Canvas& c, const Rect& client) {
    c.FillRect(client, theme::kWindow);
    c.SetBackgroundMode(BackgroundMode::kTransparent);
    // The file's name on top.
    const std::string& path = r->info.fileName;
    const size_t slash = path.rfind('\\');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    c.SetFont(theme::UiFont());
    c.SetTextColor(theme::kGreyText);
    Rect line{6, 6, client.right - 6, 24};
    c.DrawText(name, &line, kTextSingleLine | kTextCenter | kTextEndEllipsis | kTextNoPrefix);
    // What the control is doing, with a round mark: red while recording.
    const char* status = r->info.recording ? "Recording" : r->info.playing ? "Playing" : "Stopped";
    const Color mark = r->info.recording ? Rgb(210, 30, 30)
                       : r->info.playing ? theme::kHighlight
                                         : theme::kGreyText;
    const int cx = client.Width() / 2;
    for (int dy = -6; dy <= 6; ++dy) {
        for (int dx = -6; dx <= 6; ++dx) {
            if (dx * dx + dy * dy <= 36)
                c.SetPixel(cx - 40 + dx, 40 + dy, mark);
        }
    }
    c.SetTextColor(theme::kText);
    Rect state{cx - 30, 30, client.right - 6, 50};
    c.DrawText(status, &state, kTextSingleLine | kTextLeft | kTextVCenter | kTextNoPrefix);
    // The elapsed time, large.
    c.SetFont(Font::Create(FontSpec{-30, 700, false, "Nina"}));
    Rect clock{0, 58, client.right, 100};
    c.DrawText(Clock(r->info.elapsedMs), &clock,
               kTextSingleLine | kTextCenter | kTextVCenter | kTextNoPrefix);
    // The level meter: twenty segments, green, then amber, then red.
    constexpr int kSegments = 20;
    const int meterLeft = 14;
    const int segment = (client.Width() - 2 * meterLeft) / kSegments;
    const int lit = (r->info.level * kSegments + 99) / 100;
    for (int i = 0; i < kSegments; ++i) {
        Color on = i < 14 ? Rgb(40, 170, 60) : i < 17 ? Rgb(230, 170, 0) : Rgb(210, 30, 30);
        const Rect seg{meterLeft + i * segment, 112, meterLeft + (i + 1) * segment - 2, 126};
        c.FillRect(seg, i < lit ? on : theme::kSeparator);
    }
}

LRESULT RecorderProc(Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    auto* r = static_cast<Recorder*>(window->userData);
    if (!r) {
        return DefWindowProc(window, message, wParam, lParam);
    }
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            Canvas c = window->BeginPaint();
            Paint(r, c, window->ClientRect());
            window->Validate();
            return 0;
        }
        case WM_TIMER:
            if (r->info.recording) {
                TakeMicrophone(r);
                if (r->take.size() >= kMaxRecordedSamples) {
                    StopRecording(r);
                }
                Repaint(r);
            } else if (r->info.playing) {
                FollowPlayback(r);
            }
            return 0;
        case WM_COMMAND:
            if (LowWord(wParam) == kLeftCommand) {
                LeftSoftkey(r);
            } else if (LowWord(wParam) == kDoneCommand) {
                Finish(r);
            }
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_RETURN) {
                LeftSoftkey(r);
            }
            return 0;
        case WM_HOTKEY:
            if (HighWord(static_cast<uintptr_t>(lParam)) == VK_TBACK &&
                (lParam & kHotKeyReleased)) {
                Finish(r);
            }
            return 0;
        case WM_CLOSE:
            Finish(r);
            return 0;
        default:
            return DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace

int RunVoiceRecorder(const VoiceRecorderRequest& request) {
    Recorder r;
    const bool play = (request.style & kRecorderPlayAtOnce) != 0;
    r.info.title = play ? "Play Sound" : "Record Sound";
    r.info.fileName = request.fileName;
    r.info.style = request.style;

    WindowSystem& ws = WindowSystem::Get();
    Window* previousFocus = ws.Focus();
    r.window = Window::Create("VoiceRecorder", r.info.title, Shell::WorkArea(), nullptr,
                              RecorderProc, request.controlId);
    if (!r.window) {
        return 0;
    }
    SoftkeyBarTemplate tmpl;
    tmpl.id = 0;
    if (request.style & kRecorderNoRecordButton) {
        tmpl.buttons = {{kLeftCommand, "Stop", -1}};
    } else {
        tmpl.buttons = {{kLeftCommand, "Record", -1}, {kDoneCommand, "Done", -1}};
    }
    r.bar = SoftkeyBar::Create(r.window, tmpl);
    if (!r.bar) {
        r.window->Destroy();
        return 0;
    }
    r.bar->OverrideBack(true);
    r.window->userData = &r;
    r.window->Invalidate(nullptr, true);
    ws.SetFocus(r.window);
    OpenRecorders().push_back(&r);
    Window* window = r.window;
    ws.PushModal(ModalLoop{"voiceRecorder", [window] { window->Post(WM_CLOSE); }});
    if (play) {
        StartPlaying(&r);
    }
    ws.RunModalLoop([&r] { return r.done; });
    // The loop can also end by the program quitting: leave nothing running behind.
    if (r.info.recording || r.info.playing) {
        Finish(&r);
    }
    ws.PopModal();
    OpenRecorders().pop_back();
    ws.KillTimer(r.window, kTickTimer);
    r.window->userData = nullptr;
    r.window->SetProc(nullptr);
    r.window->Destroy();
    if (previousFocus && ws.IsWindow(previousFocus)) {
        ws.SetFocus(previousFocus);
    }
    return 1;
}

const VoiceRecorderInfo* OpenVoiceRecorder() {
    return OpenRecorders().empty() ? nullptr : &OpenRecorders().back()->info;
}

}  // namespace plat
