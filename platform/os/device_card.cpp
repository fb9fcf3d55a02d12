// The storage card: a host folder mounted as "\Storage Card" beside the device root. Paths
// on the card map onto that folder under the same rules as the rest of the device.
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
