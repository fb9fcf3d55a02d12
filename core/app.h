// The process-wide application context and the small services every part of the program
// uses: string-table texts, message boxes, the wait cursor and the simple beep.
#pragma once

#include <string>

#include "core/settings.h"
#include "platform/messages.h"

struct AppState;

struct AppContext {
    SettingsStore settings;
    AppState* appState = nullptr;
    // The executable's file name up to its first "." (names the settings key).
    std::string exeBaseName = "velloran";
};

AppContext& App();

// String-table text `id`; empty when the table has no such string.
std::string LoadStr(int id);
// A message box owned by the main window, text and caption from the string table.
int ShowMessage(int textId, int captionId, unsigned flags);
// A message box with a text made by the caller, captioned with the program's name.
int ShowMessageText(const std::string& text, unsigned flags);
void BeginWaitCursor();
void EndWaitCursor();
// The answer to a key or command that cannot act.
void SimpleBeep();

// Shows the wait cursor for the life of the object.
class WaitCursor {
  public:
    WaitCursor() { BeginWaitCursor(); }
    ~WaitCursor() { EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

namespace ids {
constexpr int kProgramName = 102;
constexpr int kMainSection = 107;
constexpr int kHomeDirectory = 108;
constexpr int kWorkDirectory = 109;
constexpr int kOrientation = 110;
constexpr int kShowFileName = 112;
constexpr int kThumbMaxView = 113;
constexpr int kThumbnailLayout = 115;
constexpr int kOptimizedMemory = 123;
constexpr int kSlideSection = 124;
constexpr int kOutOfMemory = 135;
constexpr int kFolderMissing = 149;
constexpr int kAskDelete = 150;
constexpr int kHomeScreenSet = 118;
constexpr int kHomeScreenRestored = 119;
constexpr int kAskDeleteSound = 156;
constexpr int kAskReplaceSound = 157;
constexpr int kHomeScreenFailed = 161;
}  // namespace ids
