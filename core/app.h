// The process-wide application context and the small services every part of the program
// uses: string-table texts, message boxes, the wait cursor and the simple beep.
#pragma once

#include <string>

#include "core/settings.h"
#include "platform/window/messages.h"
#include "resources/resource_ids.h"

struct AppState;

struct AppContext {
    SettingsStore settings;
    AppState* appState = nullptr;
    // The executable's file name up to its first "." (names the settings key).
    std::string exeBaseName = "velloran";
    // Where the host asks the program to start instead of the stored work folder (a folder
    // given on its command line, shown as the storage card), and the picture of that folder
    // to open in the image view; both "" for a start as usual.
    std::string startFolder;
    std::string startPicture;
    // Threads that decode thumbnails: -1 one per processor core, 0 none (the grid decodes
    // while it paints).
    int decodeThreads = -1;
};

AppContext& App();

// Settings of the context's store by string-table ids (section, value name).
int32_t GetIntSetting(int sectionId, int nameId, int32_t defaultValue);
bool SetIntSetting(int sectionId, int nameId, int32_t value);
std::string GetStringSetting(int sectionId, int nameId, const std::string& defaultText);
bool SetStringSetting(int sectionId, int nameId, const std::string& text);

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
