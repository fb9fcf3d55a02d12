#include "browser/thumbnail_view.h"

#include <algorithm>

#include "browser/thumbnail_loader.h"
#include "core/app.h"
#include "core/app_state.h"
#include "core/file_list.h"
#include "core/paths.h"
#include "platform/os/text.h"
#include "platform/window/window_system.h"
#include "resources/artwork.h"
#include "resources/resource_ids.h"

namespace {

constexpr plat::Color kFolderBarFill = 0x75FFC6;
constexpr plat::Color kCellDarkPen = 0x606060;
constexpr plat::Color kWhite = 0xFFFFFF;
constexpr plat::Color kSelectionBlue = 0xFF0000;
constexpr int kFolderBarHeight = 12;

const plat::Icon& FolderIcon() {
    static const plat::Icon icon = res::LoadIconResource(kIconFolder);
    return icon;
}

const plat::Icon& VoiceNoteIcon() {
    static const plat::Icon icon = res::LoadIconResource(kIconVoiceNote);
    return icon;
}

int Rows(const AppState* app) {
    int columns = 1;
    const int cells = LayoutCells(app, &columns);
    return cells / columns;
}

int LastVisible(AppState* app) {
    int columns = 1;
    const int cells = LayoutCells(app, &columns);
    return std::min(app->fileList->Count() - 1, app->firstVisibleIndex + cells - 1);
}

void DrawRectOutline(plat::Canvas& canvas, const plat::Rect& r, plat::Color color) {
    canvas.Polyline({{r.left, r.top},
                     {r.right - 1, r.top},
                     {r.right - 1, r.bottom - 1},
                     {r.left, r.bottom - 1},
                     {r.left, r.top}},
                    color);
}

void DrawCellFrame(plat::Canvas& canvas, const plat::Rect& cell, bool current) {
    const int right = cell.right - 1;
    const int bottom = cell.bottom - 1;
    const plat::Color first = current ? kCellDarkPen : kWhite;
    const plat::Color second = current ? kWhite : kCellDarkPen;
    canvas.Polyline({{cell.left + 2, bottom},
                     {cell.left, bottom - 2},
                     {cell.left, cell.top + 2},
                     {cell.left + 2, cell.top},
                     {right - 2, cell.top}},
                    first);
    canvas.Polyline(
        {{right, cell.top + 2}, {right, bottom - 2}, {right - 2, bottom}, {cell.left + 2, bottom}},
        second);
}

void DrawCell(AppState* app, plat::Canvas& canvas, int index) {
    plat::Rect cell;
    if (!CellRect(app, index, &cell)) {
        return;
    }
    FileEntry* entry = app->fileList->GetEntry(index);
    const bool current = index == app->fileList->currentIndex;
    int boxW = 0;
    int boxH = 0;
    ThumbBox(app, &boxW, &boxH);
    bool caption = app->showFileName;
    DrawCellFrame(canvas, cell, current);

    const plat::Bitmap* bitmap = nullptr;
    if (entry->isFolder) {
        caption = true;
    } else if (RequestThumbnail(app, index, boxW, boxH)) {
        bitmap = entry->thumbnail.get();
        if (entry->imageWidth == 0) {
            caption = true;
        }
    } else {
        return;  // the frame alone until the thumbnail arrives
    }

    plat::Rect captionRect{cell.left, cell.bottom - app->fontHeight, cell.right, cell.bottom};
    plat::Rect box = cell.Inflate(-2, -2);
    if (caption) {
        // Inside the frame at the sides and the bottom, but a whole line less one row of
        // leading high: the letters from the top of an "l" to the foot of an "_" all show.
        captionRect = plat::Rect{captionRect.left + 1, captionRect.top, captionRect.right - 1,
                                 captionRect.bottom - 1};
        box.bottom = captionRect.top;
    }
    int width = entry->isFolder ? 32 : (bitmap ? bitmap->Width() : 0);
    int height = entry->isFolder ? 32 : (bitmap ? bitmap->Height() : 0);
    int srcX = 0;
    if (width > box.Width()) {
        srcX = (width - box.Width()) / 2;
        width = box.Width();
    }
    if (height > box.Height()) {
        height = box.Height();
    }
    const int x = box.left + (box.Width() - width) / 2;
    const int y = box.top + (box.Height() - height) / 2;
    if (entry->isFolder) {
        canvas.DrawIcon(x, y, FolderIcon());
    } else if (bitmap) {
        canvas.DrawDib(x, y, width, height, bitmap->View(), srcX, 0);
    }

    plat::Rect markCorner = box;
    if (current) {
        plat::Rect frame{x - 1, y - 1, x + width, y + height};
        frame.top = std::max(frame.top, cell.top);
        if (caption) {
            frame.bottom = std::min(frame.bottom, captionRect.top);
        }
        DrawRectOutline(canvas, frame, kSelectionBlue);
        frame = frame.Inflate(-1, -1);
        DrawRectOutline(canvas, frame, kSelectionBlue);
        markCorner = frame;
    }

    if (caption) {
        std::string title;
        FileTitle(entry->name, &title, false);
        const std::string fitted = FitTextWithEllipsis(canvas, captionRect.Width(), title);
        const plat::Color oldText = canvas.TextColor();
        const plat::Color oldBack = canvas.BackColor();
        const plat::BackgroundMode oldMode = canvas.GetBackgroundMode();
        if (current) {
            canvas.SetTextColor(kWhite);
            canvas.SetBackColor(kSelectionBlue);
            canvas.SetBackgroundMode(plat::BackgroundMode::kOpaque);
        } else {
            canvas.SetBackgroundMode(plat::BackgroundMode::kTransparent);
        }
        plat::Rect r = captionRect;
        canvas.DrawText(
            fitted, &r,
            plat::kTextCenter | plat::kTextVCenter | plat::kTextSingleLine | plat::kTextNoPrefix);
        canvas.SetTextColor(oldText);
        canvas.SetBackColor(oldBack);
        canvas.SetBackgroundMode(oldMode);
    }

    if (!entry->isFolder && Exists(VoiceNoteName(app->fileList->FullPath(index)))) {
        canvas.DrawIcon(markCorner.left, markCorner.top, VoiceNoteIcon());
    }
}

// The wait cursor shows while thumbnails of the grid are being decoded.
void ShowDecodesWaiting() {
    static bool shown = false;
    const bool waiting = ThumbnailsOutstanding() > 0;
    if (waiting && !shown) {
        BeginWaitCursor();
    } else if (!waiting && shown) {
        EndWaitCursor();
    }
    shown = waiting;
}

void InvalidateCell(AppState* app, int index) {
    plat::Rect r;
    if (CellRect(app, index, &r)) {
        // The frame's outer pixels reach right and bottom.
        r.right += 1;
        r.bottom += 1;
        app->mainWindow->Invalidate(&r, true);
    }
}

}  // namespace

