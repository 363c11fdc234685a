// The working copy and the package table.
#include "package/package_table.h"

#include <gtest/gtest.h>

#include "core/error_codes.h"
#include "test_support.h"

namespace ssi {
namespace {

using test::BuildImage;
using test::Fixture;
using test::ReportedError;

pkg::TPackageHeader Header(const char* name) {
  pkg::TPackageHeader header;
  header.SplashKind = pkg::kSplashFlash;
  header.SetName(name);
  return header;
}

const test::PayloadSpec kLibrary{"impborl.dat", "MZ library bytes", pkg::kKindWindowsLibrary};

TEST(MakeWorkingCopy, CopiesTheInstallerFileByteForByte) {
  Fixture f;
  f.fake.files.AddFile(f.ctx.ExePath, std::string("MZ\0\x01payload", 11));
  f.fake.files.AddFile(f.ctx.WorkCopyPath, "stale", attr::kReadOnly);
  EXPECT_EQ(MakeWorkingCopy(f.ctx), 0);
  EXPECT_EQ(f.fake.files.Contents(f.ctx.WorkCopyPath), std::string("MZ\0\x01payload", 11));
  EXPECT_TRUE(f.hooks.errors.empty());
}

TEST(MakeWorkingCopy, UndeletableOldCopyIsReportedWith523AndReturns32) {
  Fixture f;
  f.fake.files.AddFile(f.ctx.ExePath, "new");
  f.fake.files.AddFile(f.ctx.WorkCopyPath, "old");
  f.fake.files.SetInUse(f.ctx.WorkCopyPath, true);
  EXPECT_EQ(MakeWorkingCopy(f.ctx), err::kCannotDelete);
  EXPECT_EQ(f.hooks.errors,
            (std::vector<ReportedError>{{err::kWorkCopyFailed, f.ctx.WorkCopyPath}}));
  EXPECT_EQ(f.fake.files.Contents(f.ctx.WorkCopyPath), "old");  // not copied over
}

TEST(MakeWorkingCopy, FailedCopyReturnsTheSystemsCode) {
  Fixture f;  // no installer file at ExePath
  EXPECT_EQ(MakeWorkingCopy(f.ctx), 2);
  EXPECT_EQ(f.hooks.errors,
            (std::vector<ReportedError>{{err::kWorkCopyFailed, f.ctx.WorkCopyPath}}));
}

TEST(ReadPackageTable, ReadsTheTableAndWritesTheLibrary) {
  Fixture f;
  test::PackageImage image =
      BuildImage(Header("Aquarium"), {{1, kLibrary}, {3, {"installer.swf", "FWS..."}}});
  f.fake.files.AddFile(f.ctx.WorkCopyPath, image.bytes);
  f.ctx.PackageOffset = image.offset;
  EXPECT_EQ(ReadPackageTable(f.ctx), 0);
  EXPECT_EQ(f.ctx.PackageTable.Header.NameText(), "Aquarium");
  EXPECT_EQ(f.ctx.PackageTable.Entries[3].Name, "installer.swf");
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\impborl.dll"), "MZ library bytes");
  EXPECT_TRUE(f.hooks.errors.empty());
}

TEST(ReadPackageTable, NoCompleteTableGivesMinus31WithTheWorkCopyPath) {
  test::PackageImage image = BuildImage(Header("x"), {{1, kLibrary}});
  struct Case {
    const char* what;
    std::string file;
    int32_t offset;
  };
  for (const Case& c : std::vector<Case>{
           {"file ends at the offset", image.bytes.substr(0, 1024), image.offset},
           {"file ends inside the table", image.bytes.substr(0, 1024 + 3151), image.offset},
           {"offset past the end", image.bytes, 1 << 30},
           {"unpatched stub", image.bytes, 0},
           {"negative offset", image.bytes, -5},
       }) {
    Fixture f;
    f.fake.files.AddFile(f.ctx.WorkCopyPath, c.file);
    f.ctx.PackageOffset = c.offset;
    EXPECT_EQ(ReadPackageTable(f.ctx), err::kNoPackage) << c.what;
    EXPECT_EQ(f.hooks.errors, (std::vector<ReportedError>{{err::kNoPackage, f.ctx.WorkCopyPath}}))
        << c.what;
    EXPECT_FALSE(f.fake.files.FileExists("C:\\WINDOWS\\impborl.dll")) << c.what;
  }
}

TEST(ReadPackageTable, UnopenableWorkingCopyReportsTheSystemNumber) {
  Fixture f;
  f.fake.files.AddFile(f.ctx.WorkCopyPath, "x");
  f.fake.files.SetInUse(f.ctx.WorkCopyPath, true);
  EXPECT_EQ(ReadPackageTable(f.ctx), 32);
  EXPECT_EQ(f.hooks.errors, (std::vector<ReportedError>{{32, f.ctx.WorkCopyPath}}));
}

TEST(ReadPackageTable, IgnoresBytesAfterTheNameLength) {
  Fixture f;
  test::PackageImage image =
      BuildImage(Header("x"), {{1, kLibrary}, {3, {"installer.swf", "FWS"}}});
  // Overwrite the bytes after "installer.swf" in slot 3's name with leftovers of a longer name.
  size_t nameField = static_cast<size_t>(image.offset) + pkg::kHeaderSize + 3 * pkg::kEntrySize;
  image.bytes.replace(nameField + 1 + 13, 8, "leftover");
  f.fake.files.AddFile(f.ctx.WorkCopyPath, image.bytes);
  f.ctx.PackageOffset = image.offset;
  ASSERT_EQ(ReadPackageTable(f.ctx), 0);
  EXPECT_EQ(f.ctx.PackageTable.Entries[3].Name, "installer.swf");
}

TEST(PackageLayout, TableRoundTripsFieldByField) {
  pkg::TPackageTable table;
  table.Header.SplashKind = 8;
  table.Header.ShowLicence = 1;
  table.Header.HasAfterInstallDocument = 1;
  table.Header.OfferDisplayProperties = 1;
  table.Header.SetName("ソフト");
  table.Entries[10] = {"lib.dll", -7, 0x7FFFFFFF, 5, 1, 123, -1};
  auto bytes = pkg::SerializeTable(table);
  EXPECT_EQ(bytes[0], 8);
  EXPECT_EQ(bytes[3], 0);  // reserved
  EXPECT_EQ(pkg::ReadLe32(&bytes[pkg::kHeaderSize + 10 * pkg::kEntrySize + 260]), 0x7FFFFFFFu);
  pkg::TPackageTable back = pkg::ParseTable(bytes);
  EXPECT_EQ(back.Header.NameText(), "ソフト");
  EXPECT_EQ(back.Header.OfferDisplayProperties, 1);
  EXPECT_EQ(back.Entries[10].Name, "lib.dll");
  EXPECT_EQ(back.Entries[10].StartOffset, -7);
  EXPECT_EQ(back.Entries[10].UnpackedSize, -1);
  EXPECT_EQ(back.Entries[10].PayloadSize(), int64_t{0x7FFFFFFF} + 8);  // no 32-bit overflow
}

}  // namespace
}  // namespace ssi
