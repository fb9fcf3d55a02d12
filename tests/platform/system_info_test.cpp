#include "platform/os/system_info.h"

#include <gtest/gtest.h>

#include "platform/os/device_fs.h"
#include "tests/platform/temp_device.h"

namespace {

TEST(SystemInfo, MemoryStatusOfThisHost) {
    plat::MemoryStatus m;
    ASSERT_TRUE(plat::GetMemoryStatus(&m));
    EXPECT_GT(m.availPhys, 0u);
    EXPECT_GE(m.totalPhys, m.availPhys);
    EXPECT_GT(m.totalPhys, uint64_t{32} << 20);
    EXPECT_LE(m.memoryLoad, 100u);
}

TEST(SystemInfo, ParsesMemInfoWithAndWithoutMemAvailable) {
    // Total and available bytes, and the load in percent.
    const auto parsed = [](const char* text) -> std::string {
        plat::MemoryStatus m;
        return plat::ParseMemInfo(text, &m)
                   ? std::to_string(m.totalPhys) + " " + std::to_string(m.availPhys) + " " +
                         std::to_string(m.memoryLoad)
                   : "refused";
    };
    EXPECT_EQ(parsed("MemTotal: 32768 kB\nMemFree: 1024 kB\nMemAvailable: 8192 kB\n"),
              "33554432 8388608 75");
    // Figures above 4 GiB stay exact.
    EXPECT_EQ(parsed("MemTotal: 67108864 kB\nMemAvailable: 16777216 kB\n"),
              "68719476736 17179869184 75");
    // Older kernels: free + buffers + cached.
    EXPECT_EQ(parsed("MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n"),
              "1024000 409600 60");
    EXPECT_EQ(parsed("MemFree: 100 kB\n"), "refused");
    EXPECT_EQ(parsed("MemTotal: kB\nMemAvailable: 1 kB\n"), "refused");
}

TEST(SystemInfo, StoreInfoOfTheDeviceRootAndTheStorageCardFolder) {
    plat_test::TempDevice device;
    plat::StoreInfo info;
    ASSERT_TRUE(plat::GetStoreInfo("\\", &info));
    EXPECT_GT(info.totalBytes, 0u);
    EXPECT_GE(info.totalBytes, info.freeBytes);
    EXPECT_FALSE(plat::GetStoreInfo("\\No such folder", &info));
    EXPECT_FALSE(plat::GetStoreInfo("\\..", &info));

    std::string card = "unchanged";
    EXPECT_FALSE(plat::StorageCardFolder(&card));
    EXPECT_EQ(card, "unchanged");
    // A file of that name is no card.
    ASSERT_TRUE(plat::DeviceFs::WriteAtomic("\\Storage Card", "x"));
    EXPECT_FALSE(plat::StorageCardFolder(&card));
    ASSERT_TRUE(plat::DeviceFs::Remove("\\Storage Card"));
    ASSERT_TRUE(plat::DeviceFs::CreateFolders("\\Storage Card"));
    ASSERT_TRUE(plat::StorageCardFolder(&card));
    EXPECT_EQ(card, "\\Storage Card");
    EXPECT_TRUE(plat::GetStoreInfo(card, &info));
}

}  // namespace
