// The favourites file "agoto.got": its bytes, written and read back.
#include <algorithm>
#include <cstdint>

#include "core/favorites_store.h"
#include "platform/os/text.h"

namespace {

const char kSignature[8] = {'A', 0, 'F', 0, '0', 0, 0, 0};

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
