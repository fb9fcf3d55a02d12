// The thumbnail grid of the current folder.
#pragma once

#include "platform/graphics/canvas.h"

struct AppState;

// Cells per page; `columns` receives the number of columns.
int LayoutCells(const AppState* app, int* columns);
void ComputeCellSize(AppState* app);
// The largest thumbnail for the current settings.
void ThumbBox(const AppState* app, int* width, int* height);
// The rectangle of a visible entry; false when it is not on the current page.
bool CellRect(AppState* app, int index, plat::Rect* rect);
void UpdateScroll(AppState* app);
void Scroll(AppState* app, int code, int thumbPosition);
void SetThumbnailLayout(AppState* app, int layout);
void SetShowFileName(AppState* app, bool show);
void PaintThumbnails(AppState* app, plat::Canvas& canvas, const plat::Rect& paintRect);
void OnThumbnailKey(AppState* app, unsigned key);
// Thumbnails made on other threads have arrived: stores them and paints their cells.
void OnThumbnailsReady(AppState* app);
// Shortens `text` with "..." until it fits `width` pixels in the canvas's font.
std::string FitTextWithEllipsis(const plat::Canvas& canvas, int width, const std::string& text);
