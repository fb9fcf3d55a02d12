#include "platform/os/device_fs.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/os/text.h"

namespace plat {
namespace {

std::string& RootStorage() {
    static std::string root;
    return root;
}

bool FillInfo(const std::string& hostPath, const std::string& name, FileInfo* info) {
    struct stat st {};
    if (::stat(hostPath.c_str(), &st) != 0) {
        return false;
    }
    if (info) {
        info->name = name;
        info->isFolder = S_ISDIR(st.st_mode);
        info->size = info->isFolder ? 0 : static_cast<uint64_t>(st.st_size);
        info->lastWriteTime = st.st_mtim.tv_sec;
        info->lastWriteNanos = st.st_mtim.tv_nsec;
        info->readOnly = (st.st_mode & S_IWUSR) == 0;
        info->hidden = !name.empty() && name[0] == '.';
    }
    return true;
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

}  // namespace

void DeviceFs::SetRoot(const std::string& hostFolder) {
    std::string root = hostFolder;
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    RootStorage() = root;
}

const std::string& DeviceFs::Root() {
    return RootStorage();
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
        const std::string part = devicePath.substr(start, end - start);
        if (part.empty()) {
            return false;
        }
        if (part == "." || part == ".." || part.find('/') != std::string::npos ||
            part.find('\0') != std::string::npos) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

std::string DeviceFs::ToHost(const std::string& devicePath) {
    if (!IsValidPath(devicePath) || RootStorage().empty()) {
        return {};
    }
    std::string host = RootStorage();
    for (size_t i = 0; i < devicePath.size(); ++i) {
        const char c = devicePath[i];
        if (c == '\\') {
            if (i + 1 < devicePath.size()) {
                host += '/';
            }
        } else {
            host += c;
        }
    }
    return host;
}

bool DeviceFs::Stat(const std::string& devicePath, FileInfo* info) {
    const std::string host = ToHost(devicePath);
    return !host.empty() && FillInfo(host, LastComponent(devicePath), info);
}

bool DeviceFs::IsFolder(const std::string& devicePath) {
    FileInfo info;
    return Stat(devicePath, &info) && info.isFolder;
}

bool DeviceFs::List(const std::string& devicePath, std::vector<FileInfo>* entries) {
    entries->clear();
    const std::string host = ToHost(devicePath);
    if (host.empty()) {
        return false;
    }
    DIR* dir = ::opendir(host.c_str());
    if (!dir) {
        return false;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        FileInfo info;
        if (FillInfo(host + "/" + name, name, &info)) {
            entries->push_back(std::move(info));
        }
    }
    ::closedir(dir);
    return true;
}

FilePtr DeviceFs::Open(const std::string& devicePath, const char* mode) {
    const std::string host = ToHost(devicePath);
    if (host.empty()) {
        return nullptr;
    }
    struct stat st {};
    if (::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return nullptr;
    }
    return FilePtr(std::fopen(host.c_str(), mode));
}

bool DeviceFs::ReadAll(const std::string& devicePath, std::string* bytes) {
    bytes->clear();
    FilePtr f = Open(devicePath, "rb");
    if (!f) {
        return false;
    }
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) {
        bytes->append(buffer, n);
    }
    return std::ferror(f.get()) == 0;
}

bool DeviceFs::WriteAtomic(const std::string& devicePath, const std::string& bytes) {
    const std::string temp = devicePath + ".xxx";
    const std::string hostTemp = ToHost(temp);
    if (hostTemp.empty() || ToHost(devicePath).empty()) {
        return false;
    }
    std::FILE* f = std::fopen(hostTemp.c_str(), "wb");
    if (!f) {
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = (std::fflush(f) == 0) && ok;
    ok = (::fsync(::fileno(f)) == 0) && ok;
    ok = (std::fclose(f) == 0) && ok;
    if (!ok || !Rename(temp, devicePath)) {
        ::unlink(hostTemp.c_str());
        return false;
    }
    return true;
}

bool DeviceFs::Remove(const std::string& devicePath) {
    const std::string host = ToHost(devicePath);
    if (host.empty() || devicePath == "\\") {
        return false;
    }
    struct stat st {};
    if (::stat(host.c_str(), &st) != 0) {
        return false;
    }
    return S_ISDIR(st.st_mode) ? ::rmdir(host.c_str()) == 0 : ::unlink(host.c_str()) == 0;
}

bool DeviceFs::Rename(const std::string& from, const std::string& to) {
    const std::string a = ToHost(from);
    const std::string b = ToHost(to);
    return !a.empty() && !b.empty() && std::rename(a.c_str(), b.c_str()) == 0;
}

bool DeviceFs::CreateFolders(const std::string& devicePath) {
    const std::string host = ToHost(devicePath);
    if (host.empty()) {
        return false;
    }
    // Create the root itself and every component below it.
    std::string path;
    size_t pos = 0;
    while (pos <= host.size()) {
        size_t next = host.find('/', pos + 1);
        if (next == std::string::npos) {
            next = host.size();
        }
        path = host.substr(0, next);
        if (!path.empty() && ::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
            return false;
        }
        if (next == host.size()) {
            break;
        }
        pos = next;
    }
    struct stat st {};
    return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace plat
