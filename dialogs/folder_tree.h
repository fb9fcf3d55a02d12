// The folder tree: the whole device as a tree of folders and the pictures in them, from which
// a folder or a picture is chosen.
#pragma once

#include <string>

#include "platform/window/window.h"

struct AppState;

// Opens the tree at `*path` (the root when it does not exist). 1 when an existing item was
// chosen: `*path` is then its full path and `*isFile` tells a picture from a folder. 0 after
// Cancel (path unchanged), or when the chosen item has gone or the dialog failed (path empty).
int RunFolderTree(std::string* path, plat::Window* owner, bool* isFile);

// The tree as the folder-tree view mode runs it, from the work folder.
struct TreeResult {
    bool confirmed = false;
    bool isFile = false;
    std::string path;
};
TreeResult RunFolderTreeForView(AppState* app);
