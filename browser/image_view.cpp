#include "browser/image_view.h"

#include <algorithm>
#include <string>
#include <utility>

#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "imaging/image_buffer.h"
#include "imaging/image_painter.h"
#include "imaging/loaders.h"
#include "imaging/picture_loader.h"
#include "platform/os/text.h"
#include "platform/window/messages.h"
#include "platform/window/window_system.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kMaxZoom = 8;
constexpr int kMaxZoomedSide = 30000;
constexpr int kPanStep = 8;

int Zoomed(int size, int zoom) {
    return zoom >= 1 ? size * zoom : size / -zoom;
}

int ToSource(int pan, int offset, int x, int zoom) {
    const int p = std::max(pan, 0);
    const int v = zoom >= 1 ? (p - offset + x) / zoom : (p - offset + x) * -zoom;
    return static_cast<int16_t>(v);
}

int ToScreen(int pan, int offset, int x, int zoom, bool roundUp) {
    const int p = std::max(pan, 0);
    if (zoom >= 1) {
        return zoom * x - p + offset + (roundUp ? zoom - 1 : 0);
    }
    return offset - p + x / -zoom;
}

// Lays out one axis: centred and panned to the middle when the zoomed picture overflows the
// view, else centred in the client area with no pan.
void LayoutAxis(int client, int zoomed, int32_t* view, int32_t* pan, int32_t* offset) {
    *view = client;
    *offset = 0;
    if (zoomed > client) {
        *pan = (zoomed - client) / 2;
    } else {
        *pan = -1;
        *view = zoomed;
        *offset = (client - zoomed) / 2;
    }
}

// After a zoom step: put picture point `m` back at the window centre on an axis that can pan.
void Recentre(int m, int client, int zoom, int view, int zoomed, int32_t* pan) {
    if (*pan <= 0) {
        return;
    }
    const int half = zoom >= 1 ? (client / 2) / zoom : (client / 2) * -zoom;
    const int source = std::max(m - half, 0);
    *pan = zoom >= 1 ? source * zoom : source / -zoom;
    if (*pan + view > zoomed) {
        *pan = zoomed - view;
    }
}

void Invalidate(AppState* app, bool erase) {
    if (app->mainWindow) {
        app->mainWindow->Invalidate(nullptr, erase);
    }
}

}  // namespace

int ToSourceX(const ImageLayout& l, int x) {
    return ToSource(l.panX, l.offsetX, x, l.zoomFactor);
}
int ToSourceY(const ImageLayout& l, int y) {
    return ToSource(l.panY, l.offsetY, y, l.zoomFactor);
}
int ToScreenX(const ImageLayout& l, int x, bool roundUp) {
    return ToScreen(l.panX, l.offsetX, x, l.zoomFactor, roundUp);
}
int ToScreenY(const ImageLayout& l, int y, bool roundUp) {
    return ToScreen(l.panY, l.offsetY, y, l.zoomFactor, roundUp);
}

void LayoutImage(ImageLayout* l) {
    l->zoomedWidth = Zoomed(l->pictureWidth, l->zoomFactor);
    l->zoomedHeight = Zoomed(l->pictureHeight, l->zoomFactor);
    LayoutAxis(l->clientWidth, l->zoomedWidth, &l->viewWidth, &l->panX, &l->offsetX);
    LayoutAxis(l->clientHeight, l->zoomedHeight, &l->viewHeight, &l->panY, &l->offsetY);
    l->sourceX = l->panX >= 0 ? ToSourceX(*l, 0) : 0;
    l->sourceY = l->panY >= 0 ? ToSourceY(*l, 0) : 0;
}

ZoomResult ZoomLayout(ImageLayout* l, bool in) {
    const int mx = ToSourceX(*l, l->clientWidth / 2);
    const int my = ToSourceY(*l, l->clientHeight / 2);
    const int zoom = l->zoomFactor;
    int next;
    if (in) {
        next = zoom + 1 == -1 ? 1 : zoom + 1;
        if (next >= 1 && (static_cast<int64_t>(l->pictureWidth) * next > kMaxZoomedSide ||
                          static_cast<int64_t>(l->pictureHeight) * next > kMaxZoomedSide)) {
            return ZoomResult::kRefused;
        }
        if (zoom >= kMaxZoom) {
            return ZoomResult::kAtLimit;
        }
    } else {
        next = zoom - 1 == 0 ? -2 : zoom - 1;
        if (zoom <= -kMaxZoom) {
            return ZoomResult::kAtLimit;
        }
        // The picture would vanish.
        if (next <= -2 && std::min(l->pictureWidth, l->pictureHeight) < -next) {
            return ZoomResult::kRefused;
        }
    }
    l->zoomFactor = next;
    LayoutImage(l);
    Recentre(mx, l->clientWidth, next, l->viewWidth, l->zoomedWidth, &l->panX);
    Recentre(my, l->clientHeight, next, l->viewHeight, l->zoomedHeight, &l->panY);
    // The point shown at the left and top edges, as the painter will map it.
    if (l->panX >= 0)
        l->sourceX = ToSourceX(*l, l->offsetX);
    if (l->panY >= 0)
        l->sourceY = ToSourceY(*l, l->offsetY);
    return ZoomResult::kChanged;
}

