#include "core/paths.h"

#include <cstdio>

#include "imaging/picture_type.h"

bool Exists(std::string* path, plat::FileInfo* info) {
    if (!path || path->empty()) {
        return false;
    }
    if (*path == "\\") {
        if (info) {
            *info = plat::FileInfo{};
            info->name = "\\";
            info->isFolder = true;
        }
        return true;
    }
    DropTrailingSeparator(path);
    return plat::DeviceFs::Stat(*path, info);
}

void DropTrailingSeparator(std::string* path) {
    if (path->size() > 1 && path->back() == '\\') {
        path->pop_back();
    }
}

bool Exists(const std::string& path) {
    std::string copy = path;
    return Exists(&copy, nullptr);
}

int ParentFolder(const std::string& path, std::string* out) {
    if (path.empty()) {
        return 0;
    }
    if (path == "\\") {
        *out = "\\";
        return 0;
    }
    const int p = LastIndexOf(path, '\\');
    if (p == 0) {
        *out = "\\";
    } else if (p > 0) {
        *out = path.substr(0, static_cast<size_t>(p));
    } else {
        out->clear();
    }
    return 1;
}

int ProgramFolder(std::string* out) {
    *out = kProgramFolder;
    return 1;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    std::string out = folder;
    const bool folderEnds = !folder.empty() && folder.back() == '\\';
    const bool nameStarts = !name.empty() && name.front() == '\\';
    if (!folderEnds && !nameStarts) {
        out += '\\';
    }
    return out + name;
}

int FileTitle(const std::string& path, std::string* out, bool keepExtension) {
    if (path.empty()) {
        return 0;
    }
    const int slash = LastIndexOf(path, '\\');
    std::string title = path.substr(static_cast<size_t>(slash + 1));
    if (!keepExtension) {
        const int dot = LastIndexOf(title, '.');
        if (dot >= 0) {
            title.resize(static_cast<size_t>(dot));
        }
    }
    *out = title;
    return 1;
}

int LastIndexOf(const std::string& text, char character) {
    const size_t p = text.rfind(character);
    return p == std::string::npos ? -1 : static_cast<int>(p);
}

std::string LeftPart(const std::string& text, size_t count) {
    return text.substr(0, count);
}

std::string RightPart(const std::string& text, size_t count) {
    return count >= text.size() ? text : text.substr(text.size() - count);
}

std::string VoiceNoteName(const std::string& path) {
    return path + ".wav";
}

int PictureTypeFromContent(const std::string& path) {
    return imaging::PictureTypeFromContent(path);
}
