#include "core/file_list.h"

#include <algorithm>
#include <unordered_set>

#include "core/app.h"
#include "core/paths.h"
#include "platform/os/collation.h"
#include "platform/os/text.h"

namespace {

bool EndsWithNoCase(const std::string& name, const std::string& ending) {
    return name.size() >= ending.size() &&
           plat::EqualsNoCase(std::string_view(name).substr(name.size() - ending.size()), ending);
}

// Deletes an entry's file: 1 when it went, 0 when it is still there or cannot be reached
// (so a failure is never taken for "already gone").
int DeleteFile(const std::string& path) {
    if (plat::DeviceFs::Remove(path)) {
        return 1;
    }
    return plat::DeviceFs::IsValidPath(path) && !plat::DeviceFs::Present(path) ? 1 : 0;
}

// Deletes a voice note when there is one; `previous` when there is nothing to delete (a
// picture name too long to have a voice note has none).
int DeleteVoiceNote(const std::string& path, int previous) {
    if (!plat::DeviceFs::IsValidPath(path) || !plat::DeviceFs::Present(path)) {
        return previous;
    }
    return plat::DeviceFs::Remove(path) ? 1 : 0;
}

}  // namespace

int PictureTypeFromName(const std::string& name) {
    if (EndsWithNoCase(name, ".jpg"))
        return 3;
    if (EndsWithNoCase(name, ".jpeg"))
        return 3;
    if (EndsWithNoCase(name, ".bmp"))
        return 1;
    if (EndsWithNoCase(name, ".gif"))
        return 2;
    return -1;
}

FileEntry* FileList::GetEntry(int index) {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return entries_[static_cast<size_t>(index)].get();
}

std::string FileList::FullPath(int index) const {
    if (index < 0 || index >= Count()) {
        return {};
    }
    return JoinPath(folder, entries_[static_cast<size_t>(index)]->name);
}

int FileList::Select(int index) {
    if (index < 0 || index >= Count()) {
        return 0;
    }
    currentIndex = index;
    return 1;
}

int FileList::SelectByName(const std::string& name) {
    // The host tells names apart by case: the exact name first, then the phone's rule.
    for (int i = 0; i < Count(); ++i) {
        if (entries_[static_cast<size_t>(i)]->name == name) {
            return Select(i);
        }
    }
    for (int i = 0; i < Count(); ++i) {
        if (plat::EqualsNoCase(entries_[static_cast<size_t>(i)]->name, name)) {
            return Select(i);
        }
    }
    return 0;
}

void FileList::Scan(const std::string& path) {
    std::string p = path;
    if (!Exists(&p)) {
        return;
    }
    folder = path;
    WaitCursor wait;
    Clear(true, false);
    currentIndex = 0;
    pictureCount = 0;
    std::vector<plat::FileInfo> found;
    plat::DeviceFs::List(folder, &found);
    // Voice notes are found in the same listing, not by one look-up per picture.
    std::unordered_set<std::string> files;
    for (const plat::FileInfo& info : found) {
        if (!info.isFolder) {
            files.insert(plat::FoldUtf8(info.name));
        }
    }
    entries_.reserve(found.size());
    for (plat::FileInfo& info : found) {
        if (!info.isFolder && PictureTypeFromName(info.name) < 1) {
            continue;
        }
        auto entry = std::make_unique<FileEntry>();
        entry->name = std::move(info.name);
        entry->isFolder = info.isFolder;
        entry->lastWriteTime = info.lastWriteTime;
        entry->lastWriteNanos = info.lastWriteNanos;
        entry->fileSize = info.size;
        if (!entry->isFolder) {
            entry->hasVoiceNote = files.count(plat::FoldUtf8(entry->name + ".wav")) > 0;
            ++pictureCount;
        }
        entries_.push_back(std::move(entry));
    }
    Sort();
}

int FileList::Compare(const FileEntry& a, const FileEntry& b) const {
    if (a.isFolder != b.isFolder) {
        return a.isFolder ? -1 : 1;
    }
    switch (sortKey) {
        case 0:
            return plat::CollateNoCase(a.name, b.name);
        case 1:
            if (a.lastWriteTime != b.lastWriteTime)
                return a.lastWriteTime < b.lastWriteTime ? -1 : 1;
            if (a.lastWriteNanos != b.lastWriteNanos)
                return a.lastWriteNanos < b.lastWriteNanos ? -1 : 1;
            return 0;
        case 2:
            if (a.fileSize != b.fileSize)
                return a.fileSize < b.fileSize ? -1 : 1;
            return 0;
        default:
            return 0;
    }
}

void FileList::Sort() {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [this](const std::unique_ptr<FileEntry>& a,
                            const std::unique_ptr<FileEntry>& b) { return Compare(*a, *b) < 0; });
}

void FileList::SetSortKey(int key) {
    sortKey = key;
    Sort();
}

int FileList::StepPicture(int index, bool backwards) const {
    if (pictureCount <= 0) {
        return -1;
    }
    const int first = FolderCount();
    const int last = Count() - 1;
    if (index < 0) {
        return first;
    }
    if (backwards) {
        const int prev = index - 1;
        return prev < first ? last : std::min(prev, last);
    }
    return index + 1 <= last ? index + 1 : first;
}

int FileList::Clear(bool freeEntries, bool deleteFiles) {
    if (entries_.empty()) {
        return 1;
    }
    int result = 1;
    if (freeEntries && deleteFiles) {
        for (int i = 0; i < Count(); ++i) {
            const std::string path = FullPath(i);
            result = DeleteFile(path);
            result = DeleteVoiceNote(VoiceNoteName(path), result);
        }
    }
    entries_.clear();
    pictureCount = 0;
    currentIndex = 0;
    return result;
}

int FileList::DeleteEntry(int index, bool deleteFiles) {
    FileEntry* entry = GetEntry(index);
    if (!entry) {
        return 0;
    }
    int result = 1;
    if (deleteFiles) {
        // A picture that cannot be deleted keeps its entry, so the list never claims a file
        // is gone while it is still there.
        const std::string path = FullPath(index);
        if (!DeleteFile(path)) {
            return 0;
        }
        result = DeleteVoiceNote(VoiceNoteName(path), result);
    }
    if (!entry->isFolder) {
        --pictureCount;
    }
    entries_.erase(entries_.begin() + index);
    if (entries_.empty()) {
        currentIndex = 0;
    }
    return result;
}

void FileList::FreeThumbnails() {
    ++thumbnailEpoch_;
    for (auto& e : entries_) {
        e->thumbnail.reset();
    }
}

int FileList::IndexOfId(uint64_t id, int hint) const {
    if (hint >= 0 && hint < Count() && entries_[static_cast<size_t>(hint)]->id == id) {
        return hint;
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i]->id == id) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

uint64_t NewEntryId() {
    // Entries are made on the user-interface thread only.
    static uint64_t next = 0;
    return ++next;
}
