// The single application object: everything the main window shows and the user has chosen.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/image_layout.h"
#include "imaging/loaders.h"
#include "platform/graphics/font.h"
#include "platform/graphics/geometry.h"
#include "platform/window/window.h"

class FavoritesStore;
class FileList;
class ImagePainter;
class SlideShowPlayer;
namespace plat {
class SoftkeyBar;
}
namespace imaging {
class ImageBuffer;
class PictureLoader;
}  // namespace imaging

enum ViewMode : int16_t { kThumbnail = 0, kImage = 1, kTree = 2, kSlideShow = 3 };

struct AppState {
    AppState();
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    plat::Window* mainWindow = nullptr;
    plat::SoftkeyBar* browseMenuBar = nullptr;
    std::unique_ptr<FileList> fileList;
    int16_t screenWidth = 0;
    int16_t clientHeight = 0;
    plat::SoftkeyBar* imageMenuBar = nullptr;
    // The favourite folders of the "Select Folder" menu.
    std::unique_ptr<FavoritesStore> favorites;
    int32_t firstVisibleIndex = 0;  // folders hold far more than 32,767 entries
    int16_t thumbnailLayout = 0;
    int16_t cellWidth = 50;
    int16_t cellHeight = 50;
    bool showFolderBar = true;
    int16_t gridHeight = 168;
    bool thumbMaxView = true;
    std::unique_ptr<imaging::ImageBuffer> currentImage;
    // Decodes the image view's pictures off the user-interface thread: the one to show, or
    // the next one in the direction of travel.
    std::unique_ptr<imaging::PictureLoader> pictureLoader;
    bool pictureWanted = false;  // the picture being decoded is to be shown when done
    bool stepBackwards = false;  // the last step went to the previous picture
    bool fullScreen = false;
    std::string currentImagePath;
    int16_t loadSizeLevel = 0;
    int32_t zoomPercent = 100;
    // Zoom, pan and the geometry of the picture in the image view.
    ImageLayout view;
    std::unique_ptr<ImagePainter> imagePainter;
    SlideShowPlayer* slideShow = nullptr;
    ViewMode viewMode = kThumbnail;
    std::string workDirectory;
    std::string homeDirectory;
    // The work folder as stored, kept for the next start when this one began in a folder the
    // host gave (that folder is not there next time).
    std::string storedWorkDirectory;
    plat::Color backgroundColor = 0xC4C4C4;
    int16_t orientation = 0;
    bool showFileName = false;
    // Camera pictures are shown upright by their EXIF orientation (setting AutoRotate).
    bool autoRotate = true;
    std::shared_ptr<plat::Font> font;
    int16_t fontHeight = 12;
    // "Exit" or a system close arrived while a slide show ran: close once the show is over.
    bool closeRequested = false;

    // Folder operations of the browser.
    int SetCurrentFolder(const std::string& path, bool repaint);
    void Refresh();
    // Reads the work folder again and selects its first entry.
    void Rescan(bool repaint);
    // Returns false (home unchanged) when `path` does not exist.
    bool SetHomeFolder(const std::string& path);
};

// How pictures are loaded now: the screen size and the user's memory level, orientation,
// thumbnail and auto-rotate choices.
imaging::ImagingContext LoadingContext(const AppState* app);

// The default picture folder: the program folder's "Samples".
std::string DefaultFolder();
// Goes to `folder`, or says it does not exist.
void GoToFolder(AppState* app, const std::string& folder);

// The main window and its modes. The application shell implements these for the layers
// below it: the views ask for a mode, and the shell is told when the folder was read again.
void SetViewMode(AppState* app, ViewMode mode);
void SetFullScreen(AppState* app, bool on);
plat::SoftkeyBar* ActiveMenuBar(AppState* app);
void ShowMenuBarForMode(AppState* app);
// The work folder was read again (the thumbnail grid's scroll range follows it).
void FolderRescanned(AppState* app);
