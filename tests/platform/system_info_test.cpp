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
    plat::MemoryStatus m;
    ASSERT_TRUE(plat::ParseMemInfo(
        "MemTotal:       32768 kB\nMemFree:         1024 kB\nMemAvailable:    8192 kB\n", &m));
    EXPECT_EQ(m.totalPhys, 33554432u);
    EXPECT_EQ(m.availPhys, 8388608u);
    EXPECT_EQ(m.memoryLoad, 75u);
    // Figures above 4 GiB stay exact.
    ASSERT_TRUE(plat::ParseMemInfo("MemTotal: 67108864 kB\nMemAvailable: 16777216 kB\n", &m));
    EXPECT_EQ(m.totalPhys, uint64_t{64} << 30);
    EXPECT_EQ(m.availPhys, uint64_t{16} << 30);
    // Older kernels: free + buffers + cached.
    ASSERT_TRUE(plat::ParseMemInfo(
        "MemTotal: 1000 kB\nMemFree: 100 kB\nBuffers: 50 kB\nCached: 250 kB\n", &m));
    EXPECT_EQ(m.availPhys, 400u * 1024);
    EXPECT_FALSE(plat::ParseMemInfo("MemFree: 100 kB\n", &m));
    EXPECT_FALSE(plat::ParseMemInfo("MemTotal: kB\nMemAvailable: 1 kB\n", &m));
}

TEST(SystemInfo, StoreInfoOfTheDeviceRoot) {
    plat_test::TempDevice device;
    plat::StoreInfo info;
    ASSERT_TRUE(plat::GetStoreInfo("\\", &info));
    EXPECT_GT(info.totalBytes, 0u);
    EXPECT_GE(info.totalBytes, info.freeBytes);
    EXPECT_FALSE(plat::GetStoreInfo("\\No such folder", &info));
    EXPECT_FALSE(plat::GetStoreInfo("\\..", &info));
}

TEST(SystemInfo, StorageCardIsTheFolderWhenPresent) {
    plat_test::TempDevice device;
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
    plat::StoreInfo info;
    EXPECT_TRUE(plat::GetStoreInfo(card, &info));
}

}  // namespace
