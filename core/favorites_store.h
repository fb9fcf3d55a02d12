// The favourite folders and the file that keeps them.
#pragma once

#include <string>
#include <vector>

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
