#include "core/favorites_store.h"

#include <algorithm>
#include <cstdint>

#include "core/app.h"
#include "core/paths.h"
#include "platform/os/device_fs.h"
#include "platform/os/text.h"
#include "resources/resource_ids.h"

std::string FavoritesStore::FilePath() {
    std::string folder;
    ProgramFolder(&folder);
    return JoinPath(folder, "agoto.got");
}

void FavoritesStore::Load() {
    items_.clear();
    const std::string path = FilePath();
    // Something there that cannot be read (an unreadable file, a link leaving the root) is
    // not "no file": it is left alone rather than replaced at exit.
    if (!plat::DeviceFs::Present(path)) {
        const std::string documents = "\\IPSM\\My Documents";
        if (plat::DeviceFs::IsFolder(documents)) {
            Add(-1, LoadStr(kStrMyDocuments), documents);
        }
        modified = true;
        return;
    }
    std::string bytes;
    if (!plat::DeviceFs::ReadAll(path, &bytes)) {
        return;
    }
    items_ = Parse(bytes);
    modified = false;
}

int FavoritesStore::Save() {
    if (!plat::DeviceFs::WriteAtomic(FilePath(), Serialize(items_))) {
        return 0;
    }
    modified = false;
    return 1;
}

void FavoritesStore::Add(int index, const std::string& name, const std::string& folder) {
    Favorite f{CutToUnits(name, kMaxNameUnits), CutToUnits(folder, kMaxFolderUnits)};
    if (index < 0 || index > Count()) {
        items_.push_back(std::move(f));
    } else {
        items_.insert(items_.begin() + index, std::move(f));
    }
}

const Favorite* FavoritesStore::Get(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return &items_[static_cast<size_t>(index)];
}

void FavoritesStore::Clear() {
    items_.clear();
    modified = false;
}
