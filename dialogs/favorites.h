// Favourite folders: the store and its file, the "Select Folder" menu, the commands and the
// two dialogs that add, rename, reorder and remove favourites.
#pragma once

#include <string>
#include <vector>

#include "platform/menu.h"
#include "platform/window.h"

struct AppState;

struct Favorite {
    std::string name;
    std::string folder;
};

// The file "agoto.got" in the program folder: a 42-byte header ("AF0" in UTF-16LE with its
// terminator, a 16-bit record count, 32 zero bytes), then per record a 16-bit byte length and
// the UTF-16LE name with its terminator, and the same for the folder.
class FavoritesStore {
  public:
    static constexpr int kMaxNameUnits = 127;
    static constexpr int kMaxFolderUnits = 259;
    static constexpr int kHeaderSize = 42;

    // Reads the file; without one, the list holds "My Documents" when that folder exists and
    // is marked changed, so that the first exit writes it.
    void Load();
    // Writes through a temporary file renamed over the old one. 1 on success, else 0 (and
    // `modified` stays as it was).
    int Save();
    // Inserts before `index` (appends when index < 0 or beyond the end). Names are kept to
    // kMaxNameUnits and folders to kMaxFolderUnits, as the file holds them.
    void Add(int index, const std::string& name, const std::string& folder);
    const Favorite* Get(int index) const;
    int Count() const { return static_cast<int>(items_.size()); }
    void Clear();
    const std::vector<Favorite>& Items() const { return items_; }

    bool modified = false;

    // The device path of the file.
    static std::string FilePath();
    static std::string Serialize(const std::vector<Favorite>& favorites);
    // The whole records of `bytes`; a damaged record and everything after it are dropped.
    static std::vector<Favorite> Parse(const std::string& bytes);

  private:
    std::vector<Favorite> items_;
};

// The first `maxUnits` UTF-16 units of `text`, never splitting a character.
std::string CutToUnits(const std::string& text, int maxUnits);

// The menu: up to 100 favourites after the fixed items of "Select Folder", the first five
// with the access keys 5 to 9; the "Home" item names the home folder.
constexpr int kFirstFavoriteCommand = 10001;
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

// Dialog 7006 for adding (title "Add to My Favorites") or renaming ("Rename"). Shows `name`
// and `folder`; after OK (result 1) they hold the edits' texts.
int FavoriteNameDialog(plat::Window* owner, bool rename, std::string* name, std::string* folder);
// Dialog 7007: move, rename and delete; "Done" applies and saves when anything changed.
int EditFavoritesDialog(AppState* app);
