#include "app/commands.h"

#include "browser/browser_commands.h"
#include "browser/image_view.h"
#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "dialogs/favorites.h"
#include "dialogs/info_dialogs.h"
#include "dialogs/options_dialogs.h"
#include "platform/window/window_system.h"
#include "resources/resource_ids.h"
#include "sharing/infrared_dialog.h"
#include "slideshow/slide_show.h"

namespace {

bool PictureSelected(AppState* app) {
    const FileEntry* entry = app->fileList->GetCurrentEntry();
    return entry && !entry->isFolder;
}

}  // namespace

int DispatchCommand(AppState* app, int id) {
    switch (id) {
        case plat::IDCANCEL:
        case kCmdExit:
            app->mainWindow->Post(plat::WM_CLOSE);
            return 1;
        default:
            break;
    }
    // While a show runs its loop walks the file list: nothing may change it under the show.
    // Only "Exit" and the view commands act (they end the show first).
    if (app->viewMode == kSlideShow && (id < kCmdThumbnailView || id > kCmdSlideShow)) {
        return 1;
    }
    switch (id) {
        case kCmdThumbnailView:
            SetViewMode(app, kThumbnail);
            return 1;
        case kCmdImageView:
            SetViewMode(app, kImage);
            return 1;
        case kCmdTreeView:
            SetViewMode(app, kTree);
            return 1;
        case kCmdSlideShow:
            SetViewMode(app, kSlideShow);
            return 1;
        case kCmdIcons2x2:
        case kCmdIcons3x3:
        case kCmdIcons4x4:
            SetThumbnailLayout(app, id - kCmdIcons2x2);
            return 1;
        case kCmdSortByName:
        case kCmdSortByTime:
        case kCmdSortBySize:
            app->fileList->SetSortKey(id - kCmdSortByName);
            app->mainWindow->Invalidate(nullptr, true);
            return 1;
        case kCmdRefresh:
            app->Refresh();
            return 1;
        case kCmdDelete:
            DeleteCurrentPicture(app);
            return 1;
        case kCmdRotateOriginal:
        case kCmdRotateLeft:
        case kCmdRotateRight:
            Rotate(app, id);
            return 1;
        case kCmdActualSize:
            ActualSize(app, false);
            return 1;
        case kCmdFullScreen:
            ToggleFullScreen(app);
            return 1;
        case kCmdZoomIn:
            ZoomIn(app);
            return 1;
        case kCmdZoomOut:
            ZoomOut(app);
            return 1;
        case kCmdHomeFolder:
            GoToFolder(app, app->homeDirectory);
            return 1;
        case kCmdProperties:
            PropertiesCommand(app);
            return 1;
        case kCmdSystemInfo:
            SystemInfoCommand(app);
            return 1;
        case kCmdGeneralOptions:
            GeneralOptionsCommand(app);
            return 1;
        case kCmdSlideShowOptions:
            ShowSlideShowOptions(app);
            return 1;
        case kCmdAddFavorite:
            AddFavoriteCommand(app);
            return 1;
        case kCmdEditFavorites:
            EditFavoritesCommand(app);
            return 1;
        case kCmdSetHomeFolder:
            SetAsHomeFolderCommand(app);
            return 1;
        case kCmdAbout:
            ShowAbout(app);
            return 1;
        case kCmdHelp:
            ShowHelp(app);
            return 1;
        case kCmdSendInfrared:
            SendViaInfraredCommand(app);
            return 1;
        default:
            break;
    }
    // Commands of sharing that are not part of this program yet are taken
    // without an action, so no stray default handling runs for them.
    switch (id) {
        case kCmdHomeScreenCenter:
        case kCmdHomeScreenFit:
        case kCmdHomeScreenTile:
        case kCmdHomeScreenDefault:
        case kCmdRecordSound:
        case kCmdPlaySound:
        case kCmdDeleteSound:
        case kCmdSendMail:
            return 1;
        default:
            break;
    }
    if (id >= kFirstFavoriteCommand && id < kFirstFavoriteCommand + kMaxFavoriteCommands) {
        FavoriteCommand(app, id);
        return 1;
    }
    return 0;
}

void UpdateMenuPopup(AppState* app, plat::Menu* menu) {
    if (!menu) {
        return;
    }
    const FileEntry* entry = app->fileList->GetCurrentEntry();
    const bool picture = PictureSelected(app);
    menu->CheckRadio(kCmdThumbnailView, kCmdSlideShow, kCmdThumbnailView + app->viewMode);
    if (app->viewMode == kThumbnail) {
        menu->CheckRadio(kCmdIcons2x2, kCmdIcons4x4, kCmdIcons2x2 + app->thumbnailLayout);
        menu->CheckRadio(kCmdSortByName, kCmdSortBySize, kCmdSortByName + app->fileList->sortKey);
        for (int id : {kCmdDelete, kCmdHomeScreenCenter, kCmdHomeScreenFit, kCmdHomeScreenTile,
                       kCmdSendMail, kCmdSendInfrared}) {
            menu->Enable(id, picture);
        }
    }
    if (app->viewMode == kImage) {
        menu->Check(kCmdFullScreen, app->fullScreen);
    }
    menu->Enable(kCmdProperties, picture);
    menu->Enable(kCmdRecordSound, picture);
    const bool voice = entry && entry->hasVoiceNote;
    menu->Enable(kCmdPlaySound, voice);
    menu->Enable(kCmdDeleteSound, voice);
}

void OnKeyDown(AppState* app, unsigned key, int repeat) {
    switch (app->viewMode) {
        case kImage:
            OnImageKey(app, key, repeat);
            break;
        case kSlideShow:
            SlideShowKey(app, key, repeat);
            break;
        case kThumbnail:
            OnThumbnailKey(app, key);
            break;
        default:
            break;
    }
}
