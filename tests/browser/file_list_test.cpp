#include "core/file_list.h"

#include <gtest/gtest.h>

#include "platform/os/device_fs.h"
#include "tests/platform/temp_device.h"

namespace {

FileEntry Entry(const std::string& name, bool folder, int64_t time, uint64_t size) {
    FileEntry e;
    e.name = name;
    e.isFolder = folder;
    e.lastWriteTime = time;
    e.fileSize = size;
    return e;
}

TEST(FileListTest, FoldersComeFirstThenTheSortKeyDecides) {
    FileList list;
    const FileEntry folder = Entry("zoo", true, 50, 0);
    const FileEntry apple = Entry("Apple.jpg", false, 30, 900);
    const FileEntry banana = Entry("banana.jpg", false, 10, 100);
    EXPECT_LT(list.Compare(folder, apple), 0);
    EXPECT_GT(list.Compare(apple, folder), 0);
    EXPECT_LT(list.Compare(apple, banana), 0);  // case does not count
    list.sortKey = 1;
    EXPECT_GT(list.Compare(apple, banana), 0);
    EXPECT_LT(list.Compare(folder, banana), 0);
    list.sortKey = 2;
    EXPECT_GT(list.Compare(apple, banana), 0);
    EXPECT_EQ(list.Compare(apple, apple), 0);
}

class ScannedFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(plat::DeviceFs::CreateFolders("\\Pics\\Sub"));
        for (const char* name : {"A.JPG", "b.Jpeg", "p.BMP", "d.gif", "e.png", "f.jpe", "g"}) {
            ASSERT_TRUE(plat::DeviceFs::WriteAtomic(std::string("\\Pics\\") + name, "xx"));
        }
        list.Scan("\\Pics");
    }
    plat_test::TempDevice device;
    FileList list;
};

TEST_F(ScannedFolder, ListsFoldersAndPicturesByExtension) {
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list.pictureCount, 4);
    EXPECT_EQ(list.FolderCount(), 1);
    EXPECT_EQ(list.GetEntry(0)->name, "Sub");
    EXPECT_TRUE(list.GetEntry(0)->isFolder);
    EXPECT_EQ(list.GetEntry(1)->name, "A.JPG");
    EXPECT_EQ(list.GetEntry(2)->name, "b.Jpeg");
    EXPECT_EQ(list.GetEntry(3)->name, "d.gif");
    EXPECT_EQ(list.GetEntry(4)->name, "p.BMP");
    EXPECT_EQ(list.FullPath(2), "\\Pics\\b.Jpeg");
}

TEST_F(ScannedFolder, SteppingWrapsOverThePicturesOnly) {
    EXPECT_EQ(list.StepPicture(4, false), 1);
    EXPECT_EQ(list.StepPicture(1, true), 4);
    EXPECT_EQ(list.StepPicture(2, false), 3);
    EXPECT_EQ(list.StepPicture(3, false), 4);
    EXPECT_EQ(list.StepPicture(3, true), 2);
    FileList empty;
    EXPECT_EQ(empty.StepPicture(0, false), -1);
}

}  // namespace
