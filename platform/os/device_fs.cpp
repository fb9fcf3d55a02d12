#include "platform/os/device_fs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/os/beneath_resolver.h"
#include "platform/os/text.h"

namespace plat {
namespace {

constexpr const char* kCardName = "Storage Card";

struct Roots {
    std::string root;  // host folder of "\"
    std::string card;  // host folder of "\Storage Card", "" when none is mounted
};

Roots& RootStorage() {
    static Roots roots;
    return roots;
}

std::string Canonical(const std::string& hostFolder) {
    std::string path = hostFolder;
    char resolved[PATH_MAX];
    if (::realpath(hostFolder.c_str(), resolved)) {
        path = resolved;
    }
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

// A name a device path can hold: no "\", no control characters.
bool ExpressibleName(std::string_view name) {
    for (const char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\' || c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return !name.empty();
}

bool Listable(const struct stat& st) {
    return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode);
}

void Fill(const struct stat& st, const std::string& name, FileInfo* info) {
    info->name = name;
    info->isFolder = S_ISDIR(st.st_mode);
    info->size = info->isFolder ? 0 : static_cast<uint64_t>(st.st_size);
    info->lastWriteTime = st.st_mtim.tv_sec;
    info->lastWriteNanos = st.st_mtim.tv_nsec;
    info->readOnly = (st.st_mode & S_IWUSR) == 0;
    info->hidden = !name.empty() && name[0] == '.';
}

std::string LastComponent(const std::string& devicePath) {
    if (devicePath == "\\") {
        return "\\";
    }
    std::string p = devicePath;
    while (p.size() > 1 && p.back() == '\\') {
        p.pop_back();
    }
    const size_t slash = p.rfind('\\');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

// A device path taken apart: the folder it resolves beneath and the names below it.
struct Located {
    ResolveBase base;
    std::vector<std::string> components;
    bool onCard = false;
};

bool Locate(const std::string& devicePath, Located* out) {
    const Roots& roots = RootStorage();
    if (!DeviceFs::IsValidPath(devicePath) || roots.root.empty()) {
        return false;
    }
    out->components.clear();
    size_t start = 1;
    while (start < devicePath.size()) {
        size_t end = devicePath.find('\\', start);
        if (end == std::string::npos) {
            end = devicePath.size();
        }
        out->components.push_back(devicePath.substr(start, end - start));
        start = end + 1;
    }
    out->onCard = !roots.card.empty() && !out->components.empty() &&
                  EqualsNoCase(out->components[0], kCardName);
    if (out->onCard) {
        out->components.erase(out->components.begin());
        out->base.hostPath = roots.card;
    } else {
        out->base.hostPath = roots.root;
    }
    return true;
}

bool Resolve(const std::string& devicePath, bool followLast, Resolved* out,
             Located* where = nullptr) {
    Located local;
    Located& loc = where ? *where : local;
    return Locate(devicePath, &loc) && ResolveBeneath(loc.base, loc.components, followLast, out);
}

// The object of a path that resolves beneath its root and is a regular file or a folder.
bool ResolveListable(const std::string& devicePath, Resolved* out) {
    return Resolve(devicePath, true, out) && out->exists && Listable(out->st);
}

std::string JoinDevice(const std::string& folder, const std::string& name) {
    return folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

bool WriteFully(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Removes whatever non-folder entry sits at `name` (a stale temporary, a planted link) and
// creates a new, empty regular file there that nobody else can have opened.
UniqueFd CreateExclusive(int dirFd, const std::string& name) {
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISDIR(st.st_mode) || ::unlinkat(dirFd, name.c_str(), 0) != 0) {
            return UniqueFd();
        }
    }
    return UniqueFd(
        ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
}

void SyncFolder(int dirFd) {
    UniqueFd dir(::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Valid()) {
        ::fsync(dir.Get());
    }
}

// Resolves the place an entry is written to: its folder, and its name there (an existing
// entry's own spelling when the name matched case-insensitively).
bool ResolveTarget(const std::string& devicePath, Resolved* out) {
    Located loc;
    if (!Resolve(devicePath, false, out, &loc) || out->name.empty()) {
        return false;  // refused, unreachable, or the root or card itself
    }
    return !(out->exists && S_ISDIR(out->st.st_mode));
}

// A link at a path that is listed and may be removed: its target resolves beneath the root
// (or the link is dangling there).
bool LinkStaysBeneath(const std::string& devicePath) {
    Resolved target;
    return Resolve(devicePath, true, &target);
}

constexpr int kMaxTreeDepth = 128;

// Removes `name` in folder `dirFd` and, for a folder, everything below it, without following
// any link.
bool RemoveTreeAt(int dirFd, const std::string& name, int depth) {
    struct stat st {};
    if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        return errno == ENOENT;
    }
    if (!S_ISDIR(st.st_mode)) {
        return ::unlinkat(dirFd, name.c_str(), 0) == 0;
    }
    if (depth > kMaxTreeDepth) {
        return false;
    }
    const int fd = ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    std::vector<std::string> children;
    while (const dirent* e = ::readdir(dir)) {
        const std::string child = e->d_name;
        if (child != "." && child != "..") {
            children.push_back(child);
        }
    }
    bool ok = true;
    for (const std::string& child : children) {
        ok = RemoveTreeAt(::dirfd(dir), child, depth + 1) && ok;
    }
    ::closedir(dir);
    return ok && ::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) == 0;
}

}  // namespace

void DeviceFs::SetRoot(const std::string& hostFolder) {
    RootStorage().root = hostFolder.empty() ? std::string() : Canonical(hostFolder);
}

const std::string& DeviceFs::Root() {
    return RootStorage().root;
}

bool DeviceFs::MountCard(const std::string& hostFolder) {
    RootStorage().card.clear();
    if (hostFolder.empty()) {
        return true;
    }
    struct stat st {};
    const std::string path = Canonical(hostFolder);
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    RootStorage().card = path;
    return true;
}

const std::string& DeviceFs::CardRoot() {
    return RootStorage().card;
}

bool DeviceFs::IsOnCard(const std::string& devicePath) {
    Located loc;
    return Locate(devicePath, &loc) && loc.onCard;
}

bool DeviceFs::IsValidPath(const std::string& devicePath) {
    if (devicePath.empty() || devicePath[0] != '\\') {
        return false;
    }
    if (Utf16Length(devicePath) > kMaxPath) {
        return false;
    }
    // Split on "\"; a single trailing separator is allowed ("\Temp\" names \Temp).
    size_t start = 1;
    while (start < devicePath.size()) {
        size_t end = devicePath.find('\\', start);
        if (end == std::string::npos) {
            end = devicePath.size();
        }
        const std::string_view part(devicePath.data() + start, end - start);
        if (part == "." || part == ".." || part.find('/') != std::string::npos ||
            !ExpressibleName(part)) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::string DeviceFs::ToHost(const std::string& devicePath) {
    Resolved r;
    if (!Resolve(devicePath, true, &r)) {
        return {};
    }
    return r.hostPath;
}

bool DeviceFs::Stat(const std::string& devicePath, FileInfo* info) {
    Resolved r;
    if (!ResolveListable(devicePath, &r)) {
        return false;
    }
    if (info) {
        Fill(r.st, LastComponent(devicePath), info);
    }
    return true;
}

bool DeviceFs::Present(const std::string& devicePath) {
    Resolved r;
    return Resolve(devicePath, false, &r) && r.exists;
}

bool DeviceFs::IsFolder(const std::string& devicePath) {
    FileInfo info;
    return Stat(devicePath, &info) && info.isFolder;
}

bool DeviceFs::List(const std::string& devicePath, std::vector<FileInfo>* entries) {
    entries->clear();
    Resolved r;
    Located loc;
    if (!Resolve(devicePath, true, &r, &loc) || !r.exists || !S_ISDIR(r.st.st_mode)) {
        return false;
    }
    const int parent = r.parent.Get();
    const int fd = r.name.empty() ? ::openat(parent, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                                  : ::openat(parent, r.name.c_str(),
                                             O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return false;
    }
    const bool deviceRoot = !loc.onCard && loc.components.empty();
    const bool hideCard = deviceRoot && !RootStorage().card.empty();
    std::string folder = devicePath;
    while (folder.size() > 1 && folder.back() == '\\') {
        folder.pop_back();
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || !ExpressibleName(name) ||
            (hideCard && EqualsNoCase(name, kCardName))) {
            continue;
        }
        const std::string path = JoinDevice(folder, name);
        if (Utf16Length(path) > kMaxPath) {
            continue;  // no device path reaches it, so it could be neither opened nor deleted
        }
        struct stat st {};
        if (::fstatat(::dirfd(dir), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        if (S_ISLNK(st.st_mode)) {
            Resolved target;
            if (!ResolveListable(path, &target)) {
                continue;
            }
            st = target.st;
        }
        if (!Listable(st)) {
            continue;
        }
        FileInfo info;
        Fill(st, name, &info);
        entries->push_back(std::move(info));
    }
    ::closedir(dir);
    if (hideCard) {
        struct stat st {};
        if (::stat(RootStorage().card.c_str(), &st) == 0) {
            FileInfo info;
            Fill(st, kCardName, &info);
            entries->push_back(std::move(info));
        }
    }
    return true;
}

FilePtr DeviceFs::Open(const std::string& devicePath, const char* mode) {
    const std::string m = mode ? mode : "";
    if (m == "rb" || m == "r") {
        Resolved r;
        if (!ResolveListable(devicePath, &r) || !S_ISREG(r.st.st_mode)) {
            return nullptr;
        }
        // Non-blocking, so a FIFO swapped in since the check cannot stall the open.
        UniqueFd fd(::openat(r.parent.Get(), r.name.c_str(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        struct stat st {};
        if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_ino != r.st.st_ino || st.st_dev != r.st.st_dev) {
            return nullptr;
        }
        const int flags = ::fcntl(fd.Get(), F_GETFL);
        ::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
        std::FILE* f = ::fdopen(fd.Get(), "rb");
        if (f) {
            fd.Release();
        }
        return FilePtr(f);
    }
    if (m == "wb" || m == "w") {
        Resolved r;
        if (!ResolveTarget(devicePath, &r)) {
            return nullptr;
        }
        UniqueFd fd = CreateExclusive(r.parent.Get(), r.name);
        std::FILE* f = fd.Valid() ? ::fdopen(fd.Get(), "wb") : nullptr;
        if (f) {
            fd.Release();
        }
        return FilePtr(f);
    }
    return nullptr;
}

bool DeviceFs::ReadAll(const std::string& devicePath, std::string* bytes, uint64_t maxBytes) {
    bytes->clear();
    FilePtr f = Open(devicePath, "rb");
    if (!f) {
        return false;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
        if (bytes->size() + n > maxBytes) {
            bytes->clear();
            return false;
        }
        bytes->append(buffer, n);
    }
    return std::ferror(f.get()) == 0;
}

bool DeviceFs::WriteAtomic(const std::string& devicePath, const std::string& bytes) {
    Resolved r;
    if (!IsValidPath(devicePath + ".xxx") || !ResolveTarget(devicePath, &r)) {
        return false;
    }
    const int dir = r.parent.Get();
    const std::string temp = r.name + ".xxx";
    UniqueFd fd = CreateExclusive(dir, temp);
    if (!fd.Valid()) {
        return false;
    }
    bool ok = WriteFully(fd.Get(), bytes.data(), bytes.size());
    ok = ok && ::fsync(fd.Get()) == 0;
    ok = (::close(fd.Release()) == 0) && ok;
    // rename never follows a link at the target name: it replaces the entry itself.
    if (!ok || ::renameat(dir, temp.c_str(), dir, r.name.c_str()) != 0) {
        ::unlinkat(dir, temp.c_str(), 0);
        return false;
    }
    SyncFolder(dir);
    return true;
}

bool DeviceFs::Remove(const std::string& devicePath) {
    Resolved r;
    if (!Resolve(devicePath, false, &r) || !r.exists || r.name.empty()) {
        return false;
    }
    if (S_ISLNK(r.st.st_mode)) {
        if (!LinkStaysBeneath(devicePath)) {
            return false;
        }
    } else if (!Listable(r.st)) {
        return false;
    }
    const int flags = S_ISDIR(r.st.st_mode) ? AT_REMOVEDIR : 0;
    return ::unlinkat(r.parent.Get(), r.name.c_str(), flags) == 0;
}

bool DeviceFs::RemoveTree(const std::string& devicePath) {
    Resolved r;
    if (!Resolve(devicePath, false, &r) || r.name.empty()) {
        return false;
    }
    if (!r.exists) {
        return true;
    }
    if (S_ISLNK(r.st.st_mode) && !LinkStaysBeneath(devicePath)) {
        return false;
    }
    return RemoveTreeAt(r.parent.Get(), r.name, 0);
}

bool DeviceFs::Rename(const std::string& from, const std::string& to) {
    Resolved a;
    Resolved b;
    if (!Resolve(from, false, &a) || !a.exists || a.name.empty() || !Resolve(to, false, &b) ||
        b.name.empty()) {
        return false;
    }
    if (S_ISLNK(a.st.st_mode) ? !LinkStaysBeneath(from) : !Listable(a.st)) {
        return false;
    }
    return ::renameat(a.parent.Get(), a.name.c_str(), b.parent.Get(), b.name.c_str()) == 0;
}

bool DeviceFs::CreateFolders(const std::string& devicePath) {
    Located loc;
    if (!Locate(devicePath, &loc)) {
        return false;
    }
    std::vector<std::string> prefix;
    for (const std::string& name : loc.components) {
        prefix.push_back(name);
        Resolved r;
        if (!ResolveBeneath(loc.base, prefix, true, &r)) {
            return false;
        }
        if (r.exists) {
            if (!S_ISDIR(r.st.st_mode)) {
                return false;
            }
            continue;
        }
        if (::mkdirat(r.parent.Get(), r.name.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return IsFolder(devicePath);
}

}  // namespace plat
