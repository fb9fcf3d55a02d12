#include "app/main_window.h"

#include "app/commands.h"
#include "browser/image_view.h"
#include "browser/samples.h"
#include "browser/thumbnail_loader.h"
#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "dialogs/favorites.h"
#include "dialogs/folder_tree.h"
#include "imaging/image_buffer.h"
#include "platform/os/text.h"
#include "platform/shell/shell.h"
#include "platform/window/window_system.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"
#include "slideshow/slide_show.h"

using plat::LPARAM;
using plat::LRESULT;
using plat::WPARAM;

namespace {

// Both bars leave Back to the main window, which gets it as WM_HOTKEY.
plat::SoftkeyBar* CreateBar(plat::Window* window, int id) {
    plat::SoftkeyBar* bar = plat::SoftkeyBar::Create(window, res::MenuBarResource(id));
    if (bar) {
        bar->OverrideBack(true);
    }
    return bar;
}

void CreateViews(AppState* app) {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    const plat::Rect client = app->mainWindow->ClientRect();
    app->screenWidth = static_cast<int16_t>(ws.ScreenWidth());
    app->clientHeight = static_cast<int16_t>(client.Height());
    app->gridHeight = static_cast<int16_t>(app->clientHeight - 12);
    app->fileList->Scan(app->workDirectory);
    app->fileList->Select(0);
    UpdateScroll(app);
    ComputeCellSize(app);
    LoadFavorites(app);
    StartThumbnailDecoders(app, App().decodeThreads);
}

// The work folder to store: a folder the host gave for this start only (and what lies below
// it) is not there next time, so the stored one is kept then.
std::string WorkFolderToStore(const AppState* app) {
    const std::string& start = App().startFolder;
    const std::string& work = app->workDirectory;
    const std::string below = start + "\\";
    if (!start.empty() &&
        (plat::EqualsNoCase(work, start) ||
         (work.size() > below.size() && plat::EqualsNoCase(work.substr(0, below.size()), below)))) {
        return app->storedWorkDirectory;
    }
    return app->workDirectory;
}

void WriteMainSettings(const AppState* app) {
    SetStringSetting(kStrMainSection, kStrWorkDirectory, WorkFolderToStore(app));
    SetStringSetting(kStrMainSection, kStrHomeDirectory, app->homeDirectory);
    SetIntSetting(kStrMainSection, kStrOrientation, app->orientation);
    SetIntSetting(kStrMainSection, kStrThumbnailLayout, app->thumbnailLayout);
    SetIntSetting(kStrMainSection, kStrShowFileName, app->showFileName ? 1 : 0);
    SetIntSetting(kStrMainSection, kStrThumbMaxView, app->thumbMaxView ? 1 : 0);
    SetIntSetting(kStrMainSection, kStrOptimizedMemory, app->loadSizeLevel);
    SetIntSetting(kStrMainSection, kStrAutoRotate, app->autoRotate ? 1 : 0);
}

// True while a loop inside the main window's own message handling runs (a menu, a dialog, a
// message box, the folder tree, a slide show): the main window must outlive it.
bool NestedLoopRunning(const AppState* app) {
    return !plat::WindowSystem::Get().Modals().empty() || app->viewMode == kSlideShow ||
           app->viewMode == kTree;
}

void ShutDown(AppState* app, plat::Window* window) {
    if (NestedLoopRunning(app)) {
        // Whatever runs is ended as the user would end it (Back, Cancel, No); the close
        // follows when the main loop has them all behind it (RunMessageLoop).
        app->closeRequested = true;
        if (app->viewMode == kSlideShow) {
            RequestStopSlideShow(app);
        }
        plat::WindowSystem::Get().EndModalsForClose();
        return;
    }
    StopThumbnailDecoders();
    app->fileList->Clear(true, false);
    SaveFavoritesIfChanged(app);
    WriteMainSettings(app);
    window->Destroy();
}

void OnHotKey(AppState* app, LPARAM lParam) {
    const unsigned key = plat::HighWord(static_cast<uintptr_t>(lParam));
    const bool released = (lParam & plat::kHotKeyReleased) != 0;
    if (key == plat::VK_TBACK) {
        if (!released) {
            return;
        }
        switch (app->viewMode) {
            case kImage:
                if (app->fullScreen) {
                    SetFullScreen(app, false);
                } else {
                    SetViewMode(app, kThumbnail);
                }
                break;
            case kThumbnail: {
                std::string parent;
                if (ParentFolder(app->workDirectory, &parent)) {
                    GoToFolder(app, parent);
                } else {
                    SimpleBeep();
                }
                break;
            }
            case kSlideShow:
                RequestStopSlideShow(app);
                break;
            default:
                break;
        }
    } else if (key == plat::VK_THOME) {
        switch (app->viewMode) {
            case kThumbnail:
                GoToFolder(app, app->homeDirectory);
                break;
            case kSlideShow:
                RequestStopSlideShow(app);
                break;
            default:
                SetViewMode(app, kThumbnail);
                break;
        }
    }
}

}  // namespace

