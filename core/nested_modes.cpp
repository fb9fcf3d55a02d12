// The folder tree and the slide show run loops of their own inside SetViewMode. Until their
// subsystems are part of the program these entry points answer as a cancelled tree and an
// empty show, so the modes fall back exactly as the state machine describes.
#include "core/app_state.h"
#include "core/commands.h"

TreeResult RunFolderTreeForView(AppState*) {
    return TreeResult{};
}
void RunSlideShowForView(AppState*) {}
void RequestStopSlideShow(AppState*) {}
void PaintSlideShow(AppState*, plat::Canvas&, const plat::Rect&) {}
void SlideShowTimer(AppState*, int) {}
void SlideShowKey(AppState*, unsigned, int) {}
void ResetPainterZoom(AppState*) {}
