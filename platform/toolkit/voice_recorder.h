// The voice recorder: a modal, full-screen control that records a WAVE file from the host's
// microphone or plays one back.
//
// Recording style: the left softkey starts recording ("Record") and stops it ("Stop"); the
// right softkey "Done" stops a running recording and closes the control. Each stop writes
// what was recorded to the file name (16-bit PCM, mono, 8,000 Hz), replacing an earlier take;
// nothing is written when nothing was captured. Playing style: the sound starts at once, the
// lone softkey "Stop" ends it, and the control closes when the sound has ended.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window/window.h"

namespace plat {

// Style bits of a recorder request (the values of the platform the program was written for).
enum VoiceRecorderStyle : unsigned {
    kRecorderModal = 0x004,
    kRecorderNoRecordButton = 0x010,
    kRecorderPlayAtOnce = 0x020,
    kRecorderCloseWhenStopped = 0x100,
};

// What the program asks of the control.
struct VoiceRecorderRequest {
    unsigned style = kRecorderModal;
    int x = 0;
    int y = 0;
    Window* parent = nullptr;
    int controlId = 0;
    std::string fileName;  // a device path
};

// The rate notes are recorded at.
constexpr int kRecordRate = 8000;

// Runs the control until the user (or the end of playback) closes it. 1 when it ran, 0 when
// its window could not be made.
int RunVoiceRecorder(const VoiceRecorderRequest& request);

// The control being shown now, for the automation interface.
struct VoiceRecorderInfo {
    std::string title;     // "Record Sound" or "Play Sound"
    std::string fileName;  // as requested
    unsigned style = 0;
    bool recording = false;
    bool playing = false;
    int64_t elapsedMs = 0;
    int level = 0;  // 0..100, the loudness of the last moment heard
};
// Null when no recorder is open.
const VoiceRecorderInfo* OpenVoiceRecorder();

}  // namespace plat