int LayoutCells(const AppState* app, int* columns) {
    switch (app->thumbnailLayout) {
        case 0:
            *columns = 2;
            return 4;
        case 1:
            *columns = 3;
            return 9;
        default:
            *columns = 4;
            return 16;
    }
}

void ComputeCellSize(AppState* app) {
    int columns = 1;
    const int cells = LayoutCells(app, &columns);
    const int rows = cells / columns;
    const int s = plat::kScrollBarWidth;
    app->cellHeight = static_cast<int16_t>((app->gridHeight - 2 * (rows + 1) - s) / rows);
    app->cellWidth = static_cast<int16_t>((app->screenWidth - (columns + 1) - s) / columns);
}

void ThumbBox(const AppState* app, int* width, int* height) {
    *width = app->cellWidth - 2;
    *height = app->cellHeight - 2 - (app->showFileName ? app->fontHeight : 0);
}

bool CellRect(AppState* app, int index, plat::Rect* rect) {
    int columns = 1;
    const int cells = LayoutCells(app, &columns);
    const int rows = cells / columns;
    if (index < app->firstVisibleIndex || index > LastVisible(app)) {
        return false;
    }
    plat::Rect area = app->mainWindow->ClientRect();
    if (app->showFolderBar) {
        area.bottom -= kFolderBarHeight;
    }
    const int gapX = (area.Width() - app->cellWidth * columns) / (columns + 1);
    const int gapY = (area.Height() - app->cellHeight * rows) / (rows + 1);
    const int rel = index - app->firstVisibleIndex;
    const int row = rel / columns;
    const int column = rel % columns;
    rect->left = column * (app->cellWidth + gapX) + gapX;
    rect->top = row * (app->cellHeight + gapY) + gapY;
    rect->right = rect->left + app->cellWidth - 1;
    rect->bottom = rect->top + app->cellHeight - 1;
    return true;
}

