#include "dialogs/favorites.h"

#include <algorithm>

#include "core/app.h"
#include "core/app_state.h"
#include "core/paths.h"
#include "platform/os/text.h"
#include "platform/toolkit/dialog.h"
#include "platform/window/window_system.h"
#include "resources/dialogs.h"
#include "resources/resource_ids.h"
#include "resources/strings.h"

namespace {

constexpr int kHomeCommand = kCmdHomeFolder;
constexpr int kNameEdit = kCtlFavoriteName;
constexpr int kFolderEdit = kCtlFavoriteFolder;
constexpr int kFavoritesList = kCtlFavoritesList;
constexpr int kMoveUp = kCmdMoveUp;
constexpr int kMoveDown = kCmdMoveDown;
constexpr int kRename = kCmdRename;
constexpr int kDelete = kCmdDelete;
constexpr int kNameColumnWidth = 80;
constexpr int kFolderColumnWidth = 86;

std::string LastComponent(const std::string& folder) {
    if (folder == "\\") {
        return folder;
    }
    std::string name;
    FileTitle(folder, &name, true);
    return name;
}

}  // namespace

// ---- the menu ----

plat::Menu* SelectFolderMenu(AppState* app) {
    if (!app->browseMenuBar) {
        return nullptr;
    }
    plat::Menu* action = app->browseMenuBar->Popup(1);
    return action ? action->FindOwner(kHomeCommand) : nullptr;
}

std::string FavoriteMenuText(int index, const std::string& name) {
    if (index + 5 <= 9) {
        return plat::FormatText("&%d %s", {index + 5, name});
    }
    return name;
}

void RebuildFavoritesMenu(AppState* app, bool add) {
    plat::Menu* menu = SelectFolderMenu(app);
    if (!menu) {
        if (app->browseMenuBar && app->browseMenuBar->Popup(1)) {
            SimpleBeep();
        }
        return;
    }
    // Removing takes every favourite item, whatever count the list had when they were made.
    for (int id = kFirstFavoriteCommand; id < kFirstFavoriteCommand + kMaxFavoriteCommands; ++id) {
        menu->Remove(id);
    }
    if (!add || !app->favorites) {
        return;
    }
    const int n = std::min(app->favorites->Count(), kMaxFavoriteCommands);
    for (int i = 0; i < n; ++i) {
        plat::MenuItem item;
        item.id = kFirstFavoriteCommand + i;
        item.text = FavoriteMenuText(i, app->favorites->Get(i)->name);
        menu->Append(std::move(item));
    }
}

void SetHomeMenuItem(AppState* app, const std::string& folder) {
    plat::Menu* menu = SelectFolderMenu(app);
    if (!menu) {
        return;
    }
    menu->Remove(kHomeCommand);
    plat::MenuItem item;
    item.id = kHomeCommand;
    item.text = plat::FormatText(LoadStr(kStrHomeItem), {4, LastComponent(folder)});
    menu->Insert(4, std::move(item));
}

void LoadFavorites(AppState* app) {
    app->favorites->Load();
    RebuildFavoritesMenu(app, true);
    SetHomeMenuItem(app, app->homeDirectory);
}

void SaveFavoritesIfChanged(AppState* app) {
    if (app->favorites && app->favorites->modified) {
        app->favorites->Save();
    }
}

// ---- commands ----

void FavoriteCommand(AppState* app, int command) {
    const Favorite* f = app->favorites->Get(command - kFirstFavoriteCommand);
    if (f) {
        GoToFolder(app, f->folder);
    }
}

void SetAsHomeFolderCommand(AppState* app) {
    const std::string question = plat::FormatText(LoadStr(kStrAskHome), {app->workDirectory});
    if (ShowMessageText(question, plat::MB_YESNO | plat::MB_ICONQUESTION) != plat::IDYES) {
        return;
    }
    if (app->SetHomeFolder(app->workDirectory)) {
        SetHomeMenuItem(app, app->workDirectory);
    } else {
        SimpleBeep();
    }
}

void AddFavoriteCommand(AppState* app) {
    std::string name = LastComponent(app->workDirectory);
    std::string folder = app->workDirectory;
    if (FavoriteNameDialog(app->mainWindow, false, &name, &folder) != 1) {
        return;
    }
    RebuildFavoritesMenu(app, false);
    app->favorites->Add(-1, name, folder);
    app->favorites->modified = true;
    app->favorites->Save();
    RebuildFavoritesMenu(app, true);
}

void EditFavoritesCommand(AppState* app) {
    EditFavoritesDialog(app);
}

// ---- the dialogs ----

