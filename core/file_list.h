// The entries of the current folder: sub-folders first, then pictures, each group sorted.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/bitmap.h"

// A new identity for every entry ever made, so work started for an entry can find it again
// (or find it gone) however the list changed meanwhile.
uint64_t NewEntryId();

struct FileEntry {
    uint64_t id = NewEntryId();
    std::string name;
    std::unique_ptr<plat::Bitmap> thumbnail;  // made when the cell is first painted
    int64_t lastWriteTime = 0;                // seconds, then nanoseconds for ties
    int64_t lastWriteNanos = 0;
    bool isFolder = false;
    bool hasVoiceNote = false;
    int16_t imageWidth = 0;
    int16_t imageHeight = 0;
    uint64_t fileSize = 0;
};

// The picture type by extension: 1 BMP, 2 GIF, 3 JPEG, -1 anything else.
int PictureTypeFromName(const std::string& name);

class FileList {
  public:
    int Count() const { return static_cast<int>(entries_.size()); }
    int FolderCount() const { return Count() - pictureCount; }
    FileEntry* GetEntry(int index);
    FileEntry* GetCurrentEntry() { return GetEntry(currentIndex); }
    // The folder joined with the entry's name; "" when there is no such entry.
    std::string FullPath(int index) const;
    int Select(int index);
    int SelectByName(const std::string& name);
    // Rebuilds the list from `path`; a missing folder leaves the list as it was.
    void Scan(const std::string& path);
    void SetSortKey(int key);
    // The next or previous picture index, wrapping around; -1 without pictures.
    int StepPicture(int index, bool backwards) const;
    // Removes every entry; with `deleteFiles` their files and voice notes go too. Returns
    // the result of the last deletion attempted (1 when none was).
    int Clear(bool freeEntries, bool deleteFiles);
    int DeleteEntry(int index, bool deleteFiles);
    void FreeThumbnails();
    // Changes whenever every thumbnail is thrown away, so a thumbnail made before cannot be
    // stored again.
    uint64_t ThumbnailEpoch() const { return thumbnailEpoch_; }
    // The index of the entry with identity `id`, trying `hint` first; -1 when it is gone.
    int IndexOfId(uint64_t id, int hint) const;
    // Sorts with the comparator and the current key.
    void Sort();
    // <0 when a comes before b.
    int Compare(const FileEntry& a, const FileEntry& b) const;

    std::string folder;
    int pictureCount = 0;
    int currentIndex = 0;
    int sortKey = 0;

  private:
    std::vector<std::unique_ptr<FileEntry>> entries_;
    uint64_t thumbnailEpoch_ = 0;
};