void UpdateScroll(AppState* app) {
    if (!app->mainWindow) {
        return;
    }
    int columns = 1;
    const int cells = LayoutCells(app, &columns);
    const int rows = cells / columns;
    const int count = app->fileList->Count();
    if (app->viewMode == kThumbnail && count > cells) {
        const int maxRow = std::max(0, (count - 1) / columns - rows + 1);
        app->mainWindow->SetScrollPage(rows);
        app->mainWindow->SetScrollRange(0, maxRow, true);
        const int topRow = std::min(app->fileList->currentIndex / columns, maxRow);
        app->firstVisibleIndex = topRow * columns;
        if (maxRow > 0) {
            app->mainWindow->SetScrollPos(topRow, true);
        }
    } else {
        app->firstVisibleIndex = 0;
        app->mainWindow->SetScrollRange(0, 0, true);
    }
}

void Scroll(AppState* app, int code, int thumbPosition) {
    const plat::ScrollInfo& info = app->mainWindow->Scroll();
    const int rows = Rows(app);
    int pos = info.pos;
    switch (code) {
        case plat::SB_LINEUP:
            if (pos == info.min)
                return;
            --pos;
            break;
        case plat::SB_LINEDOWN:
            if (pos == info.max)
                return;
            ++pos;
            break;
        case plat::SB_PAGEUP:
            pos -= rows;
            break;
        case plat::SB_PAGEDOWN:
            pos += rows;
            break;
        case plat::SB_THUMBPOSITION:
            pos = thumbPosition;
            break;
        default:
            return;
    }
    pos = std::clamp(pos, info.min, std::max(info.min, info.max));
    app->mainWindow->SetScrollPos(pos, true);
    int columns = 1;
    LayoutCells(app, &columns);
    const int first = pos * columns;
    if (first != app->firstVisibleIndex) {
        app->firstVisibleIndex = std::max(0, std::min(first, app->fileList->Count()));
        app->mainWindow->Invalidate(nullptr, true);
    }
}

void SetThumbnailLayout(AppState* app, int layout) {
    app->thumbnailLayout = static_cast<int16_t>(layout);
    ComputeCellSize(app);
    UpdateScroll(app);
    app->fileList->FreeThumbnails();
    app->mainWindow->Invalidate(nullptr, true);
}

void SetShowFileName(AppState* app, bool show) {
    app->showFileName = show;
    app->mainWindow->Invalidate(nullptr, true);
}

