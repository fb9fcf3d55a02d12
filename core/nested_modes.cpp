// The folder tree runs a loop of its own inside SetViewMode. Until its subsystem is part of
// the program this entry point answers as a cancelled tree, so the mode falls back exactly
// as the state machine describes.
#include "core/app_state.h"
#include "core/commands.h"

TreeResult RunFolderTreeForView(AppState*) {
    return TreeResult{};
}