bool PanLayout(ImageLayout* l, PanDirection direction, int repeat) {
    const bool horizontal = direction == kPanLeft || direction == kPanRight;
    int32_t* pan = horizontal ? &l->panX : &l->panY;
    if (*pan < 0) {
        return false;
    }
    const int step = repeat * kPanStep;
    int value = *pan + ((direction == kPanLeft || direction == kPanUp) ? -step : step);
    const int limit = horizontal ? l->zoomedWidth - l->viewWidth : l->zoomedHeight - l->viewHeight;
    value = std::min(std::max(value, 0), limit);
    if (value == *pan) {
        return false;
    }
    *pan = value;
    if (horizontal) {
        l->sourceX = ToSourceX(*l, l->offsetX);
    } else {
        l->sourceY = ToSourceY(*l, l->offsetY);
    }
    return true;
}

bool ImagePaintRects(const ImageLayout& l, plat::Rect* dst, plat::Rect* src) {
    if (l.pictureWidth <= 0 || l.pictureHeight <= 0) {
        return false;
    }
    const int left = std::max(l.offsetX, 0);
    const int top = std::max(l.offsetY, 0);
    const int right = std::min(l.offsetX + l.viewWidth, l.clientWidth);
    const int bottom = std::min(l.offsetY + l.viewHeight, l.clientHeight);
    if (right <= left || bottom <= top) {
        return false;
    }
    // When reducing, a window pixel stands for a group of |n| picture pixels: the source
    // reaches to the end of the last group.
    const int groupTail = l.zoomFactor <= -2 ? -l.zoomFactor - 1 : 0;
    const int sl = std::max(ToSourceX(l, left), 0);
    const int st = std::max(ToSourceY(l, top), 0);
    const int sr = std::min(ToSourceX(l, right - 1) + groupTail, l.pictureWidth - 1);
    const int sb = std::min(ToSourceY(l, bottom - 1) + groupTail, l.pictureHeight - 1);
    if (sr < sl || sb < st) {
        return false;
    }
    *src = plat::Rect{sl, st, sr + 1, sb + 1};
    *dst = plat::Rect{ToScreenX(l, sl, false), ToScreenY(l, st, false), ToScreenX(l, sr, true) + 1,
                      ToScreenY(l, sb, true) + 1};
    return true;
}

int NextOrientation(int orientation, int command, int* newOrientation, int* angle) {
    if (command == kCmdRotateOriginal) {
        if (orientation == 1) {
            command = kCmdRotateLeft;
        } else if (orientation == 2) {
            command = kCmdRotateRight;
        } else {
            return 0;
        }
    }
    if (command == kCmdRotateLeft) {
        if (orientation == 2)
            return -1;
        *newOrientation = orientation == 0 ? 2 : 0;
        *angle = 90;
        return 1;
    }
    if (command == kCmdRotateRight) {
        if (orientation == 1)
            return -1;
        *newOrientation = orientation == 0 ? 1 : 0;
        *angle = -90;
        return 1;
    }
    return 0;
}

ImageLayout GetImageLayout(const AppState* app) {
    ImageLayout l = app->view;
    if (app->mainWindow) {
        const plat::Rect client = app->mainWindow->ClientRect();
        l.clientWidth = client.Width();
        l.clientHeight = client.Height();
    } else {
        l.clientWidth = app->screenWidth;
        l.clientHeight = app->clientHeight;
    }
    return l;
}

void SetImageLayout(AppState* app, const ImageLayout& l) {
    app->view = l;
}

int ToSourceX(const AppState* app, int x) {
    return ToSourceX(GetImageLayout(app), x);
}
int ToSourceY(const AppState* app, int y) {
    return ToSourceY(GetImageLayout(app), y);
}
int ToScreenX(const AppState* app, int x, bool roundUp) {
    return ToScreenX(GetImageLayout(app), x, roundUp);
}
int ToScreenY(const AppState* app, int y, bool roundUp) {
    return ToScreenY(GetImageLayout(app), y, roundUp);
}

