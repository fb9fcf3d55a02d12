// A device root in a fresh temporary folder, removed again with everything in it.
#pragma once

#include <ftw.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/os/device_fs.h"

namespace plat_test {

class TempDevice {
  public:
    TempDevice() {
        char pattern[] = "/tmp/velloran-test-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        root_ = made ? made : "";
        plat::DeviceFs::SetRoot(root_);
    }
    ~TempDevice() {
        if (!root_.empty()) {
            ::nftw(root_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
        }
    }
    TempDevice(const TempDevice&) = delete;
    TempDevice& operator=(const TempDevice&) = delete;

    const std::string& Root() const { return root_; }

  private:
    static int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
        std::remove(path);
        return 0;
    }

    std::string root_;
};

}  // namespace plat_test
