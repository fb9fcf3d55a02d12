#include "sharing/home_screen_background.h"

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "imaging/jpeg_save.h"
#include "imaging/loaders.h"
#include "platform/graphics/canvas.h"
#include "platform/graphics/theme.h"
#include "platform/os/registry.h"
#include "platform/shell/home_screen.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"
#include "resources/resource_ids.h"
#include "sharing/background_compose.h"

namespace {

struct CanvasSize {
    int width = 0;
    int height = 0;
};

// The Home Screen's visible area: the screen less the softkey bar and the title strip.
CanvasSize HomeCanvasSize(const AppState* app) {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    CanvasSize size{ws.ScreenWidth(), ws.ScreenHeight()};
    if (app->browseMenuBar && app->browseMenuBar->BarWindow()) {
        size.height -= app->browseMenuBar->BarWindow()->Frame().Height();
    }
    if (const plat::Window* tray = ws.FindWindow("Tray", "Tray")) {
        size.height -= tray->Frame().Height();
    }
    return size;
}

// The button-face colour as the display renders it: painted into a memory surface of the
// canvas size and read back.
uint32_t ButtonFaceColour(const CanvasSize& size) {
    plat::Surface surface(size.width, size.height);
    plat::Canvas canvas(&surface);
    canvas.FillRect(plat::Rect{0, 0, size.width, size.height},
                    plat::theme::SystemColor(plat::theme::kColorButtonFace));
    return surface.Pixel(1, 1);
}

int Compose(int command, const imaging::ImageBuffer& picture, imaging::ImageBuffer* canvas) {
    switch (command) {
        case kCmdHomeScreenCenter:
            return ComposeCenter(picture, canvas);
        case kCmdHomeScreenFit:
            return ComposeFit(picture, canvas);
        default:
            return ComposeTile(picture, canvas);
    }
}

void Say(int textId, unsigned icon) {
    ShowMessageText(LoadStr(textId), plat::MB_OK | icon);
}

}  // namespace

int SetHomeScreenBackground(const std::string& path) {
    plat::Registry& registry = plat::Registry::Instance();
    if (!registry.CreateKey(plat::kHomeKey) ||
        !registry.SetString(plat::kHomeKey, plat::kHomeBackgroundValue, path)) {
        return 0;
    }
    plat::SendSettingChangeToDesktop(kBackgroundChanged, 0);
    return 1;
}

void ApplyHomeScreenCommand(AppState* app, int command) {
    const FileEntry* entry = app->fileList->GetCurrentEntry();
    if (!entry) {
        return;
    }
    if (entry->isFolder) {
        SimpleBeep();
        return;
    }
    const CanvasSize size = HomeCanvasSize(app);
    if (command == kCmdHomeScreenDefault) {
        if (SetHomeScreenBackground("")) {
            Say(kStrHomeScreenRestored, plat::MB_ICONINFORMATION);
        }
        return;
    }
    const std::string path = app->fileList->FullPath(app->fileList->currentIndex);
    if (!Exists(path)) {
        return;
    }
    std::string programFolder;
    ProgramFolder(&programFolder);
    std::string target = programFolder + kBackgroundFileAlternate;
    std::string previous;
    bool composed = false;
    int saved = 0;
    {
        WaitCursor wait;
        std::unique_ptr<imaging::ImageBuffer> canvas =
            MakeBackgroundCanvas(size.width, size.height, ButtonFaceColour(size));
        imaging::ImageBuffer picture;
        composed = canvas &&
                   imaging::LoadImageFile(path, &picture, 0, 1, LoadingContext(app)) == 1 &&
                   Compose(command, picture, canvas.get());
        picture.Release();
        if (composed) {
            // The file that is not current is written; the current one stays until the new
            // one is in force.
            if (Exists(programFolder + kBackgroundFile)) {
                previous = programFolder + kBackgroundFile;
            } else if (Exists(programFolder + kBackgroundFileAlternate)) {
                previous = programFolder + kBackgroundFileAlternate;
                target = programFolder + kBackgroundFile;
            }
            saved = imaging::SaveImageAsJpeg(target, *canvas);
        }
    }
    if (!composed) {
        Say(kStrHomeScreenFailed, plat::MB_ICONHAND);
        return;
    }
    if (saved != 1 || !SetHomeScreenBackground(target)) {
        return;
    }
    if (!previous.empty()) {
        plat::DeviceFs::Remove(previous);
    }
    Say(kStrHomeScreenSet, plat::MB_ICONINFORMATION);
}
