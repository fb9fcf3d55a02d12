#include "sharing/voice_notes.h"

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "platform/os/device_fs.h"
#include "platform/os/file_attributes.h"
#include "platform/os/text.h"
#include "platform/toolkit/voice_recorder.h"
#include "platform/window/window_system.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kRecordStyle = plat::kRecorderModal;
constexpr int kPlayStyle = plat::kRecorderModal | plat::kRecorderNoRecordButton |
                           plat::kRecorderPlayAtOnce | plat::kRecorderCloseWhenStopped;

// The picture under the cursor, or null for a folder or no entry.
FileEntry* CurrentPicture(AppState* app) {
    FileEntry* entry = app->fileList->GetCurrentEntry();
    return entry && !entry->isFolder ? entry : nullptr;
}

void RunRecorder(AppState* app, unsigned style, const std::string& fileName) {
    plat::VoiceRecorderRequest request;
    request.style = style;
    request.parent = app->mainWindow;
    request.controlId = kCtlVoiceRecorder;
    request.fileName = fileName;
    plat::RunVoiceRecorder(request);
}

bool Ask(int textId, const std::string& name) {
    const std::string text = plat::FormatText(LoadStr(textId), {name});
    return ShowMessageText(text, plat::MB_YESNO | plat::MB_ICONQUESTION) == plat::IDYES;
}

// The cell shows whether the picture has a note.
void RepaintMain(AppState* app) {
    if (app->mainWindow) {
        app->mainWindow->Invalidate(nullptr, true);
    }
}

}  // namespace

void RecordVoiceNote(AppState* app) {
    FileEntry* entry = CurrentPicture(app);
    if (!entry) {
        return;
    }
    const std::string picture = app->fileList->FullPath(app->fileList->currentIndex);
    const std::string note = VoiceNoteName(picture);
    const std::string temporary = note + ".xxx";
    const bool hadNote = Exists(note);
    if (hadNote && !Ask(kStrAskReplaceSound, entry->name)) {
        return;
    }
    // A temporary left behind by an earlier failure must not pass for a new recording.
    if (plat::DeviceFs::Present(temporary)) {
        plat::DeviceFs::Remove(temporary);
    }
    RunRecorder(app, kRecordStyle, temporary);
    // The modal loop may have changed the list under us: find the entry again.
    entry = CurrentPicture(app);
    if (plat::DeviceFs::Exists(temporary)) {
        // The old note goes only now that a new one exists; the rename replaces it in one step.
        if (!plat::DeviceFs::Rename(temporary, note)) {
            plat::DeviceFs::Remove(temporary);
        }
    }
    const bool haveNote = Exists(note);
    if (haveNote) {
        plat::SetHiddenAttribute(note);
    }
    if (entry) {
        entry->hasVoiceNote = haveNote;
    }
    RepaintMain(app);
}

void PlayVoiceNote(AppState* app) {
    FileEntry* entry = CurrentPicture(app);
    if (!entry) {
        return;
    }
    const std::string note = VoiceNoteName(app->fileList->FullPath(app->fileList->currentIndex));
    if (!Exists(note)) {
        entry->hasVoiceNote = false;
        SimpleBeep();
        RepaintMain(app);
        return;
    }
    RunRecorder(app, kPlayStyle, note);
    entry = CurrentPicture(app);
    if (entry && !Exists(note)) {
        entry->hasVoiceNote = false;
        RepaintMain(app);
    }
}

void DeleteVoiceNote(AppState* app) {
    FileEntry* entry = CurrentPicture(app);
    if (!entry) {
        return;
    }
    const std::string picture = app->fileList->FullPath(app->fileList->currentIndex);
    std::string name;
    FileTitle(picture, &name, true);
    if (!Ask(kStrAskDeleteSound, name)) {
        return;
    }
    const std::string note = VoiceNoteName(picture);
    if (Exists(note) && !plat::DeviceFs::Remove(note)) {
        SimpleBeep();
    }
    entry->hasVoiceNote = false;
    RepaintMain(app);
}
