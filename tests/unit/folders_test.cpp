// Folder values, the fresh TEMP sub-folder, and the data folder.
#include "winsys/folders.h"

#include <gtest/gtest.h>

#include "core/error_codes.h"
#include "res/strings.h"
#include "test_support.h"

namespace ssi {
namespace {

using test::Fixture;

TEST(Folders, SystemFoldersEndWithExactlyOneBackslash) {
  struct Case {
    std::string answer, folder;
  };
  for (const Case& c : std::vector<Case>{{"C:\\WINDOWS", "C:\\WINDOWS\\"},
                                         {"C:\\WINDOWS\\", "C:\\WINDOWS\\"},
                                         {"C:\\ソフト", "C:\\ソフト\\"}}) {
    Fixture f;
    f.fake.env.windowsDirectory = c.answer;
    f.fake.env.systemDirectory = c.answer;
    ComputeSystemFolders(f.ctx);
    EXPECT_EQ(f.ctx.WindowsFolder, c.folder);
    EXPECT_EQ(f.ctx.SystemFolder, c.folder);
  }
}

TEST(Folders, TempSubFolderTakesTheFirstNameThatDoesNotExist) {
  struct Case {
    int existing;  // ZPX plus ZPX1..ZPX(existing-1) exist
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{{0, "C:\\TEMP\\ZPX\\"},
                                         {1, "C:\\TEMP\\ZPX1\\"},
                                         {5, "C:\\TEMP\\ZPX5\\"},
                                         {49, "C:\\TEMP\\ZPX49\\"}}) {
    Fixture f;
    f.fake.files.RemoveFolder("C:\\TEMP\\ZPX");
    for (int i = 0; i < c.existing; ++i)
      f.fake.files.AddFolder("C:\\TEMP\\ZPX" + (i == 0 ? "" : std::to_string(i)));
    TempSubFolder made = CreateTempSubFolder(f.fake.platform, "ZPX");
    EXPECT_EQ(made.code, 0);
    EXPECT_EQ(made.folder, c.expected);
    EXPECT_TRUE(f.fake.files.FolderExists(c.expected));
  }
}

TEST(Folders, TempValueWithTrailingBackslashGetsNoSecondOne) {
  Fixture f;
  f.fake.env.variables["TEMP"] = "C:\\TEMP\\";
  f.fake.files.RemoveFolder("C:\\TEMP\\ZPX");
  EXPECT_EQ(CreateTempSubFolder(f.fake.platform, "FlashPanel").folder, "C:\\TEMP\\FlashPanel\\");
}

TEST(Folders, NoFreshWorkFolderLeavesNoWorkCopyPath) {
  // All fifty names taken, or the creation refused: the run must not adopt a folder it did not
  // make, since closing deletes the working folder whole.
  Fixture taken;
  for (int i = 1; i <= 49; ++i) taken.fake.files.AddFolder("C:\\TEMP\\ZPX" + std::to_string(i));
  taken.fake.files.AddFile("C:\\TEMP\\ZPX\\someone-elses.txt", "keep");
  TempSubFolder work = ComputeInstallerPaths(taken.ctx);
  EXPECT_NE(work.code, 0);
  EXPECT_EQ(taken.ctx.WorkCopyPath, "");
  EXPECT_EQ(WorkFolder(taken.ctx), "");

  Fixture refused;
  refused.fake.files.RemoveFolder("C:\\TEMP\\ZPX");
  refused.fake.files.FailFolderCreation("C:\\TEMP\\ZPX", 5);
  work = ComputeInstallerPaths(refused.ctx);
  EXPECT_EQ(work.code, 5);
  EXPECT_EQ(work.folder, "C:\\TEMP\\ZPX");
  EXPECT_EQ(refused.ctx.WorkCopyPath, "");
}

TEST(Folders, UnsetTempIsAFailureNotTheCurrentFolder) {
  Fixture f;
  f.fake.env.variables.erase("TEMP");
  EXPECT_NE(CreateTempSubFolder(f.fake.platform, "ZPX").code, 0);
}

TEST(Folders, InstallerPathsNameTheModuleAndTheWorkingCopy) {
  Fixture f;
  f.fake.files.RemoveFolder("C:\\TEMP\\ZPX");
  ASSERT_EQ(ComputeInstallerPaths(f.ctx).code, 0);
  EXPECT_EQ(f.ctx.ExePath, "C:\\Downloads\\setup.exe");
  EXPECT_EQ(f.ctx.WorkCopyPath, "C:\\TEMP\\ZPX\\temp.dat");
  EXPECT_EQ(WorkFolder(f.ctx), "C:\\TEMP\\ZPX\\");
}

TEST(Folders, DataFolderFromThePackageName) {
  struct Case {
    std::string name;
    std::string packageName;
    std::string dataFolder;
  };
  const std::string name64(64, 'N');
  for (const Case& c : std::vector<Case>{
           {"Aquarium", "Aquarium", "C:\\WINDOWS\\Aquarium dir\\"},
           {"", "", "C:\\WINDOWS\\ZPX dir\\"},  // default applies to the folder only
           {"ソフト", "ソフト", "C:\\WINDOWS\\ソフト dir\\"},
           {name64, name64, "C:\\WINDOWS\\" + name64 + " dir\\"},
       }) {
    Fixture f;
    f.ctx.PackageTable.Header.SetName(c.name);
    f.ctx.PackageTable.Entries[pkg::kSlotSettings].Name = "saver.ssd";
    ASSERT_EQ(ComputeDataFolder(f.ctx), 0);
    EXPECT_EQ(f.ctx.PackageName, c.packageName);
    EXPECT_EQ(f.ctx.DataFolder, c.dataFolder);
    EXPECT_EQ(f.ctx.SettingsPath, c.dataFolder + "saver.ssd");
    EXPECT_TRUE(f.fake.files.FolderExists(c.dataFolder));
  }
}

TEST(Folders, ExistingDataFolderIsUsedSilently) {
  Fixture f;
  f.ctx.PackageTable.Header.SetName("Demo");
  f.fake.files.AddFile("C:\\WINDOWS\\Demo dir\\old.txt", "old");
  EXPECT_EQ(ComputeDataFolder(f.ctx), 0);
  EXPECT_TRUE(f.hooks.errors.empty());
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\Demo dir\\old.txt"), "old");
}

TEST(Folders, PackageNameThatWouldLeaveTheWindowsFolderIsRefused) {
  for (const char* name : {"..\\..\\Users", "a\\b", "C:x", "sub/dir"}) {
    Fixture f;
    f.ctx.PackageTable.Header.SetName(name);
    EXPECT_EQ(ComputeDataFolder(f.ctx), err::kUnsafeEntryName) << name;
    EXPECT_EQ(f.hooks.errors, (std::vector<test::ReportedError>{{err::kUnsafeEntryName, name}}));
    EXPECT_EQ(f.ctx.DataFolder, "C:\\WINDOWS\\Demo dir\\") << "left as it was";
  }
}

TEST(Folders, WinDirFolderIsReadFromTheEnvironment) {
  Fixture f;
  f.fake.env.variables["WINDIR"] = "D:\\WIN";
  EXPECT_EQ(GetWinDirFolder(f.fake.platform), "D:\\WIN\\");
}

}  // namespace
}  // namespace ssi