namespace {

imaging::PictureLoader* Loader(AppState* app) {
    if (!app->pictureLoader) {
        plat::Window* window = app->mainWindow;
        app->pictureLoader = std::make_unique<imaging::PictureLoader>(
            [window] { plat::WindowSystem::Get().Post(window, kPictureLoadedMessage, 0, 0); });
    }
    return app->pictureLoader.get();
}

void EndWaiting(AppState* app) {
    if (app->pictureWanted) {
        app->pictureWanted = false;
        EndWaitCursor();
    }
}

// While the user looks at a picture, the next one in the direction of travel decodes.
void StartPreload(AppState* app) {
    const FileList* list = app->fileList.get();
    const int next = list->StepPicture(list->currentIndex, app->stepBackwards);
    if (next < 0 || next == list->currentIndex) {
        return;
    }
    Loader(app)->Start(imaging::DescribePicture(list->FullPath(next), LoadingContext(app)));
}

// The decoded picture becomes the one shown; a failed decode leaves the previous picture.
void ShowLoaded(AppState* app, std::unique_ptr<imaging::LoadedPicture> loaded) {
    EndWaiting(app);
    if (loaded->result != 1 || !loaded->image) {
        return;
    }
    const int index = app->fileList->currentIndex;
    FileEntry* entry = app->fileList->GetEntry(index);
    if (entry && app->fileList->FullPath(index) == loaded->request.path &&
        (entry->imageWidth == 0 || entry->imageHeight == 0)) {
        entry->imageWidth = static_cast<int16_t>(loaded->fileWidth);
        entry->imageHeight = static_cast<int16_t>(loaded->fileHeight);
    }
    app->currentImagePath = loaded->request.path;
    app->view.panX = 0;
    app->view.panY = 0;
    SetCurrentImage(app, std::move(loaded->image));
    ComputeImageLayout(app);
    UpdateTitle(app);
    Invalidate(app, true);
    StartPreload(app);
}

}  // namespace

int OpenImage(AppState* app, int index) {
    const FileEntry* entry = app->fileList->GetEntry(index);
    if (!entry || entry->isFolder) {
        return 0;
    }
    const imaging::PictureRequest request =
        imaging::DescribePicture(app->fileList->FullPath(index), LoadingContext(app));
    imaging::PictureLoader* loader = Loader(app);
    if (loader->Holds(request)) {
        // The preload made for exactly this: shown at once when done, else when it arrives.
        if (auto loaded = loader->Take()) {
            ShowLoaded(app, std::move(loaded));
            return 1;
        }
    } else {
        loader->Start(request);
    }
    if (!app->pictureWanted) {
        app->pictureWanted = true;
        BeginWaitCursor();
    }
    return 1;
}

void OnPictureLoaded(AppState* app) {
    if (!app->pictureWanted || !app->pictureLoader || app->viewMode != kImage) {
        return;  // a preload: it waits for its step
    }
    std::unique_ptr<imaging::LoadedPicture> loaded = app->pictureLoader->Take();
    if (!loaded) {
        return;  // asked for something else since
    }
    // A turn or a setting changed while it decoded, or the file did: decode it again for now.
    const imaging::PictureRequest now =
        imaging::DescribePicture(loaded->request.path, LoadingContext(app));
    if (!(now == loaded->request)) {
        app->pictureLoader->Start(now);
        return;
    }
    ShowLoaded(app, std::move(loaded));
}

void StopPictureLoads(AppState* app) {
    EndWaiting(app);
    app->stepBackwards = false;
    if (app->pictureLoader) {
        app->pictureLoader->Clear();
    }
}

std::unique_ptr<imaging::ImageBuffer> SetCurrentImage(AppState* app,
                                                      std::unique_ptr<imaging::ImageBuffer> image) {
    std::swap(app->currentImage, image);
    return image;
}

void UpdateTitle(AppState* app) {
    if (!app->mainWindow) {
        return;
    }
    if (app->viewMode == kThumbnail) {
        app->mainWindow->SetTitle(LoadStr(kStrProgramName));
        return;
    }
    if (app->fullScreen) {
        return;
    }
    const FileEntry* entry = app->fileList->GetCurrentEntry();
    if (!entry) {
        return;
    }
    if (entry->isFolder) {
        // No picture is shown for a folder: no number to give.
        app->mainWindow->SetTitle(LoadStr(kStrProgramName));
        return;
    }
    std::string title;
    FileTitle(entry->name, &title, false);
    const int number = app->fileList->currentIndex - app->fileList->FolderCount() + 1;
    app->mainWindow->SetTitle(plat::FormatText("(%d)%s", {number, title}));
}