LRESULT MainWindowProc(plat::Window* window, unsigned message, WPARAM wParam, LPARAM lParam) {
    AppState* app = App().appState;
    switch (message) {
        case plat::WM_CREATE: {
            app->mainWindow = window;
            app->browseMenuBar = CreateBar(window, kBarBrowse);
            app->imageMenuBar = CreateBar(window, kBarImage);
            if (!app->browseMenuBar || !app->imageMenuBar) {
                plat::WindowSystem::Get().PostQuit(0);
                return 0;
            }
            app->imageMenuBar->Show(false);
            CreateViews(app);
            return 0;
        }
        case plat::WM_DESTROY:
            plat::WindowSystem::Get().PostQuit(0);
            return 1;
        case plat::WM_ERASEBKGND: {
            plat::Canvas canvas = window->GetCanvas();
            canvas.FillRect(window->ClientRect(), app->backgroundColor);
            return 1;
        }
        case plat::WM_PAINT: {
            plat::Canvas canvas = window->BeginPaint();
            const plat::Rect paintRect = window->PaintRect();
            if (app->viewMode == kImage) {
                PaintImage(app, canvas, paintRect);
            } else if (app->viewMode == kSlideShow) {
                PaintSlideShow(app, canvas, paintRect);
            } else {
                PaintThumbnails(app, canvas, paintRect);
            }
            window->Validate();
            return 1;
        }
        case plat::WM_CLOSE:
            ShutDown(app, window);
            return 1;
        case plat::WM_KEYDOWN: {
            const unsigned key = static_cast<unsigned>(wParam);
            if (app->viewMode == kThumbnail && key == '0') {
                window->Send(plat::WM_HOTKEY, 0, static_cast<LPARAM>(plat::VK_THOME << 16));
                return 1;
            }
            OnKeyDown(app, key, static_cast<int>(lParam & 0xFF));
            return 1;
        }
        case plat::WM_KEYUP:
        case plat::WM_NOTIFY:
            return 1;
        case plat::WM_COMMAND:
            if (DispatchCommand(app, static_cast<int>(plat::LowWord(wParam)))) {
                return 1;
            }
            return plat::DefWindowProc(window, message, wParam, lParam);
        case plat::WM_TIMER:
            if (app->viewMode == kSlideShow) {
                SlideShowTimer(app, static_cast<int>(wParam));
            }
            return 1;
        case plat::WM_VSCROLL:
            Scroll(app, static_cast<int>(plat::LowWord(wParam)),
                   static_cast<int>(plat::HighWord(wParam)));
            return 1;
        case plat::WM_INITMENUPOPUP:
            UpdateMenuPopup(app, reinterpret_cast<plat::Menu*>(wParam));
            return 1;
        case plat::WM_HOTKEY:
            OnHotKey(app, lParam);
            return 1;
        case kThumbnailsReadyMessage:
            OnThumbnailsReady(app);
            return 1;
        case kPictureLoadedMessage:
            OnPictureLoaded(app);
            return 1;
        default:
            return plat::DefWindowProc(window, message, wParam, lParam);
    }
}

int InitApplication() {
    App().settings.Open(kMakerName, App().exeBaseName);
    // The first start on a device fills the program folder (sample pictures, help page).
    InstallProgramFolder();
    return 1;
}

int InitInstance() {
    App().appState = new AppState();
    plat::Window* window = plat::Window::Create(kMainWindowClass, LoadStr(kStrProgramName),
                                                plat::Shell::WorkArea(), nullptr, MainWindowProc);
    if (!window) {
        return 0;
    }
    AppState* app = App().appState;
    app->mainWindow = window;
    plat::WindowSystem::Get().SetFocus(window);
    window->Invalidate(nullptr, true);
    // A picture the host was asked to show opens in the image view.
    if (!App().startPicture.empty() && plat::EqualsNoCase(app->workDirectory, App().startFolder) &&
        app->fileList->SelectByName(App().startPicture)) {
        SetViewMode(app, kImage);
    }
    return 1;
}

