// Voice notes: one WAVE file beside a picture, recorded, played and deleted through the
// platform's voice recorder control.
#pragma once

struct AppState;

// The three commands work on the entry under the cursor; a folder or no entry does nothing.
void RecordVoiceNote(AppState* app);
void PlayVoiceNote(AppState* app);
void DeleteVoiceNote(AppState* app);
