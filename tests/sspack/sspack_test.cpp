// sspack: building, listing and refusing bad input. Runs the command line in-process on files in
// a scratch folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <limits>
#include <sstream>

#include "cli.h"
#include "codec.h"
#include "package_builder.h"

namespace sspack {
namespace {

namespace fs = std::filesystem;
namespace pkg = ssi::pkg;

std::string StubBytes(int locators = 1, uint32_t offset = 0) {
  std::string stub = "MZ" + std::string(500, '\0');
  for (int i = 0; i < locators; ++i) {
    stub += std::string(pkg::kOffsetLocator);
    stub += std::string(reinterpret_cast<const char*>(&offset), 4);
    stub += std::string(100, '\x90');
  }
  return stub;
}

class Sspack : public ::testing::Test {
 public:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("sspack-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Write("installer.exe", StubBytes());
    Write("impborl.dll", "library bytes");
    Write("flashax.exe", "setup bytes");
    Write("installer.swf", "FWS movie");
    Write("saver.scr", std::string(3000, 'S') + "screen saver module");
    Write("saver.ssd", std::string(500, ' ') + "settings");
    Write("data.dat", "data");
    Write("licence.txt", "terms");
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(Path(name), std::ios::binary) << bytes;
  }
  int Run(std::vector<std::string> args) {
    out_.str("");
    err_.str("");
    return RunSspack(args, out_, err_);
  }
  std::vector<std::string> BuildArgs(const std::string& output = "out.exe") {
    return {"build",
            "--stub",
            Path("installer.exe"),
            "-o",
            Path(output),
            "--name",
            "Aquarium",
            "--dcl",
            Path("impborl.dll"),
            "--flash-setup",
            Path("flashax.exe"),
            "--splash",
            Path("installer.swf"),
            "--saver",
            Path("saver.scr"),
            "--data",
            Path("data.dat"),
            "--settings",
            Path("saver.ssd")};
  }
  std::string Payload(const std::string& image, const pkg::TPackageEntry& e) {
    return image.substr(static_cast<size_t>(e.StartOffset), static_cast<size_t>(e.PayloadSize()));
  }

