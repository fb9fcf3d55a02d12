#include "core/commands.h"

#include "browser/browser_commands.h"
#include "browser/file_list.h"
#include "browser/image_view.h"
#include "browser/thumbnail_view.h"
#include "core/app.h"
#include "core/app_state.h"
#include "dialogs/favorites.h"
#include "dialogs/info_dialogs.h"
#include "dialogs/options_dialogs.h"
#include "platform/window_system.h"
#include "sharing/home_screen_background.h"
#include "sharing/send_mail.h"
#include "sharing/voice_notes.h"

namespace {

bool PictureSelected(AppState* app) {
    const FileEntry* entry = app->fileList->GetCurrentEntry();
    return entry && !entry->isFolder;
}

}  // namespace

int DispatchCommand(AppState* app, int id) {
    switch (id) {
        case 2:
        case 40011:
            app->mainWindow->Post(plat::WM_CLOSE);
            return 1;
        default:
            break;
    }
    // While a show runs its loop walks the file list: nothing may change it under the show.
    // Only "Exit" and the view commands act (they end the show first).
    if (app->viewMode == kSlideShow && (id < 40007 || id > 40010)) {
        return 1;
    }
    switch (id) {
        case 40007:
            SetViewMode(app, kThumbnail);
            return 1;
        case 40008:
            SetViewMode(app, kImage);
            return 1;
        case 40009:
            SetViewMode(app, kTree);
            return 1;
        case 40010:
            SetViewMode(app, kSlideShow);
            return 1;
        case 40013:
        case 40014:
        case 40015:
            SetThumbnailLayout(app, id - 40013);
            return 1;
        case 40016:
        case 40017:
        case 40018:
            app->fileList->SetSortKey(id - 40016);
            app->mainWindow->Invalidate(nullptr, true);
            return 1;
        case 40020:
            app->Refresh();
            return 1;
        case 40022:
            DeleteCurrentPicture(app);
            return 1;
        case 40027:
        case 40028:
        case 40029:
            Rotate(app, id);
            return 1;
        case 40036:
            ActualSize(app, false);
            return 1;
        case 40040:
            ToggleFullScreen(app);
            return 1;
        case 40041:
            ZoomIn(app);
            return 1;
        case 40042:
            ZoomOut(app);
            return 1;
        case 40046:
            GoToFolder(app, app->homeDirectory);
            return 1;
        case 40021:
            PropertiesCommand(app);
            return 1;
        case 40038:
            SystemInfoCommand(app);
            return 1;
        case 40039:
            GeneralOptionsCommand(app);
            return 1;
        case 40043:
            ShowSlideShowOptions(app);
            return 1;
        case 40044:
            AddFavoriteCommand(app);
            return 1;
        case 40045:
            EditFavoritesCommand(app);
            return 1;
        case 40059:
            SetAsHomeFolderCommand(app);
            return 1;
        case 40023:
        case 40024:
        case 40025:
        case 40026:
            ApplyHomeScreenCommand(app, id);
            return 1;
        case 40047:
            RecordVoiceNote(app);
            return 1;
        case 40048:
            PlayVoiceNote(app);
            return 1;
        case 40049:
            DeleteVoiceNote(app);
            return 1;
        case 40050:
            SendPictureByMail(app);
            return 1;
        case 40060:
            ShowAbout(app);
            return 1;
        case 40062:
            ShowHelp(app);
            return 1;
        default:
            break;
    }
    // Sending over infrared is not part of this program yet: the command is taken without an
    // action, so no stray default handling runs for it.
    if (id == 40051) {
        return 1;
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
    menu->CheckRadio(40007, 40010, 40007 + app->viewMode);
    if (app->viewMode == kThumbnail) {
        menu->CheckRadio(40013, 40015, 40013 + app->thumbnailLayout);
        menu->CheckRadio(40016, 40018, 40016 + app->fileList->sortKey);
        for (int id : {40022, 40023, 40024, 40025, 40050, 40051}) {
            menu->Enable(id, picture);
        }
    }
    if (app->viewMode == kImage) {
        menu->Check(40040, app->fullScreen);
    }
    menu->Enable(40021, picture);
    menu->Enable(40047, picture);
    const bool voice = entry && entry->hasVoiceNote;
    menu->Enable(40048, voice);
    menu->Enable(40049, voice);
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
