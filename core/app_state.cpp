#include "core/app_state.h"

#include "core/app.h"
#include "core/favorites_store.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "imaging/image_buffer.h"
#include "imaging/image_painter.h"
#include "imaging/picture_loader.h"
#include "platform/os/text.h"
#include "platform/window/window_system.h"

std::string DefaultFolder() {
    std::string folder;
    ProgramFolder(&folder);
    return JoinPath(folder, "Samples");
}

AppState::AppState() {
    slideShow = nullptr;
    viewMode = kThumbnail;
    currentImage.reset();
    const std::string defaultFolder = DefaultFolder();
    homeDirectory = GetStringSetting(kStrMainSection, kStrHomeDirectory, defaultFolder);
    workDirectory = GetStringSetting(kStrMainSection, kStrWorkDirectory, defaultFolder);
    // Paths longer than a device path can be are not paths: fall back as for a missing one.
    if (!plat::DeviceFs::IsValidPath(homeDirectory)) {
        homeDirectory = defaultFolder;
    }
    // The existence test drops a trailing "\" from the stored folder ("\P\" is "\P"), so the
    // folder bar and the parent folder see the same path the scan does.
    DropTrailingSeparator(&homeDirectory);
    if (!plat::DeviceFs::IsValidPath(workDirectory) || !Exists(&workDirectory)) {
        workDirectory = defaultFolder;
    }
    storedWorkDirectory = workDirectory;
    const std::string& start = App().startFolder;
    if (!start.empty() && plat::DeviceFs::IsValidPath(start) && Exists(start)) {
        workDirectory = start;
    }
    orientation = static_cast<int16_t>(GetIntSetting(kStrMainSection, kStrOrientation, 0));
    if (orientation < 0 || orientation > 2) {
        orientation = 0;
    }
    thumbnailLayout = static_cast<int16_t>(GetIntSetting(kStrMainSection, kStrThumbnailLayout, 0));
    if (thumbnailLayout < 0 || thumbnailLayout > 2) {
        // Any other value draws the 4 x 4 grid: name it so, and "Icon Size" shows it checked.
        thumbnailLayout = 2;
    }
    showFileName = GetIntSetting(kStrMainSection, kStrShowFileName, 0) != 0;
    thumbMaxView = GetIntSetting(kStrMainSection, kStrThumbMaxView, 1) != 0;
    loadSizeLevel = static_cast<int16_t>(GetIntSetting(kStrMainSection, kStrOptimizedMemory, 0));
    autoRotate = GetIntSetting(kStrMainSection, kStrAutoRotate, 1) != 0;
    if (loadSizeLevel < 0 || loadSizeLevel > 2) {
        loadSizeLevel = 0;
    }
    backgroundColor = 0xC4C4C4;
    font = plat::Font::Create(plat::FontSpec{12, 400, false, "Nina"});
    fontHeight = 12;
    fileList = std::make_unique<FileList>();
    favorites = std::make_unique<FavoritesStore>();
    // Draws the image view and the slide show; lives as long as the application object.
    imagePainter = std::make_unique<ImagePainter>();
}

AppState::~AppState() = default;

int AppState::SetCurrentFolder(const std::string& folder, bool repaint) {
    std::string path = folder;
    if (!Exists(&path)) {
        return 0;
    }
    // Exact spelling only: on the host, names that differ in case may be different folders.
    if (path == workDirectory) {
        return 1;
    }
    workDirectory = path;
    Rescan(repaint);
    return 1;
}

void AppState::Refresh() {
    Rescan(true);
}

void AppState::Rescan(bool repaint) {
    fileList->Scan(workDirectory);
    fileList->Select(0);
    FolderRescanned(this);
    if (repaint && mainWindow) {
        mainWindow->Invalidate(nullptr, true);
    }
}

bool AppState::SetHomeFolder(const std::string& folder) {
    std::string path = folder;
    if (!Exists(&path)) {
        return false;
    }
    homeDirectory = path;
    return true;
}

void GoToFolder(AppState* app, const std::string& folder) {
    if (!Exists(folder)) {
        ShowMessageText(plat::FormatText(LoadStr(kStrFolderMissing), {folder}),
                        plat::MB_OK | plat::MB_ICONEXCLAMATION);
        return;
    }
    app->SetCurrentFolder(folder, true);
}

imaging::ImagingContext LoadingContext(const AppState* app) {
    imaging::ImagingContext context;
    const plat::WindowSystem& ws = plat::WindowSystem::Get();
    if (ws.ScreenWidth() > 0 && ws.ScreenHeight() > 0) {
        context.screenWidth = ws.ScreenWidth();
        context.screenHeight = ws.ScreenHeight();
    }
    context.loadSizeLevel = app->loadSizeLevel;
    context.orientation = app->orientation;
    context.thumbMaxView = app->thumbMaxView ? 1 : 0;
    context.autoRotate = app->autoRotate ? 1 : 0;
    return context;
}