int FavoriteNameDialog(plat::Window* owner, bool rename, std::string* name, std::string* folder) {
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgFavoriteName);
    if (!tmpl) {
        return -1;
    }
    auto proc = [&](plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LPARAM,
                    plat::LRESULT* result) {
        switch (message) {
            case plat::WM_INITDIALOG:
                if (!d.CreateSoftkeyBar(res::MenuBarResource(kBarOkCancel)) ||
                    !d.MakeFullScreen()) {
                    d.End(-1);
                    return true;
                }
                if (rename) {
                    d.GetWindow()->SetTitle(LoadStr(kStrRename));
                }
                d.SetItemText(kNameEdit, *name);
                d.SetItemText(kFolderEdit, *folder);
                *result = 1;
                return true;
            case plat::WM_COMMAND: {
                const unsigned id = plat::LowWord(wParam);
                if (id == plat::IDOK || id == kCmdOk) {
                    *name = d.ItemText(kNameEdit);
                    *folder = d.ItemText(kFolderEdit);
                    d.End(1);
                    return true;
                }
                if (id == plat::IDCANCEL || id == kCmdCancel) {
                    d.End(2);
                    return true;
                }
                return false;
            }
            default:
                return false;
        }
    };
    return plat::Dialog::Run(*tmpl, owner, proc);
}

namespace {

struct EditState {
    AppState* app = nullptr;
    int selectedRow = 0;
    bool listModified = false;
};

void ApplyFavoritesEdit(EditState& s, plat::ReportList* list) {
    if (!s.listModified) {
        return;
    }
    AppState* app = s.app;
    RebuildFavoritesMenu(app, false);
    app->favorites->Clear();
    for (int row = 0; row < list->RowCount(); ++row) {
        app->favorites->Add(row, list->ItemText(row, 0), list->ItemText(row, 1));
    }
    app->favorites->modified = true;
    app->favorites->Save();
    RebuildFavoritesMenu(app, true);
}

void RenameRow(EditState& s, plat::Dialog& d, plat::ReportList* list) {
    const int row = s.selectedRow;
    if (row < 0 || row >= list->RowCount()) {
        SimpleBeep();
        return;
    }
    std::string name = list->ItemText(row, 0);
    std::string folder = list->ItemText(row, 1);
    if (FavoriteNameDialog(d.GetWindow(), true, &name, &folder) == 1) {
        list->SetItemText(row, 0, name);
        s.listModified = true;
    }
}

void DeleteRow(EditState& s, plat::ReportList* list) {
    const int row = s.selectedRow;
    if (!list->DeleteRow(row)) {
        SimpleBeep();
        return;
    }
    s.listModified = true;
    if (list->RowCount() > 0) {
        list->Select(std::min(row, list->RowCount() - 1));
    } else {
        s.selectedRow = 0;
    }
}

bool EditCommand(EditState& s, plat::Dialog& d, unsigned id) {
    auto* list = d.Get<plat::ReportList>(kFavoritesList);
    switch (id) {
        case kMoveUp:
        case kMoveDown:
            if (list->MoveRow(s.selectedRow, s.selectedRow + (id == kMoveUp ? -1 : 1))) {
                s.listModified = true;
            }
            return true;
        case kDelete:
            DeleteRow(s, list);
            return true;
        case kRename:
            RenameRow(s, d, list);
            return true;
        case plat::IDOK:
        case kCmdOk:
            ApplyFavoritesEdit(s, list);
            d.End(1);
            return true;
        case plat::IDCANCEL:
        case kCmdCancel:
            d.End(2);
            return true;
        default:
            return false;
    }
}

}  // namespace

int EditFavoritesDialog(AppState* app) {
    const plat::DialogTemplate* tmpl = res::DialogResource(kDlgEditFavorites);
    if (!tmpl) {
        return -1;
    }
    EditState s;
    s.app = app;
    auto proc = [&s](plat::Dialog& d, unsigned message, plat::WPARAM wParam, plat::LPARAM lParam,
                     plat::LRESULT* result) {
        auto* list = d.Get<plat::ReportList>(kFavoritesList);
        switch (message) {
            case plat::WM_INITDIALOG: {
                if (!list || !d.CreateSoftkeyBar(res::MenuBarResource(kBarDoneMenu)) ||
                    !d.MakeFullScreen()) {
                    d.End(-1);
                    return true;
                }
                list->AddColumn(LoadStr(kStrName), kNameColumnWidth);
                list->AddColumn(LoadStr(kStrFolder), kFolderColumnWidth);
                for (const Favorite& f : s.app->favorites->Items()) {
                    list->InsertRow(-1, {f.name, f.folder});
                }
                s.selectedRow = 0;
                if (list->RowCount() > 0) {
                    list->Select(0);
                }
                d.FocusItem(kFavoritesList);
                *result = 0;
                return true;
            }
            case plat::WM_NOTIFY: {
                const auto* n = reinterpret_cast<const plat::ListNotify*>(lParam);
                if (n->header.code == plat::kListItemChanged && n->newState != 0) {
                    s.selectedRow = n->item;
                }
                return true;
            }
            case plat::WM_INITMENUPOPUP: {
                auto* menu = reinterpret_cast<plat::Menu*>(wParam);
                const int rows = list ? list->RowCount() : 0;
                menu->Enable(kMoveUp, s.selectedRow > 0 && s.selectedRow < rows);
                menu->Enable(kMoveDown, s.selectedRow >= 0 && s.selectedRow + 1 < rows);
                return true;
            }
            case plat::WM_COMMAND:
                return EditCommand(s, d, plat::LowWord(wParam));
            default:
                return false;
        }
    };
    return plat::Dialog::Run(*tmpl, app->mainWindow, proc);
}