void PaintThumbnails(AppState* app, plat::Canvas& canvas, const plat::Rect& paintRect) {
    const int last = LastVisible(app);
    if (app->showFolderBar) {
        plat::Rect bar = app->mainWindow->ClientRect();
        bar.top = bar.bottom - kFolderBarHeight;
        canvas.FillRect(bar, kFolderBarFill);
        canvas.Line(bar.left, bar.top, bar.right, bar.top, 0x000000);
        canvas.SetFont(app->font);
        canvas.SetTextColor(0x000000);
        canvas.SetBackgroundMode(plat::BackgroundMode::kTransparent);
        plat::Rect text{bar.left + 2, bar.top + 1, bar.right, bar.bottom};
        canvas.DrawText(app->workDirectory, &text,
                        plat::kTextSingleLine | plat::kTextVCenter | plat::kTextNoPrefix);
    }
    canvas.SetFont(app->font);
    // Decodes still queued for a page scrolled away from wait no longer.
    KeepThumbnailsFor(app, app->firstVisibleIndex, last);
    for (int i = app->firstVisibleIndex; i <= last; ++i) {
        plat::Rect cell;
        // Cell rectangles name their last pixel, so they reach one past right and bottom.
        if (CellRect(app, i, &cell) &&
            plat::Rect{cell.left, cell.top, cell.right + 1, cell.bottom + 1}.Intersects(
                paintRect)) {
            DrawCell(app, canvas, i);
        }
    }
    ShowDecodesWaiting();
}

void OnThumbnailsReady(AppState* app) {
    int boxW = 0;
    int boxH = 0;
    ThumbBox(app, &boxW, &boxH);
    std::vector<int> changed;
    TakeThumbnails(app, boxW, boxH, &changed);
    if (app->viewMode == kThumbnail || app->viewMode == kTree) {
        for (const int index : changed) {
            InvalidateCell(app, index);
        }
    }
    ShowDecodesWaiting();
}

void OnThumbnailKey(AppState* app, unsigned key) {
    int columns = 1;
    LayoutCells(app, &columns);
    const int cur = app->fileList->currentIndex;
    int target = cur;
    switch (key) {
        case plat::VK_LEFT:
            target = cur - 1;
            break;
        case plat::VK_RIGHT:
            target = cur + 1;
            break;
        case plat::VK_UP:
            target = cur - columns;
            break;
        case plat::VK_DOWN:
            target = cur + columns;
            break;
        case plat::VK_RETURN: {
            const FileEntry* entry = app->fileList->GetCurrentEntry();
            if (!entry) {
                return;
            }
            if (entry->isFolder) {
                app->SetCurrentFolder(app->fileList->FullPath(cur), true);
            } else {
                SetViewMode(app, kImage);
            }
            return;
        }
        default:
            return;
    }
    target = std::clamp(target, 0, std::max(0, app->fileList->Count() - 1));
    if (target == cur || app->fileList->Count() == 0) {
        return;
    }
    app->fileList->Select(target);
    if (target < app->firstVisibleIndex) {
        Scroll(app, plat::SB_LINEUP, 0);
    } else if (target > LastVisible(app)) {
        Scroll(app, plat::SB_LINEDOWN, 0);
    } else {
        InvalidateCell(app, cur);
        InvalidateCell(app, target);
    }
}

std::string FitTextWithEllipsis(const plat::Canvas& canvas, int available,
                                const std::string& text) {
    if (canvas.TextWidth(text) <= available) {
        return text;
    }
    const std::vector<size_t> offsets = plat::CodePointOffsets(text);
    const size_t chars = offsets.size() - 1;
    const auto prefix = [&](size_t n) { return text.substr(0, offsets[std::min(n, chars)]); };
    const int dots = canvas.TextWidth("...");
    size_t n = std::min<size_t>(4, chars);
    if (canvas.TextWidth(prefix(n)) >= available) {
        while (n > 0 && canvas.TextWidth(prefix(n)) + dots / 3 > available) {
            --n;
        }
    }
    std::string work = prefix(n);
    const int total = canvas.TextWidth(work) + dots;
    if (total < available) {
        size_t k = n;
        while (k < chars && canvas.TextWidth(prefix(k + 1)) + dots <= available) {
            ++k;
        }
        return prefix(k) + "...";
    }
    if (total == available) {
        return work + "...";
    }
    for (const char* tail : {"..", "."}) {
        if (canvas.TextWidth(work) + canvas.TextWidth(tail) <= available) {
            return work + tail;
        }
    }
    return work;
}
