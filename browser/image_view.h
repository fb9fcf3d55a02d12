// The image view: one picture of the current folder with zoom, pan, quarter turns and full
// screen.
#pragma once

#include <cstdint>
#include <memory>

#include "core/image_layout.h"
#include "platform/graphics/canvas.h"
#include "platform/window/messages.h"

struct AppState;
namespace imaging {
class ImageBuffer;
}

enum PanDirection { kPanUp, kPanLeft, kPanRight, kPanDown };
enum class ZoomResult { kChanged, kAtLimit, kRefused };

// Window coordinate to picture coordinate (truncated to a 16-bit value) and back; `roundUp`
// gives the last window pixel that the picture pixel covers when magnifying.
int ToSourceX(const ImageLayout& layout, int x);
int ToSourceY(const ImageLayout& layout, int y);
int ToScreenX(const ImageLayout& layout, int x, bool roundUp);
int ToScreenY(const ImageLayout& layout, int y, bool roundUp);
// Recomputes the geometry from the picture size, the client size and the zoom, centring the
// picture on each axis.
void LayoutImage(ImageLayout* layout);
// One zoom step in or out, keeping the picture point at the window centre where the picture
// overflows the view. kAtLimit at 8 and 1/8 (the caller beeps); kRefused when the picture
// would exceed 30000 pixels or shrink a side below one pixel.
ZoomResult ZoomLayout(ImageLayout* layout, bool in);
// Pans by repeat x 8 zoomed pixels; false when nothing moved.
bool PanLayout(ImageLayout* layout, PanDirection direction, int repeat);
// The window rectangle to paint and the picture rectangle that fills it (right and bottom
// exclusive, as the painter takes them); false when there is nothing to paint.
bool ImagePaintRects(const ImageLayout& layout, plat::Rect* dst, plat::Rect* src);
// The orientation after a turn command (kCmdRotateOriginal, kCmdRotateLeft, kCmdRotateRight) from
// `orientation`, with the angle to turn the picture by (+90 counter-clockwise, -90 clockwise):
// 1 turn, 0 nothing to do, -1 not possible (beep).
int NextOrientation(int orientation, int command, int* newOrientation, int* angle);

// The model of the application's view and back.
ImageLayout GetImageLayout(const AppState* app);
void SetImageLayout(AppState* app, const ImageLayout& layout);
int ToSourceX(const AppState* app, int x);
int ToSourceY(const AppState* app, int y);
int ToScreenX(const AppState* app, int x, bool roundUp);
int ToScreenY(const AppState* app, int y, bool roundUp);

// Opens entry `index` of the file list: the picture is decoded off the user-interface thread
// (the one shown so far stays, with the wait cursor, until it arrives) unless the next-picture
// preload already holds it. 1 when it is shown or on its way, 0 for no picture entry.
int OpenImage(AppState* app, int index);
// Sent to the main window from the loader's thread when a decode is done.
constexpr unsigned kPictureLoadedMessage = plat::WM_APP + 2;
// Shows the picture the loader finished when it was asked for and the settings it was decoded
// for still hold (else decodes it again for them); a preload waits for its step.
void OnPictureLoaded(AppState* app);
// Drops the picture being decoded or preloaded (the view is left).
void StopPictureLoads(AppState* app);
// Makes `image` (may be null) the picture of the view and hands back the previous one; the
// caller keeps it or lets it go.
std::unique_ptr<imaging::ImageBuffer> SetCurrentImage(AppState* app,
                                                      std::unique_ptr<imaging::ImageBuffer> image);
// Title "(n)name" of the picture shown, or the program's name outside the image view.
void UpdateTitle(AppState* app);
// Recomputes the zoom and pan layout for the window's current size (nothing outside the
// image view).
void ComputeImageLayout(AppState* app);
void PaintImage(AppState* app, plat::Canvas& canvas, const plat::Rect& paintRect);
void OnImageKey(AppState* app, unsigned key, int repeat);
// Commands of the image view.
void ZoomIn(AppState* app);
void ZoomOut(AppState* app);
// `fromKey`: the '0' key, which also resets the pan and the zoom percentage; the menu form
// does nothing at zoom 1.
void ActualSize(AppState* app, bool fromKey);
void Pan(AppState* app, PanDirection direction, int repeat);
// `command`: kCmdRotateOriginal, kCmdRotateLeft or kCmdRotateRight.
void Rotate(AppState* app, int command);
void ToggleFullScreen(AppState* app);
