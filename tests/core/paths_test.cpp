// Device paths: joining, parents, titles, existence, and what the device file system refuses.
#include "core/paths.h"

#include <gtest/gtest.h>

#include "platform/os/device_fs.h"
#include "platform/os/text.h"
#include "tests/support/headless.h"

TEST(Paths, JoinParentAndTitle) {
    EXPECT_EQ(JoinPath("\\", "a.jpg"), "\\a.jpg");
    EXPECT_EQ(JoinPath("\\Temp", "a.jpg"), "\\Temp\\a.jpg");
    EXPECT_EQ(JoinPath("\\Temp\\", "\\a.jpg"), "\\Temp\\\\a.jpg");

    // The result, then what is left in the out value (which held "unchanged").
    for (auto [path, parent] : {std::pair{"", "0 unchanged"},
                                {"\\", "0 \\"},
                                {"\\Storage Card", "1 \\"},
                                {"\\Storage Card\\DCIM", "1 \\Storage Card"},
                                {"noslash", "1 "}}) {
        std::string out = "unchanged";
        const int result = ParentFolder(path, &out);
        EXPECT_EQ(std::to_string(result) + " " + out, parent) << path;
    }

    std::string title;
    EXPECT_EQ(FileTitle("\\Temp\\my.holiday.jpg", &title, false), 1);
    EXPECT_EQ(title, "my.holiday");
    FileTitle("\\Temp\\my.holiday.jpg", &title, true);
    EXPECT_EQ(title, "my.holiday.jpg");
    FileTitle("\\Temp\\README", &title, false);
    EXPECT_EQ(title, "README");
    EXPECT_EQ(FileTitle("", &title, false), 0);
    // Long names are kept whole rather than cut into a fixed buffer.
    const std::string longName(200, 'x');
    FileTitle("\\" + longName + ".jpg", &title, false);
    EXPECT_EQ(title, longName);

    EXPECT_EQ(VoiceNoteName("\\Pictures\\a.jpg"), "\\Pictures\\a.jpg.wav");
}

TEST(Paths, ExistsStripsATrailingSeparatorAndPictureTypeReadsTwoBytes) {
    testing_support::TempDevice device;
    plat::DeviceFs::SetRoot(device.Root());
    device.MakeFolder("\\Temp");
    device.WriteFile("\\Temp\\a.jpg", "\xFF\xD8rest");

    std::string path = "\\Temp\\";
    plat::FileInfo info;
    EXPECT_TRUE(Exists(&path, &info));
    EXPECT_EQ(path, "\\Temp");
    EXPECT_TRUE(info.isFolder);
    std::string root = "\\";
    EXPECT_TRUE(Exists(&root, &info));
    EXPECT_EQ(info.name, "\\");
    EXPECT_FALSE(Exists("\\Nope"));
    EXPECT_FALSE(Exists(""));

    // The content rules themselves are the imaging loaders' tests.
    EXPECT_EQ(PictureTypeFromContent("\\Temp\\a.jpg"), 3);
    EXPECT_EQ(PictureTypeFromContent("\\Temp\\missing.jpg"), -1);
}

TEST(DeviceFs, RefusesPathsThatCouldLeaveTheDeviceRoot) {
    testing_support::TempDevice device;
    plat::DeviceFs::SetRoot(device.Root());
    for (const char* bad : {"", "relative", "\\..", "\\a\\..\\..\\etc", "\\.", "\\a\\.\\b", "\\a/b",
                            "\\a\\\\b", "\\\\"}) {
        EXPECT_FALSE(plat::DeviceFs::IsValidPath(bad)) << bad;
        EXPECT_EQ(plat::DeviceFs::ToHost(bad), "") << bad;
        EXPECT_FALSE(plat::DeviceFs::WriteAtomic(bad, "x")) << bad;
    }
    EXPECT_TRUE(plat::DeviceFs::IsValidPath("\\"));
    EXPECT_TRUE(plat::DeviceFs::IsValidPath("\\Temp\\"));
    EXPECT_TRUE(plat::DeviceFs::IsValidPath("\\My Documents\\a..b.jpg"));

    // 259 UTF-16 units are allowed, 260 are not; a letter outside the BMP counts twice.
    const std::string ok = "\\" + std::string(258, 'a');
    EXPECT_TRUE(plat::DeviceFs::IsValidPath(ok));
    EXPECT_FALSE(plat::DeviceFs::IsValidPath(ok + "a"));
    const std::string emoji = "\xF0\x9F\x98\x80";
    EXPECT_FALSE(plat::DeviceFs::IsValidPath("\\" + std::string(257, 'a') + emoji));
    EXPECT_EQ(plat::Utf16Length(emoji), 2);
}

TEST(Text, CaseInsensitiveComparisonBeyondAscii) {
    EXPECT_TRUE(plat::EqualsNoCase("SAMPLES", "samples"));
    EXPECT_TRUE(plat::EqualsNoCase("\xC3\x84PFEL", "\xC3\xA4pfel"));  // Äpfel
    EXPECT_TRUE(plat::EqualsNoCase("\xD0\x9C\xD0\x98\xD0\xA0", "\xD0\xBC\xD0\xB8\xD1\x80"));  // МИР
    EXPECT_LT(plat::CompareNoCase("apple", "Banana"), 0);
    EXPECT_GT(plat::CompareNoCase("b", "A"), 0);
    EXPECT_FALSE(plat::EqualsNoCase("Samples", "SAMPLES2"));  // a prefix is not the name
    EXPECT_LT(plat::CompareNoCase("Samples", "SAMPLES2"), 0);
    EXPECT_EQ(plat::FormatText("&%d Home (%s)", {4, "Samples"}), "&4 Home (Samples)");
    EXPECT_EQ(plat::FormatText("%d%% completed...", {42}), "42% completed...");
    EXPECT_EQ(plat::FormatText("%s and %d", {7, "x"}), "? and ?");
}
