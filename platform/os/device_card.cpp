// The storage card: a host folder mounted as "\Storage Card" beside the device root. Paths
// on the card map onto that folder under the same rules as the rest of the device.
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/os/device_fs.h"
#include "platform/os/text.h"

namespace plat {
namespace {

constexpr const char* kCardPrefix = "\\Storage Card";

std::string& CardStorage() {
    static std::string card;
    return card;
}

}  // namespace

bool DeviceFs::MountCard(const std::string& hostFolder) {
    std::string folder = hostFolder;
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    CardStorage() = folder;
    return true;
}

const std::string& DeviceFs::CardRoot() {
    return CardStorage();
}

bool DeviceFs::IsOnCard(const std::string& devicePath) {
    if (CardStorage().empty()) {
        return false;
    }
    const std::string prefix = kCardPrefix;
    if (devicePath.size() < prefix.size() ||
        !EqualsNoCase(devicePath.substr(0, prefix.size()), prefix)) {
        return false;
    }
    return devicePath.size() == prefix.size() || devicePath[prefix.size()] == '\\';
}

bool DeviceFs::StaysOnCard(const std::string& hostPath) {
    char root[PATH_MAX];
    if (CardStorage().empty() || !::realpath(CardStorage().c_str(), root)) {
        return false;
    }
    const std::string limit = root;
    // The deepest part of the path that exists, resolved with its links, must lie beneath
    // the card; a name that is there but does not resolve (a dangling link) is refused, so
    // nothing is ever created through it outside the card.
    std::string probe = hostPath;
    char resolved[PATH_MAX];
    while (!::realpath(probe.c_str(), resolved)) {
        struct stat st {};
        if (::lstat(probe.c_str(), &st) == 0) {
            return false;
        }
        const size_t slash = probe.rfind('/');
        if (slash == std::string::npos || slash == 0) {
            return false;
        }
        probe.resize(slash);
    }
    const std::string inside = resolved;
    return inside == limit || inside.rfind(limit + "/", 0) == 0;
}

// The host folder a device path starts from and the rest of the path below it.
std::string DeviceFs::HostBase(const std::string& devicePath, std::string* rest) {
    if (IsOnCard(devicePath)) {
        *rest = devicePath.substr(std::string(kCardPrefix).size());
        if (rest->empty()) {
            rest->assign(1, '\\');  // (assigning a literal trips a false GCC 12 -Wrestrict)
        }
        return CardStorage();
    }
    *rest = devicePath;
    return Root();
}

}  // namespace plat
