// Thumbnails of the grid made on worker threads, one per core, and handed to the
// user-interface thread through the message queue.
//
// A decode is asked for by entry identity, not by index: when its result arrives the entry
// may have moved (a new sort), gone (a deletion, another folder), or its thumbnails may have
// been thrown away (a new layout). Only a result that still fits its entry is stored.
#pragma once

#include <vector>

#include "platform/window/messages.h"

struct AppState;

// Posted to the main window when decoded thumbnails wait to be stored.
constexpr unsigned kThumbnailsReadyMessage = plat::WM_APP + 1;

// Starts the decoders; `threads` -1 is one per core, 0 decodes on the calling thread.
void StartThumbnailDecoders(AppState* app, int threads);
// Drops the queued decodes and waits for the running ones (before the main window goes).
void StopThumbnailDecoders();

// Gives entry `index` its thumbnail for the box `boxWidth` x `boxHeight`: made at once
// without decoder threads, queued otherwise (once). True when the entry has it now.
bool RequestThumbnail(AppState* app, int index, int boxWidth, int boxHeight);
// Queued decodes of entries outside first..last are dropped: the page in view goes first.
void KeepThumbnailsFor(AppState* app, int first, int last);
// Stores the thumbnails that arrived in their entries, when they were made for the box the
// grid has now. `changed` receives the indexes of the entries that got one, and of those
// whose result no longer fitted (their cells are to be painted, and so asked for, again).
void TakeThumbnails(AppState* app, int boxWidth, int boxHeight, std::vector<int>* changed);
// Decodes queued or running whose results have not been taken.
int ThumbnailsOutstanding();
