// The commands that live beside the browser's views: deleting the selected picture, the help
// page and the About box.
#pragma once

struct AppState;

// Asks, then deletes the selected picture and its voice note; a folder or an empty list
// beeps. A file that cannot be deleted keeps its entry, and the user is told.
void DeleteCurrentPicture(AppState* app);
// Opens the program folder's "Help\index.htm" with the desktop's browser.
void ShowHelp(AppState* app);
// The About box: the program's icon, name and version, closed by "OK" or Back.
void ShowAbout(AppState* app);

// The texts of the About box, top to bottom.
constexpr const char* kAboutLines[] = {"Velloran", "Version 1.0",
                                       "Picture browser for keypad phones"};