void ComputeImageLayout(AppState* app) {
    if (app->viewMode != kImage || !app->currentImage) {
        return;
    }
    ImageLayout l = GetImageLayout(app);
    l.pictureWidth = app->currentImage->Width();
    l.pictureHeight = app->currentImage->Height();
    LayoutImage(&l);
    SetImageLayout(app, l);
}

void PaintImage(AppState* app, plat::Canvas& canvas, const plat::Rect& /*paintRect*/) {
    if (!app->currentImage || !app->imagePainter) {
        return;
    }
    plat::Rect dst;
    plat::Rect src;
    if (!ImagePaintRects(GetImageLayout(app), &dst, &src)) {
        return;
    }
    app->imagePainter->SetZoom(app->view.zoomFactor);
    app->imagePainter->Draw(canvas, *app->currentImage, dst, src, app->view.zoomFactor);
}

static void Zoom(AppState* app, bool in) {
    if (!app->currentImage) {
        return;
    }
    ImageLayout l = GetImageLayout(app);
    switch (ZoomLayout(&l, in)) {
        case ZoomResult::kAtLimit:
            SimpleBeep();
            return;
        case ZoomResult::kRefused:
            return;
        case ZoomResult::kChanged:
            SetImageLayout(app, l);
            Invalidate(app, true);
            return;
    }
}

void ZoomIn(AppState* app) {
    Zoom(app, true);
}
void ZoomOut(AppState* app) {
    Zoom(app, false);
}

void ActualSize(AppState* app, bool fromKey) {
    if (!app->currentImage) {
        return;
    }
    const bool zoomChanged = app->view.zoomFactor != 1;
    if (!fromKey && !zoomChanged) {
        return;
    }
    if (fromKey) {
        app->view.panX = 0;
        app->view.panY = 0;
        app->zoomPercent = 100;
    }
    app->view.zoomFactor = 1;
    ComputeImageLayout(app);
    // A picture that shrinks back to actual size would leave its old edges on the screen:
    // erase whenever the zoom changed.
    Invalidate(app, zoomChanged);
}

void Pan(AppState* app, PanDirection direction, int repeat) {
    if (!app->currentImage) {
        return;
    }
    ImageLayout l = GetImageLayout(app);
    if (PanLayout(&l, direction, repeat)) {
        SetImageLayout(app, l);
        Invalidate(app, false);
    }
}

void Rotate(AppState* app, int command) {
    if (!app->currentImage) {
        return;
    }
    int orientation = 0;
    int angle = 0;
    const int step = NextOrientation(app->orientation, command, &orientation, &angle);
    if (step < 0) {
        SimpleBeep();
        return;
    }
    if (step == 0) {
        return;
    }
    std::unique_ptr<imaging::ImageBuffer> turned;
    {
        WaitCursor wait;
        turned = app->currentImage->Rotated(angle);
    }
    if (!turned) {
        // The picture stays as it was, and so does the orientation that describes it.
        ShowMessage(kStrOutOfMemory, kStrProgramName, plat::MB_OK | plat::MB_ICONEXCLAMATION);
        return;
    }
    app->orientation = static_cast<int16_t>(orientation);
    SetCurrentImage(app, std::move(turned));
    ComputeImageLayout(app);
    Invalidate(app, true);
}

void ToggleFullScreen(AppState* app) {
    if (!app->currentImage) {
        return;
    }
    SetFullScreen(app, !app->fullScreen);
}

void OnImageKey(AppState* app, unsigned key, int repeat) {
    switch (key) {
        case plat::VK_LEFT:
        case plat::VK_RIGHT: {
            FileList* list = app->fileList.get();
            const int next = list->StepPicture(list->currentIndex, key == plat::VK_LEFT);
            if (next >= 0 && next != list->currentIndex) {
                app->stepBackwards = key == plat::VK_LEFT;
                list->Select(next);
                OpenImage(app, next);
                Invalidate(app, false);
            }
            return;
        }
        case plat::VK_UP:
            ZoomIn(app);
            return;
        case plat::VK_DOWN:
            ZoomOut(app);
            return;
        case '0':
            ActualSize(app, true);
            return;
        case '1':
            Rotate(app, kCmdRotateLeft);
            return;
        case '3':
            Rotate(app, kCmdRotateRight);
            return;
        case '2':
            Pan(app, kPanUp, repeat);
            return;
        case '4':
            Pan(app, kPanLeft, repeat);
            return;
        case '6':
            Pan(app, kPanRight, repeat);
            return;
        case '8':
            Pan(app, kPanDown, repeat);
            return;
        case '5':
            ToggleFullScreen(app);
            return;
        default:
            return;
    }
}
