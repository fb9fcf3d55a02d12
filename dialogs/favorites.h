// Favourite folders: the "Select Folder" menu, the commands and the
// two dialogs that add, rename, reorder and remove favourites.
#pragma once

#include <string>
#include <vector>

#include "core/favorites_store.h"
#include "platform/shell/menu.h"
#include "platform/window/window.h"
#include "resources/resource_ids.h"

struct AppState;

// The menu: up to 100 favourites after the fixed items of "Select Folder", the first five
// with the access keys 5 to 9; the "Home" item names the home folder.
constexpr int kFirstFavoriteCommand = kCmdFirstFavorite;
constexpr int kMaxFavoriteCommands = 100;
plat::Menu* SelectFolderMenu(AppState* app);
void RebuildFavoritesMenu(AppState* app, bool add);
void SetHomeMenuItem(AppState* app, const std::string& folder);
// The text of a favourite's menu item.
std::string FavoriteMenuText(int index, const std::string& name);

// Start-up and shut-down.
void LoadFavorites(AppState* app);
void SaveFavoritesIfChanged(AppState* app);

// Commands.
void FavoriteCommand(AppState* app, int command);
void SetAsHomeFolderCommand(AppState* app);
void AddFavoriteCommand(AppState* app);
void EditFavoritesCommand(AppState* app);

// Dialog kDlgFavoriteName for adding (title "Add to My Favorites") or renaming ("Rename"). Shows
// `name` and `folder`; after OK (result 1) they hold the edits' texts.
int FavoriteNameDialog(plat::Window* owner, bool rename, std::string* name, std::string* folder);
// Dialog kDlgEditFavorites: move, rename and delete; "Done" applies and saves when anything
// changed.
int EditFavoritesDialog(AppState* app);
