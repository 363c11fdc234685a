// ExtractEntry for stored entries, DeleteWithRetry and the start-up extractions.
#include "package/extract.h"

#include <gtest/gtest.h>

#include "core/error_codes.h"
#include "platform/io_error.h"
#include "res/strings.h"
#include "test_support.h"

namespace ssi {
namespace {

using test::ReportedError;
using Errors = std::vector<ReportedError>;

// A fixture whose working copy holds a package with the given slots.
struct Extraction : test::Fixture {
  explicit Extraction(const std::vector<std::pair<int, test::PayloadSpec>>& slots,
                      uint8_t splashKind = 2) {
    pkg::TPackageHeader header;
    header.SplashKind = splashKind;
    image = test::BuildImage(header, slots);
    fake.files.AddFile(ctx.WorkCopyPath, image.bytes);
    ctx.PackageOffset = image.offset;
    ctx.PackageTable = image.table;
  }
  int32_t Extract(int slot, bool showProgress = false) {
    auto stream = fake.files.OpenRead(ctx.WorkCopyPath);
    return ExtractEntry(ctx, *stream, slot, showProgress);
  }
  test::PackageImage image;
};

TEST(ExtractEntry, StoredEntryIsWrittenExactlyWhereItsKindSays) {
  struct Case {
    std::string name;
    int32_t kind;
    std::string destination;
  };
  for (const Case& c : std::vector<Case>{
           {"readme.txt", 1, "C:\\WINDOWS\\Demo dir\\readme.txt"},
           {"saver.scr", 2, "C:\\WINDOWS\\saver.scr"},
           {"impborl.dat", 3, "C:\\WINDOWS\\impborl.dll"},
           {"flashax.exe", 3, "C:\\WINDOWS\\flashax.exe"},
           {"FLASHAX.EXE", 3, "C:\\WINDOWS\\FLASHAX.dll"},  // the exemption is exact
           {"noext", 3, "C:\\WINDOWS\\noext.dll"},
           {"saver.ssd", 4, "C:\\WINDOWS\\Demo dir\\saver.ssd"},
           {"ソフト.swf", 5, "C:\\WINDOWS\\Demo dir\\ソフト.swf"},
           {"表示.bmp", 6, "C:\\WINDOWS\\Demo dir\\表示.bmp"},
       }) {
    Extraction f({{7, {c.name, "payload\r\n\x1a bytes", c.kind, false, 9999}}});
    EXPECT_EQ(f.Extract(7), 0) << c.name;
    EXPECT_EQ(f.fake.files.Contents(c.destination), "payload\r\n\x1a bytes")
        << c.name;  // UnpackedSize not compared
    EXPECT_TRUE(f.hooks.errors.empty()) << c.name;
  }
}

TEST(ExtractEntry, ShowsProgressWhenAsked) {
  Extraction f({{7, {"data.bin", "x"}}});
  ASSERT_EQ(f.Extract(7, true), 0);
  EXPECT_EQ(f.hooks.statuses, std::vector<std::string>{res::Str(res::kWritingSaverFile)});
  EXPECT_EQ(f.hooks.progressSteps, 1);
  Extraction quiet({{7, {"data.bin", "x"}}});
  ASSERT_EQ(quiet.Extract(7, false), 0);
  EXPECT_TRUE(quiet.hooks.statuses.empty());
  EXPECT_EQ(quiet.hooks.progressSteps, 0);
}

TEST(ExtractEntry, ReadOnlyDestinationIsReplaced) {
  Extraction f({{7, {"data.bin", "new"}}});
  f.fake.files.AddFile("C:\\WINDOWS\\Demo dir\\data.bin", "old", attr::kReadOnly | attr::kHidden);
  EXPECT_EQ(f.Extract(7), 0);
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\Demo dir\\data.bin"), "new");
}

TEST(ExtractEntry, EmptySlotIsReportedWithAnEmptyPath) {
  Extraction f({});
  EXPECT_EQ(f.Extract(7), err::kEmptySlot);
  EXPECT_EQ(f.hooks.errors, (Errors{{err::kEmptySlot, ""}}));
}

TEST(ExtractEntry, BusyDestinations) {
  struct Case {
    std::string name;
    int32_t kind;
    std::string destination;
    int32_t result;
    Errors errors;
  };
  const std::string dll = "C:\\WINDOWS\\impborl.dll";
  const std::string flash = "C:\\WINDOWS\\flashax.exe";
  const std::string scr = "C:\\WINDOWS\\saver.scr";
  const std::string SCR = "C:\\WINDOWS\\SAVER.SCR";
  const std::string DLL = "C:\\WINDOWS\\Demo dir\\LIB.DLL";
  for (const Case& c : std::vector<Case>{
           {"impborl.dat", 3, dll, 0, {}},  // silently kept
           {"flashax.exe", 3, flash, 0, {{err::kCannotDelete, flash}}},
           {"saver.scr", 2, scr, err::kSaverBusy, {{err::kSaverBusy, scr}}},
           {"SAVER.SCR", 2, SCR, err::kSaverBusy, {{err::kSaverBusy, SCR}}},  // ".scr" test ignores
                                                                              // case
           {"LIB.DLL", 5, DLL, 0, {{err::kCannotDelete, DLL}}},  // ".dll" test does not
       }) {
    Extraction f({{6, {c.name, "new", c.kind}}});
    f.fake.files.AddFile(c.destination, "old");
    f.fake.files.SetInUse(c.destination, true);
    EXPECT_EQ(f.Extract(6), c.result) << c.name;
    EXPECT_EQ(f.hooks.errors, c.errors) << c.name;
    EXPECT_EQ(f.fake.files.Contents(c.destination), "old") << c.name;
  }
}

TEST(DeleteWithRetry, TriesFiveThousandTimesWithoutPausing) {
  test::Fixture f;
  f.fake.files.AddFile("C:\\WINDOWS\\saver.scr", "old");
  f.fake.files.SetInUse("C:\\WINDOWS\\saver.scr", true);
  EXPECT_EQ(DeleteWithRetry(f.ctx, "C:\\WINDOWS\\saver.scr", false, kDeleteAttempts),
            err::kSaverBusy);
  EXPECT_EQ(f.fake.files.deleteCalls(), 2 * kDeleteAttempts);  // a delete, then one after the reset
  EXPECT_EQ(f.hooks.pauses, 0);
  EXPECT_TRUE(f.hooks.errors.empty());
}

TEST(DeleteWithRetry, NoAttemptsGivesMinus1) {
  test::Fixture f;
  EXPECT_EQ(DeleteWithRetry(f.ctx, "C:\\x.txt", true, 0), err::kFolderNotRemoved);
  EXPECT_EQ(f.hooks.errors, (Errors{{err::kFolderNotRemoved, "C:\\x.txt"}}));
  EXPECT_EQ(DeleteWithRetry(f.ctx, "C:\\x.txt", true, 1), 0);
}

TEST(ExtractEntry, HostileRangesFailWithoutWritingOrAllocatingGigabytes) {
  struct Case {
    const char* what;
    int32_t start;
    int32_t end;
    int32_t code;
  };
  for (const Case& c : std::vector<Case>{
           {"reversed", 5000, 4000, err::kBadBlockSize},
           {"empty", 5000, 4999, err::kBadBlockSize},
           {"past the end", 5000, 900000, err::kShortPayload},
           {"two gigabytes", 0, 0x7FFFFFFF, err::kShortPayload},
           {"negative start", -100, 10, err::kShortPayload},
           {"most negative", INT32_MIN, INT32_MAX, err::kShortPayload},
       }) {
    for (const char* name : {"data.bin", "lib.dll"}) {
      Extraction f({{9, {name, "abc"}}});
      f.ctx.PackageTable.Entries[9].StartOffset = c.start;
      f.ctx.PackageTable.Entries[9].EndOffset = c.end;
      const std::string destination = std::string("C:\\WINDOWS\\Demo dir\\") + name;
      f.fake.files.AddFile(destination, "old");
      EXPECT_EQ(f.Extract(9), c.code) << c.what;
      // Cleared before the size is known; no new file is written.
      EXPECT_FALSE(f.fake.files.FileExists(destination)) << c.what;
      // Only ".dll" destinations report after the clearing; the caller reports the rest.
      Errors expected = std::string(name) == "lib.dll" ? Errors{{c.code, destination}} : Errors{};
      EXPECT_EQ(f.hooks.errors, expected) << c.what << " " << name;
    }
  }
}

TEST(ExtractEntry, UnsafeNamesAndUnknownKindsAreRefusedAndTouchNothing) {
  for (const char* name :
       {"..\\..\\evil.exe", "sub\\x.txt", "C:evil.txt", "..", "NUL", "a/b.txt"}) {
    Extraction f({{7, {name, "evil"}}});
    f.fake.files.AddFile("C:\\WINDOWS\\evil.exe", "precious");
    f.fake.files.AddFile("C:\\evil.txt", "precious");
    EXPECT_EQ(f.Extract(7), err::kUnsafeEntryName) << name;
    EXPECT_EQ(f.hooks.errors, (Errors{{err::kUnsafeEntryName, name}})) << name;
    EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\evil.exe"), "precious");
    EXPECT_EQ(f.fake.files.Contents("C:\\evil.txt"), "precious");
    EXPECT_FALSE(f.fake.files.FileExists("C:\\WINDOWS\\Demo dir\\b.txt"));
  }
  for (int32_t kind : {0, 7, -1}) {
    Extraction f({{7, {"data.bin", "x", kind}}});
    EXPECT_EQ(f.Extract(7), err::kUnsafeEntryName) << kind;
    EXPECT_EQ(f.hooks.errors, (Errors{{err::kUnsafeEntryName, "data.bin"}}));
  }
}

TEST(ExtractEntry, DataFolderNotYetComputedIsNoPlaceToWrite) {
  Extraction f({{1, {"impborl.dat", "lib", pkg::kKindDataFile}}});
  f.ctx.DataFolder.clear();
  EXPECT_EQ(f.Extract(1), err::kUnsafeEntryName);
  EXPECT_FALSE(f.fake.files.FileExists("impborl.dat"));
}

TEST(ExtractEntry, WriteFailuresAreReportedWhateverTheExtensionAndLeaveNoFile) {
  {
    Extraction f({{7, {"data.bin", "0123456789"}}});
    f.fake.files.SetCapacity(static_cast<int64_t>(f.image.bytes.size()) + 5);
    EXPECT_EQ(f.Extract(7), syserr::kDiskFull);
    EXPECT_EQ(f.hooks.errors, (Errors{{syserr::kDiskFull, "C:\\WINDOWS\\Demo dir\\data.bin"}}));
    EXPECT_FALSE(f.fake.files.FileExists("C:\\WINDOWS\\Demo dir\\data.bin"));
  }
  {
    Extraction f({{7, {"data.bin", "x"}}});
    f.fake.files.RemoveFolder("C:\\WINDOWS\\Demo dir");
    EXPECT_EQ(f.Extract(7), syserr::kPathNotFound);
    EXPECT_EQ(f.hooks.errors, (Errors{{syserr::kPathNotFound, "C:\\WINDOWS\\Demo dir\\data.bin"}}));
  }
}

TEST(ExtractEntry, ReadErrorOfTheWorkingCopyIsReportedWithItsNumber) {
  Extraction f({{7, {"data.bin", "payload"}}});
  auto stream = f.fake.files.OpenRead(f.ctx.WorkCopyPath);
  f.fake.files.InjectIoError(f.ctx.WorkCopyPath,
                             23);  // the system's data error, as from a bad sector
  EXPECT_EQ(ExtractEntry(f.ctx, *stream, 7, false), 23);
  EXPECT_EQ(f.hooks.errors, (Errors{{23, "C:\\WINDOWS\\Demo dir\\data.bin"}}));
  EXPECT_FALSE(f.fake.files.FileExists("C:\\WINDOWS\\Demo dir\\data.bin"));
}

TEST(StartupExtractions, EmptySlotsReturnMinus531WithoutAMessage) {
  Extraction f({});
  EXPECT_EQ(ExtractFlashSetup(f.ctx), err::kEmptySlot);
  EXPECT_EQ(ExtractAfterInstallDocument(f.ctx), err::kEmptySlot);
  EXPECT_EQ(ExtractLicence(f.ctx), err::kEmptySlot);
  EXPECT_EQ(ExtractSplash(f.ctx), err::kEmptySlot);
  EXPECT_TRUE(f.hooks.errors.empty());
}

TEST(StartupExtractions, EachWritesItsSlot) {
  Extraction f({{2, {"flashax.exe", "setup", 3}},
                {4, {"licence.txt", "terms"}},
                {5, {"readme.htm", "doc"}}});
  EXPECT_EQ(ExtractFlashSetup(f.ctx), 0);
  EXPECT_EQ(ExtractLicence(f.ctx), 0);
  EXPECT_EQ(ExtractAfterInstallDocument(f.ctx), 0);
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\flashax.exe"), "setup");
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\Demo dir\\licence.txt"), "terms");
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\Demo dir\\readme.htm"), "doc");
}

TEST(StartupExtractions, UnopenableWorkingCopyIsReportedWithTheDataFolder) {
  Extraction f({{2, {"flashax.exe", "setup", 3}}});
  f.fake.files.SetInUse(f.ctx.WorkCopyPath, true);
  EXPECT_EQ(ExtractFlashSetup(f.ctx), syserr::kSharingViolation);
  EXPECT_EQ(f.hooks.errors, (Errors{{syserr::kSharingViolation, f.ctx.DataFolder}}));
}

TEST(ExtractSplash, SplashKindChoosesTheExtension) {
  struct Case {
    uint8_t kind;
    std::string name;
  };
  for (const Case& c : std::vector<Case>{{1, "installer.BMP"},
                                         {8, "installer.jpg"},
                                         {2, "installer.swf"},
                                         {3, "installer.swf"},
                                         {0, "installer.swf"}}) {
    Extraction f({{3, {"installer.swf", "picture"}}}, c.kind);
    EXPECT_EQ(ExtractSplash(f.ctx), 0);
    EXPECT_EQ(f.ctx.PackageTable.Entries[3].Name, c.name);
    EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\Demo dir\\" + c.name), "picture");
  }
}

TEST(ExtractSplash, NewNameStaysWithin255Bytes) {
  std::string longName = std::string(250, 'n') + "ソ";  // 252 bytes, no extension
  Extraction f({{3, {longName, "picture"}}}, pkg::kSplashBmp);
  EXPECT_EQ(ExtractSplash(f.ctx), 0);
  EXPECT_EQ(f.ctx.PackageTable.Entries[3].Name, longName + ".BM");
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\Demo dir\\" + longName + ".BM"), "picture");
}

}  // namespace
}  // namespace ssi