  fs::path dir_;
  std::ostringstream out_, err_;
};

TEST_F(Sspack, BuildsStubTableAndPayloadsWithoutGaps) {
  ASSERT_EQ(Run(BuildArgs()), 0) << err_.str();
  const std::string stub = StubBytes();
  const std::string image = ReadWholeFile(Path("out.exe"));
  ListedPackage listed = ReadPackage(Path("out.exe"));
  ASSERT_EQ(listed.offset, static_cast<int32_t>(stub.size()));
  // The stub is unchanged but for its patched PackageOffset.
  std::string patched = stub;
  uint32_t offset = static_cast<uint32_t>(stub.size());
  patched.replace(stub.find(pkg::kOffsetLocator) + 16, 4, reinterpret_cast<const char*>(&offset),
                  4);
  EXPECT_EQ(image.substr(0, stub.size()), patched);

  const pkg::TPackageTable& t = listed.table;
  EXPECT_EQ(t.Header.NameText(), "Aquarium");
  EXPECT_EQ(t.Header.SplashKind, pkg::kSplashFlash);  // from the splash file's extension
  EXPECT_EQ(t.Header.ShowLicence, 0);
  EXPECT_EQ(t.Header.HasAfterInstallDocument, 0);
  EXPECT_EQ(t.Entries[0].StartOffset, 0);
  EXPECT_EQ(t.Entries[0].EndOffset, listed.offset - 1);
  EXPECT_EQ(t.Entries[0].Kind, pkg::kKindImage);

  struct Expected {
    int slot;
    std::string name;
    int32_t kind;
    std::string file;
  };
  for (const Expected& e : std::vector<Expected>{{1, "impborl.dat", 3, "impborl.dll"},
                                                 {2, "flashax.exe", 3, "flashax.exe"},
                                                 {3, "installer.swf", 5, "installer.swf"},
                                                 {6, "saver.scr", 2, "saver.scr"},
                                                 {7, "data.dat", 5, "data.dat"},
                                                 {8, "saver.ssd", 4, "saver.ssd"}}) {
    const pkg::TPackageEntry& entry = t.Entries[e.slot];
    EXPECT_EQ(entry.Name, e.name);
    EXPECT_EQ(entry.Kind, e.kind);
    EXPECT_EQ(entry.Imploded, 0);
    EXPECT_EQ(Payload(image, entry), ReadWholeFile(Path(e.file))) << e.slot;
    EXPECT_EQ(entry.UnpackedSize, entry.PayloadSize());
  }
  // Slot order without gaps; empty slots point at the next payload; the file ends with slot 10's.
  int64_t next = listed.offset + static_cast<int64_t>(pkg::kTableSize);
  for (int slot = 1; slot <= 10; ++slot) {
    const pkg::TPackageEntry& entry = t.Entries[slot];
    EXPECT_EQ(entry.StartOffset, next) << slot;
    if (entry.Name.empty()) {
      EXPECT_EQ(entry.EndOffset, next) << slot;
    } else {
      next = int64_t{entry.EndOffset} + 1;
    }
  }
  EXPECT_EQ(static_cast<int64_t>(image.size()), next);
}

TEST_F(Sspack, HeaderOptionsAndDefaults) {
  auto args = BuildArgs();
  args.insert(args.end(), {"--licence", Path("licence.txt"), "--splash-kind", "silent",
                           "--offer-display-properties", "--after-install-document", "1",
                           "--document", Path("licence.txt"), "--slot-name", "5=readme.txt"});
  ASSERT_EQ(Run(args), 0) << err_.str();
  pkg::TPackageTable t = ReadPackage(Path("out.exe")).table;
  EXPECT_EQ(t.Header.SplashKind, pkg::kSplashSilent);
  EXPECT_EQ(t.Header.ShowLicence, 1);  // defaults to whether a licence was given
  EXPECT_EQ(t.Header.HasAfterInstallDocument, 1);
  EXPECT_EQ(t.Header.OfferDisplayProperties, 1);
  EXPECT_EQ(t.Entries[5].Name, "readme.txt");

  args = BuildArgs();
  args.insert(args.end(),
              {"--licence", Path("licence.txt"), "--show-licence", "0", "--splash-kind", "8"});
  ASSERT_EQ(Run(args), 0) << err_.str();
  t = ReadPackage(Path("out.exe")).table;
  EXPECT_EQ(t.Header.ShowLicence, 0);
  EXPECT_EQ(t.Header.SplashKind, 8);
}

TEST_F(Sspack, Utf8NamesAreStoredAsCp932AndListedAsUtf8) {
  Write("ソフト.scr", "module");
  auto args = BuildArgs();
  args[6] = "表示スクリーンセーバー";  // the --name value
  args.insert(args.end(), {"--slot", "6=" + Path("ソフト.scr")});
  args.erase(args.begin() + 13, args.begin() + 15);  // drop the first --saver
  ASSERT_EQ(Run(args), 0) << err_.str();
  pkg::TPackageTable t = ReadPackage(Path("out.exe")).table;
  EXPECT_EQ(t.Entries[6].Name, "\x83\x5C\x83\x74\x83\x67.scr");
  EXPECT_EQ(t.Header.NameText().substr(0, 4), "\x95\x5C\x8E\xA6");
  ASSERT_EQ(Run({"list", Path("out.exe")}), 0) << err_.str();
  EXPECT_NE(out_.str().find("\"ソフト.scr\""), std::string::npos) << out_.str();
  EXPECT_NE(out_.str().find("表示スクリーンセーバー"), std::string::npos);
}

TEST_F(Sspack, ImplodedPayloadsExplodeToTheOriginals) {
  auto args = BuildArgs();
  args.push_back("--implode");
  ASSERT_EQ(Run(args), 0) << err_.str();
  const std::string image = ReadWholeFile(Path("out.exe"));
  pkg::TPackageTable t = ReadPackage(Path("out.exe")).table;
  EXPECT_EQ(t.Entries[1].Imploded, 0);  // the library itself and the Flash set-up stay stored
  EXPECT_EQ(t.Entries[2].Imploded, 0);
  EXPECT_EQ(t.Entries[7].Imploded, 0);  // "data" would only grow
  for (int slot : {6, 8}) {
    const pkg::TPackageEntry& e = t.Entries[slot];
    EXPECT_EQ(e.Imploded, 1) << slot;
    std::string payload = Payload(image, e);
    EXPECT_EQ(payload.substr(0, 2), std::string("\0\x06", 2));  // binary literals, 4096 dictionary
    EXPECT_EQ(e.PackedSize, static_cast<int32_t>(payload.size()));
    std::string exploded = Explode(payload);
    EXPECT_EQ(static_cast<int32_t>(exploded.size()), e.UnpackedSize);
  }
  EXPECT_EQ(Explode(Payload(image, t.Entries[6])), ReadWholeFile(Path("saver.scr")));
  EXPECT_LT(t.Entries[6].PayloadSize(), 200);  // 3000 repeated bytes compress

  ASSERT_EQ(Run({"list", Path("out.exe")}), 0);
  EXPECT_NE(out_.str().find("imploded"), std::string::npos);
}

TEST_F(Sspack, ImplodeAndExplodeSingleFiles) {
  for (const char* dict : {"1024", "2048", "4096"}) {
    for (bool ascii : {false, true}) {
      std::vector<std::string> args = {"implode", "--dict", dict, Path("saver.scr"),
                                       Path("packed.bin")};
      if (ascii) args.insert(args.begin() + 1, "--ascii");
      ASSERT_EQ(Run(args), 0) << err_.str();
      std::string packed = ReadWholeFile(Path("packed.bin"));
      EXPECT_EQ(packed[0], ascii ? 1 : 0);
      EXPECT_EQ(packed[1], dict[0] == '1' ? 4 : dict[0] == '2' ? 5 : 6);
      ASSERT_EQ(Run({"explode", Path("packed.bin"), Path("back.bin")}), 0) << err_.str();
      EXPECT_EQ(ReadWholeFile(Path("back.bin")), ReadWholeFile(Path("saver.scr")));
    }
  }
  Write("broken.bin", std::string("\x00\x06\xff", 3));
  EXPECT_EQ(Run({"explode", Path("broken.bin"), Path("never.bin")}), 1);
  EXPECT_FALSE(fs::exists(Path("never.bin")));
}

TEST_F(Sspack, BadInputGetsAMessageAnExitCodeAndNoOutput) {
  struct Case {
    const char* what;
    std::function<void(Sspack&, std::vector<std::string>&)> change;
    const char* message;
  };
  const std::string longName(256, 'n');
  for (const Case& c : std::vector<Case>{
           {"missing file",
            [](Sspack&s, auto&a) {
              a.insert(a.end(), {"--licence", s.Path("nope.txt")});
            },
            "cannot read"},
           {"name over 255 bytes",
            [&](Sspack&, auto&a) {
              a.insert(a.end(), {"--slot-name", "7=" + longName});
            },
            "at most 255"},
           {"name not in CP932",
            [](Sspack&, auto&a) {
              a.insert(a.end(), {"--slot-name", "7=smile\xF0\x9F\x98\x80.dat"});
            },
            "code page 932"},
           {"name with a folder",
            [](Sspack&, auto&a) {
              a.insert(a.end(), {"--slot-name", "7=..\\evil.dll"});
            },
            "not a plain file name"},
           {"package name over 64 bytes", [](Sspack&, auto&a) { a[6] = std::string(65, 'x'); },
            "at most 64"},
           {"stub without locator", [](Sspack&s, auto&) { s.Write("installer.exe", "MZ plain"); },
            "exactly once"},
           {"stub with two locators",
            [](Sspack&s, auto&) { s.Write("installer.exe", StubBytes(2)); }, "exactly once"},
           {"stub already built",
            [](Sspack&s, auto&) { s.Write("installer.exe", StubBytes(1, 4096)); },
            "already carries"},
           {"empty payload", [](Sspack&s, auto&) { s.Write("data.dat", ""); }, "is empty"},
       }) {
    SetUp();
    auto args = BuildArgs();
    c.change(*this, args);
    EXPECT_EQ(Run(args), 1) << c.what;
    EXPECT_NE(err_.str().find(c.message), std::string::npos) << c.what << ": " << err_.str();
    EXPECT_FALSE(fs::exists(Path("out.exe"))) << c.what;
    EXPECT_FALSE(fs::exists(Path("out.exe.partial"))) << c.what;
  }
}

TEST_F(Sspack, UsageErrors) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"frobnicate"},
                                             {"build", "--stub", "x"},
                                             {"build", "--bogus"},
                                             {"build", "--slot", "11=x"},
                                             {"build", "--show-licence", "yes"},
                                             {"implode", "--dict", "3000", "a", "b"}}) {
    EXPECT_EQ(Run(args), 2);
    EXPECT_NE(err_.str().find("usage:"), std::string::npos);
  }
}

TEST(PlanTable, OffsetsThatWouldPass32BitsAreRefused) {
  std::array<SlotPayload, pkg::kSlotCount> slots;
  slots[7] = {"data.dat", pkg::kKindDataFile, std::string(16, 'd'), false, 16};
  const int64_t max = std::numeric_limits<int32_t>::max();
  EXPECT_NO_THROW(PlanTable(max - static_cast<int64_t>(pkg::kTableSize) - 16, {}, slots, "stub"));
  EXPECT_THROW(PlanTable(max - static_cast<int64_t>(pkg::kTableSize) - 15, {}, slots, "stub"),
               BuildError);
  EXPECT_THROW(PlanTable(max + 1, {}, slots, "stub"), BuildError);
}

}  // namespace
}  // namespace sspack
