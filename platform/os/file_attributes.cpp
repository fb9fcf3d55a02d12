#include "platform/os/file_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "platform/os/device_fs.h"

namespace plat {
namespace {

// An open descriptor of a regular file beneath the device root, or -1. The last component is
// never followed, and opening never blocks on a FIFO.
int OpenRegularFile(const std::string& devicePath) {
    FileInfo info;
    if (!DeviceFs::Stat(devicePath, &info) || info.isFolder) {
        return -1;
    }
    const std::string host = DeviceFs::ToHost(devicePath);
    if (host.empty()) {
        return -1;
    }
    const int fd = ::open(host.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

}  // namespace

bool SetHiddenAttribute(const std::string& devicePath) {
    const int fd = OpenRegularFile(devicePath);
    if (fd < 0) {
        return false;
    }
    const bool ok = ::fsetxattr(fd, kHiddenAttributeName, "1", 1, 0) == 0;
    ::close(fd);
    return ok;
}

bool HasHiddenAttribute(const std::string& devicePath) {
    const int fd = OpenRegularFile(devicePath);
    if (fd < 0) {
        return false;
    }
    char value[4] = {};
    const ssize_t n = ::fgetxattr(fd, kHiddenAttributeName, value, sizeof value);
    ::close(fd);
    return n == 1 && value[0] == '1';
}

}  // namespace plat
