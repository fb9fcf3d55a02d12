// Making the picture under the cursor the background of the phone's Home Screen, or restoring
// the default background.
#pragma once

#include <string>

struct AppState;

// The background files in the program folder; each setting writes the one that is not current.
constexpr const char* kBackgroundFile = "\\MyScreen.jpg";
constexpr const char* kBackgroundFileAlternate = "\\MyScreen1.jpg";
// The settings-change code that tells the desktop its background changed.
constexpr int kBackgroundChanged = 242;

// Points the Home Screen at `path` ("" for the default background) and tells the desktop.
// 1 / 0 when the registry could not be written.
int SetHomeScreenBackground(const std::string& path);

// The Home Screen commands: Center, Fit to Screen, Tile and Default (kCmdHomeScreen...).
void ApplyHomeScreenCommand(AppState* app, int command);
