// The phone's Home Screen, which lies outside the program: the Home key brings it up over the
// whole screen below the title strip (the program stays where it was, in the background).
// It shows the background picture named by the registry value "BgImage" under
// "ControlPanel\Home" (a plain default when the value is empty or its file is missing), the
// time and the date, and one softkey that brings the program back.
//
// The desktop rereads "BgImage" when a settings change reaches it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"
#include "platform/window/messages.h"
#include "platform/window/window.h"

namespace plat {

constexpr unsigned WM_SETTINGCHANGE = 0x001A;

constexpr const char* kHomeKey = "ControlPanel\\Home";
constexpr const char* kHomeBackgroundValue = "BgImage";

// Sends WM_SETTINGCHANGE to the desktop (the Home Screen) and waits until it has been handled.
void SendSettingChangeToDesktop(WPARAM wParam, LPARAM lParam);

// Settings changes sent so far, oldest first, for tests and scripts.
struct SettingChange {
    unsigned message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
const std::vector<SettingChange>& SettingChanges();

class HomeScreen {
  public:
    // Decodes a picture file for the desktop, fitted into width x height; null when it cannot.
    using PictureLoader = std::function<std::unique_ptr<Bitmap>(const std::string& devicePath,
                                                                int width, int height)>;
    // The host provides the decoder (the platform itself reads no picture formats).
    static void SetPictureLoader(PictureLoader loader);

    // The Home key: the top window hears it as a hot key, then the Home Screen comes over
    // everything and takes the keys. Nothing happens while it is already shown.
    static void HomeKey();
    static void Show();
    // Brings back the window that was on top when the Home Screen came.
    static void Leave();
    static bool IsShown();
    // The label of the softkey that returns to the program.
    static void SetReturnLabel(const std::string& label);
    // The background file the desktop shows now ("" for the default background).
    static std::string CurrentBackground();
};

}  // namespace plat
