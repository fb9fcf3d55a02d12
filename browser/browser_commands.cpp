#include "browser/browser_commands.h"

#include <string>

#include "browser/file_list.h"
#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/paths.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "platform/theme.h"
#include "platform/window_system.h"
#include "resources/artwork.h"
#include "resources/strings.h"

namespace {

constexpr int kCommandOk = 40001;
constexpr int kCommandClose = 2;
constexpr int kAboutIcon = 5001;

struct AboutState {
    plat::Icon icon;
    int result = 0;
    bool done = false;
};

void PaintAbout(plat::Window* window, const AboutState& about) {
    plat::Canvas c = window->BeginPaint();
    const plat::Rect client = window->ClientRect();
    c.FillRect(client, plat::theme::kWindow);
    const int iconX = (client.Width() - about.icon.width) / 2;
    c.DrawIcon(iconX, 14, about.icon);
    c.SetBackgroundMode(plat::BackgroundMode::kTransparent);
    c.SetTextColor(plat::theme::kText);
    int y = 14 + about.icon.height + 12;
    bool first = true;
    for (const char* line : kAboutLines) {
        c.SetFont(first ? plat::theme::UiBoldFont() : plat::theme::UiFont());
        plat::Rect r{6, y, client.right - 6, client.bottom};
        y += c.DrawText(line, &r, plat::kTextCenter | plat::kTextWordBreak | plat::kTextNoPrefix) +
             6;
        first = false;
    }
    window->Validate();
}

plat::LRESULT AboutProc(plat::Window* window, unsigned message, plat::WPARAM wParam,
                        plat::LPARAM lParam) {
    auto* about = static_cast<AboutState*>(window->userData);
    if (!about) {
        return plat::DefWindowProc(window, message, wParam, lParam);
    }
    switch (message) {
        case plat::WM_ERASEBKGND: {
            plat::Canvas c = window->GetCanvas();
            c.FillRect(window->ClientRect(), plat::theme::kWindow);
            return 1;
        }
        case plat::WM_PAINT:
            PaintAbout(window, *about);
            return 0;
        case plat::WM_COMMAND: {
            const int id = static_cast<int>(plat::LowWord(wParam));
            if (id == kCommandOk || id == kCommandClose || id == plat::IDOK) {
                about->result = id;
                about->done = true;
            }
            return 0;
        }
        case plat::WM_HOTKEY:
            if (plat::HighWord(static_cast<uintptr_t>(lParam)) == plat::VK_TBACK &&
                (lParam & plat::kHotKeyReleased)) {
                about->result = kCommandClose;
                about->done = true;
            }
            return 0;
        case plat::WM_KEYDOWN:
            if (wParam == plat::VK_RETURN) {
                about->result = kCommandOk;
                about->done = true;
            }
            return 0;
        case plat::WM_CLOSE:
            about->result = kCommandClose;
            about->done = true;
            return 0;
        default:
            return plat::DefWindowProc(window, message, wParam, lParam);
    }
}

}  // namespace

void DeleteCurrentPicture(AppState* app) {
    FileList* list = app->fileList.get();
    FileEntry* entry = list->GetCurrentEntry();
    if (list->pictureCount <= 0 || !entry || entry->isFolder) {
        SimpleBeep();
        return;
    }
    const std::string name = entry->name;
    const std::string question = plat::FormatText(LoadStr(ids::kAskDelete), {name});
    if (ShowMessageText(question, plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES) {
        return;
    }
    const int index = list->currentIndex;
    const int count = list->Count();
    if (list->DeleteEntry(index, true) == 0 && list->Count() == count) {
        // The picture is still there, and so is its entry: say so rather than pretend.
        ShowMessageText(plat::FormatText("'%s' cannot be deleted.", {name}),
                        plat::MB_OK | plat::MB_ICONEXCLAMATION);
        return;
    }
    UpdateScroll(app);
    int selected = index < list->Count() ? index : list->Count() - 1;
    if (selected < 0) {
        selected = 0;
    }
    list->Select(selected);
    // The cells from the deleted one on all shift by one.
    if (app->mainWindow) {
        app->mainWindow->Invalidate(nullptr, true);
    }
}

void ShowHelp(AppState* /*app*/) {
    std::string folder;
    ProgramFolder(&folder);
    // The result is of no interest: without a browser or a help file nothing is shown.
    plat::Processes::Instance().ShellOpen(JoinPath(JoinPath(folder, "Help"), "index.htm"));
}

void ShowAbout(AppState* app) {
    plat::WindowSystem& ws = plat::WindowSystem::Get();
    plat::Window* previousFocus = ws.Focus();
    AboutState about;
    about.icon = res::LoadIconResource(kAboutIcon);
    plat::Window* window = plat::Window::Create("About", LoadStr(ids::kProgramName),
                                                plat::Shell::WorkArea(), nullptr, AboutProc);
    if (!window) {
        return;
    }
    window->userData = &about;
    window->Invalidate(nullptr, true);
    plat::SoftkeyBar* bar = plat::SoftkeyBar::Create(window, res::MenuBarResource(4003));
    if (bar) {
        bar->OverrideBack(true);
    }
    ws.SetFocus(window);
    ws.PushModal(plat::ModalLoop{"dialog", [&about] {
                                     about.result = kCommandClose;
                                     about.done = true;
                                 }});
    ws.RunModalLoop([&about] { return about.done; });
    ws.PopModal();
    window->userData = nullptr;
    window->SetProc(nullptr);
    window->Destroy();
    if (previousFocus && ws.IsWindow(previousFocus)) {
        ws.SetFocus(previousFocus);
    } else if (app->mainWindow && ws.IsWindow(app->mainWindow)) {
        ws.SetFocus(app->mainWindow);
    }
}
