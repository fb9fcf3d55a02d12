// Start-up, the main window and its message table, and shut-down.
#pragma once

#include "platform/window/messages.h"
#include "platform/window/window.h"

struct AppState;

constexpr const char* kMainWindowClass = "Velloran for Smartphone 2002";
constexpr const char* kMakerName = "Tarrowby Systems Inc.";

// Opens the settings key; the single-instance rule is the host's (it knows the device root).
int InitApplication();
// Builds the application object and the main window; 1 when the window exists and shows.
int InitInstance();
// Runs the message loop until the program ends; returns the exit code.
int RunMessageLoop();
// Ends the program the way "Exit" does (used by hosts when the user closes the window).
void RequestExit();
// Frees the application object after the loop ended.
void TearDownApplication();

plat::LRESULT MainWindowProc(plat::Window* window, unsigned message, plat::WPARAM wParam,
                             plat::LPARAM lParam);