int RunMessageLoop() {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    plat::Message m;
    while (ws.GetMessage(&m)) {
        ws.Dispatch(m);
        // Every nested loop has returned by now: a close that waited for them goes ahead.
        AppState* app = App().appState;
        if (app && app->closeRequested && !NestedLoopRunning(app) && ws.IsWindow(app->mainWindow)) {
            app->closeRequested = false;
            app->mainWindow->Post(plat::WM_CLOSE);
        }
    }
    return static_cast<int>(m.wParam);
}

void RequestExit() {
    AppState* app = App().appState;
    if (app && plat::WindowSystem::Get().IsWindow(app->mainWindow)) {
        app->mainWindow->Post(plat::WM_CLOSE);
    }
}

void TearDownApplication() {
    StopThumbnailDecoders();
    delete App().appState;
    App().appState = nullptr;
}

void FolderRescanned(AppState* app) {
    UpdateScroll(app);
}

void SetFullScreen(AppState* app, bool on) {
    app->fullScreen = on;
    plat::SoftkeyBar* bar = ActiveMenuBar(app);
    plat::Window* tray = plat::WindowSystem::Get().FindWindow("Tray", "Tray");
    if (tray) {
        plat::WindowSystem& ws = plat::WindowSystem::Get();
        if (on) {
            app->mainWindow->Move(plat::Rect{0, 0, ws.ScreenWidth(), ws.ScreenHeight()});
            tray->Show(false);
        } else {
            const int top = tray->Frame().bottom;
            app->mainWindow->Move(plat::Rect{0, top, ws.ScreenWidth(), top + app->clientHeight});
            tray->Show(true);
        }
        if (bar) {
            bar->Show(!on);
        }
        app->mainWindow->Invalidate(nullptr, true);
    }
    if (!on) {
        UpdateTitle(app);
    }
    ComputeImageLayout(app);
}

plat::SoftkeyBar* ActiveMenuBar(AppState* app) {
    if (app->viewMode == kImage) {
        return app->imageMenuBar;
    }
    if (app->browseMenuBar && !app->browseMenuBar->IsVisible() && app->imageMenuBar &&
        app->imageMenuBar->IsVisible()) {
        return app->imageMenuBar;
    }
    return app->browseMenuBar;
}

void ShowMenuBarForMode(AppState* app) {
    plat::SoftkeyBar* show = nullptr;
    plat::SoftkeyBar* hide = nullptr;
    if (app->viewMode == kThumbnail) {
        show = app->browseMenuBar;
        hide = app->imageMenuBar;
    } else if (app->viewMode == kImage) {
        show = app->imageMenuBar;
        hide = app->browseMenuBar;
    }
    if (show && !show->IsVisible()) {
        if (hide)
            hide->Show(false);
        show->Show(true);
        show->OverrideBack(true);
    }
}

void SetViewMode(AppState* app, ViewMode mode) {
    const ViewMode oldMode = app->viewMode;
    bool repaint = true;
    if (mode != kImage) {
        StopPictureLoads(app);
    }
    if (oldMode == kImage && mode != kImage && app->fullScreen) {
        // Full screen belongs to the image view: whatever leaves the picture brings the title
        // strip and the softkeys back before the next view lays itself out.
        SetFullScreen(app, false);
    }
    if (mode == kTree) {
        app->viewMode = kTree;
        TreeResult tree = RunFolderTreeForView(app);
        if (!tree.confirmed) {
            mode = oldMode;
            repaint = false;
        } else if (tree.isFile) {
            mode = kImage;
            std::string parent;
            ParentFolder(tree.path, &parent);
            app->SetCurrentFolder(parent, false);
            std::string name;
            FileTitle(tree.path, &name, true);
            app->fileList->SelectByName(name);
        } else {
            mode = kThumbnail;
            app->SetCurrentFolder(tree.path, false);
        }
    }
    app->viewMode = mode;
    app->view.zoomFactor = 1;
    ResetPainterZoom(app);
    if (mode == kSlideShow) {
        UpdateScroll(app);
        RunSlideShowForView(app);
        app->viewMode = kThumbnail;
        mode = kThumbnail;
        repaint = true;
    }
    if (mode == kThumbnail) {
        app->mainWindow->SetTitle(LoadStr(kStrProgramName));
    } else if (mode == kImage) {
        // The grid's scroll bar goes first, so the picture is laid out on the whole width.
        UpdateScroll(app);
        OpenImage(app, app->fileList->currentIndex);
        repaint = true;
    } else {
        plat::WindowSystem::Get().SetFocus(app->mainWindow);
    }
    if (mode != kImage && mode != kSlideShow) {
        app->currentImage.reset();
    }
    UpdateScroll(app);
    ShowMenuBarForMode(app);
    if (repaint) {
        app->mainWindow->Invalidate(nullptr, true);
    }
}
