#include "core/favorites_store.h"

#include <algorithm>
#include <cstdint>

#include "core/app.h"
#include "core/paths.h"
#include "platform/os/device_fs.h"
#include "platform/os/text.h"
#include "resources/resource_ids.h"

namespace {

const char kSignature[8] = {'A', 0, 'F', 0, '0', 0, 0, 0};

// The first `maxUnits` UTF-16 units of `text`, never splitting a character.
std::string CutToUnits(const std::string& text, int maxUnits) {
    std::string out;
    int units = 0;
    for (char32_t cp : plat::DecodeUtf8(text)) {
        const int n = cp > 0xFFFF ? 2 : 1;
        if (units + n > maxUnits) {
            break;
        }
        units += n;
        plat::AppendUtf8(&out, cp);
    }
    return out;
}

void PutU16(std::string* out, unsigned v) {
    out->push_back(static_cast<char>(v & 0xFF));
    out->push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutText(std::string* out, const std::string& text) {
    std::u16string units = plat::ToUtf16(text);
    units.push_back(0);
    PutU16(out, static_cast<unsigned>(units.size() * 2));
    for (char16_t u : units) {
        PutU16(out, u);
    }
}

// A bounds-checked reader over the file's bytes.
class Reader {
  public:
    explicit Reader(const std::string& bytes) : bytes_(bytes) {}
    bool U16(unsigned* v) {
        if (bytes_.size() - pos_ < 2) {
            return false;
        }
        *v = static_cast<uint8_t>(bytes_[pos_]) | (static_cast<uint8_t>(bytes_[pos_ + 1]) << 8);
        pos_ += 2;
        return true;
    }
    // A text field of `length` bytes holding at most `maxBytes`; false when the field is
    // longer than that, odd, or runs past the end of the file.
    bool Text(unsigned maxBytes, std::string* text) {
        unsigned length = 0;
        if (!U16(&length) || length > maxBytes || length % 2 != 0 ||
            bytes_.size() - pos_ < length) {
            return false;
        }
        std::u16string units;
        for (unsigned i = 0; i < length; i += 2) {
            const char16_t u =
                static_cast<char16_t>(static_cast<uint8_t>(bytes_[pos_ + i]) |
                                      (static_cast<uint8_t>(bytes_[pos_ + i + 1]) << 8));
            if (u == 0) {
                break;
            }
            units.push_back(u);
        }
        pos_ += length;
        *text = plat::FromUtf16(units);
        return true;
    }

  private:
    const std::string& bytes_;
    size_t pos_ = FavoritesStore::kHeaderSize;
};

}  // namespace

std::string FavoritesStore::FilePath() {
    std::string folder;
    ProgramFolder(&folder);
    return JoinPath(folder, "agoto.got");
}

std::string FavoritesStore::Serialize(const std::vector<Favorite>& favorites) {
    std::string out(kSignature, sizeof kSignature);
    const size_t count = std::min<size_t>(favorites.size(), 0xFFFF);
    PutU16(&out, static_cast<unsigned>(count));
    out.append(32, '\0');
    for (size_t i = 0; i < count; ++i) {
        PutText(&out, favorites[i].name);
        PutText(&out, favorites[i].folder);
    }
    return out;
}

std::vector<Favorite> FavoritesStore::Parse(const std::string& bytes) {
    std::vector<Favorite> out;
    if (bytes.size() < static_cast<size_t>(kHeaderSize) ||
        bytes.compare(0, sizeof kSignature, kSignature, sizeof kSignature) != 0) {
        return out;
    }
    Reader reader(bytes);
    const unsigned count = static_cast<uint8_t>(bytes[8]) | (static_cast<uint8_t>(bytes[9]) << 8);
    for (unsigned i = 0; i < count; ++i) {
        Favorite f;
        if (!reader.Text(2 * (kMaxNameUnits + 1), &f.name) ||
            !reader.Text(2 * (kMaxFolderUnits + 1), &f.folder)) {
            break;
        }
        out.push_back(std::move(f));
    }
    return out;
}

void FavoritesStore::Load() {
    items_.clear();
    const std::string path = FilePath();
    if (!plat::DeviceFs::Exists(path)) {
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
