// The general options and the slide-show options dialogs.
#pragma once

struct AppState;

// "General": the memory level, "Maximum Thumbnail View" and "Show Filename". OK discards the
// thumbnails when the thumbnail size rule changed and switches the captions.
void GeneralOptionsCommand(AppState* app);
// The slide-show options ("Slide" settings). Returns 1 after OK (the settings are written),
// 2 after Cancel.
int ShowSlideShowOptions(AppState* app);
