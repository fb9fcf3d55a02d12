// A device root in a fresh temporary folder, set as the device file system's root and removed
// again with everything in it.
#pragma once

#include "platform/os/device_fs.h"
#include "tests/support/headless.h"

namespace plat_test {

struct TempDevice : testing_support::TempDevice {
    TempDevice() { plat::DeviceFs::SetRoot(Root()); }
};

}  // namespace plat_test
