#include "browser/browser_commands.h"

#include <iterator>
#include <string>

#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "platform/os/process.h"
#include "platform/os/text.h"
#include "platform/shell/shell.h"
#include "platform/toolkit/dialog.h"
#include "resources/artwork.h"
#include "resources/dialogs.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"

namespace {

constexpr int kCommandOk = kCmdOk;
constexpr int kCommandClose = plat::IDCANCEL;
constexpr int kAboutTemplate = kDlgAbout;
constexpr int kAboutIcon = kIconProgram;
constexpr int kAboutIconPlace = kCtlAboutIcon;
constexpr int kAboutNameText = kCtlAboutName;
constexpr int kAboutLineIds[] = {kAboutNameText, kCtlAboutVersion, kCtlAboutLine};
static_assert(std::size(kAboutLineIds) == std::size(kAboutLines));

bool AboutProc(plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LRESULT* result) {
    switch (message) {
        case plat::WM_INITDIALOG: {
            if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarOk)) || !d.MakeFullScreen()) {
                d.End(-1);
                return true;
            }
            if (auto* icon = d.Get<plat::StaticText>(kAboutIconPlace)) {
                icon->SetIcon(res::LoadIconResource(kAboutIcon));
            }
            for (size_t i = 0; i < std::size(kAboutLineIds); ++i) {
                d.SetItemText(kAboutLineIds[i], kAboutLines[i]);
            }
            if (plat::Control* name = d.ItemControl(kAboutNameText)) {
                name->SetFont(plat::DialogTitleFont());
            }
            *result = 1;
            return true;
        }
        case plat::WM_COMMAND: {
            const int id = static_cast<int>(plat::LowWord(wParam));
            if (id == kCommandOk || id == plat::IDOK) {
                d.End(kCommandOk);
                return true;
            }
            if (id == kCommandClose) {
                d.End(kCommandClose);
                return true;
            }
            return false;
        }
        case plat::WM_KEYDOWN:
            // Nothing in the box takes the focus: the action key is "OK" too.
            if (wParam == plat::VK_RETURN) {
                d.End(kCommandOk);
                return true;
            }
            return false;
        default:
            return false;
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
    const std::string question = plat::FormatText(LoadStr(kStrAskDelete), {name});
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
    const plat::DialogTemplate* tmpl = res::DialogResource(kAboutTemplate);
    if (!tmpl) {
        return;
    }
    plat::Dialog::Run(*tmpl, app->mainWindow,
                      [](plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LPARAM,
                         plat::LRESULT* result) { return AboutProc(d, message, wParam, result); });
}
