// ForceDeleteFile and DeleteFolderTree on the fake disk.
#include "winsys/removal.h"

#include <gtest/gtest.h>

#include "core/error_codes.h"
#include "test_support.h"

namespace ssi {
namespace {

TEST(ForceDeleteFile, DeletesWhateverTheAttributes) {
  for (uint32_t attributes : {attr::kArchive, attr::kReadOnly, attr::kHidden | attr::kSystem,
                              attr::kReadOnly | attr::kHidden}) {
    fake::FakePlatform fake;
    fake.files.AddFile("C:\\x\\f.txt", "data", attributes);
    EXPECT_EQ(ForceDeleteFile(fake.platform, "C:\\x\\f.txt", false), 0) << attributes;
    EXPECT_FALSE(fake.files.FileExists("C:\\x\\f.txt"));
  }
}

TEST(ForceDeleteFile, NothingThereOrAFolderIsSuccessAndUntouched) {
  fake::FakePlatform fake;
  fake.files.AddFolder("C:\\x\\sub");
  EXPECT_EQ(ForceDeleteFile(fake.platform, "C:\\x\\none.txt", false), 0);
  EXPECT_EQ(ForceDeleteFile(fake.platform, "C:\\x\\sub", false), 0);
  EXPECT_TRUE(fake.files.FolderExists("C:\\x\\sub"));
}

TEST(ForceDeleteFile, FileInUseStaysWithMinus32AndReportsOnlyWhenAsked) {
  fake::FakePlatform fake;
  test::RecordingHooks hooks;
  fake.files.AddFile("C:\\x\\busy.dll", "data");
  fake.files.SetInUse("C:\\x\\busy.dll", true);
  EXPECT_EQ(ForceDeleteFile(fake.platform, "C:\\x\\busy.dll", false, &hooks), err::kCannotDelete);
  EXPECT_TRUE(hooks.boxes.empty());
  EXPECT_EQ(ForceDeleteFile(fake.platform, "C:\\x\\busy.dll", true, &hooks), err::kCannotDelete);
  EXPECT_EQ(hooks.boxes.size(), 1u);
  EXPECT_TRUE(fake.files.FileExists("C:\\x\\busy.dll"));
}

TEST(DeleteFolderTree, RemovesANestedTreeWithSpecialAttributes) {
  fake::FakePlatform fake;
  fake.files.AddFile("C:\\T\\ZPX\\temp.dat", "x");
  fake.files.AddFile("C:\\T\\ZPX\\a\\ro.txt", "x", attr::kReadOnly);
  fake.files.AddFile("C:\\T\\ZPX\\a\\b\\hidden.sys", "x", attr::kHidden | attr::kSystem);
  fake.files.AddFile("C:\\T\\ZPX\\ソフト\\表示.txt", "x");
  fake.files.SetAttributes("C:\\T\\ZPX\\a", attr::kReadOnly | attr::kDirectory);
  fake.files.AddFile("C:\\T\\other.txt", "keep");
  EXPECT_EQ(DeleteFolderTree(fake.platform, "C:\\T\\ZPX\\"), 0);
  EXPECT_FALSE(fake.files.FolderExists("C:\\T\\ZPX"));
  EXPECT_TRUE(fake.files.FileExists("C:\\T\\other.txt"));
}

TEST(DeleteFolderTree, MissingFolderIsSuccessEmptyPathIsMinus1) {
  fake::FakePlatform fake;
  fake.files.AddFile("C:\\keep.txt", "x");
  EXPECT_EQ(DeleteFolderTree(fake.platform, "C:\\nowhere\\"), 0);
  EXPECT_EQ(DeleteFolderTree(fake.platform, ""), err::kFolderNotRemoved);
  EXPECT_TRUE(fake.files.FileExists("C:\\keep.txt"));
}

TEST(DeleteFolderTree, StopsAtAFileInUseAndKeepsTheRest) {
  fake::FakePlatform fake;
  fake.files.AddFile("C:\\T\\a.txt", "x");
  fake.files.AddFile("C:\\T\\b.txt", "x");
  fake.files.AddFile("C:\\T\\c.txt", "x");
  fake.files.SetInUse("C:\\T\\b.txt", true);
  EXPECT_EQ(DeleteFolderTree(fake.platform, "C:\\T\\"), err::kCannotDelete);
  EXPECT_FALSE(fake.files.FileExists("C:\\T\\a.txt"));  // enumerated before the busy one
  EXPECT_TRUE(fake.files.FileExists("C:\\T\\b.txt"));
  EXPECT_TRUE(fake.files.FileExists("C:\\T\\c.txt"));
  EXPECT_TRUE(fake.files.FolderExists("C:\\T"));
}

TEST(DeleteFolderTree, ABusySubFolderShowsAsTheParentsRemovalFailing) {
  fake::FakePlatform fake;
  fake.files.AddFile("C:\\T\\sub\\busy.txt", "x");
  fake.files.AddFile("C:\\T\\z.txt", "x");
  fake.files.SetInUse("C:\\T\\sub\\busy.txt", true);
  EXPECT_EQ(DeleteFolderTree(fake.platform, "C:\\T\\"), err::kFolderNotRemoved);
  EXPECT_FALSE(fake.files.FileExists("C:\\T\\z.txt"));  // the parent's loop went on
  EXPECT_TRUE(fake.files.FileExists("C:\\T\\sub\\busy.txt"));
}

}  // namespace
}  // namespace ssi
