// installer.exe under Wine, driven like a person would: the UI driver starts it, reads every box,
// presses its button and closes the window; the checks look at the boxes and the disk.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "app/errors.h"
#include "core/error_codes.h"
#include "codec.h"
#include "res/strings.h"
#include "wine_session.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Literals in this file are UTF-8, as Unix file names and sspack arguments are; CP932 bytes are
// written out in hex.

// A package laid out by hand, byte by byte, without sspack or the installer's layout code.
struct HandSlot {
  int slot;
  std::string name;  // CP932
  int32_t kind;
  std::string payload;
  bool imploded = false;
  int32_t unpackedSize = 0;
};

void PutLe32(std::string& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    out[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
}

std::string HandBuiltInstaller(std::string stub, const std::string& name, uint8_t documentFlag,
                               const std::vector<HandSlot>& slots) {
  const std::string locator = "SSPACK:OFFSET:01";
  size_t at = stub.find(locator);
  EXPECT_NE(at, std::string::npos);
  EXPECT_EQ(stub.find(locator, at + 1), std::string::npos) << "the locator must occur once";
  const uint32_t offset = static_cast<uint32_t>(stub.size());
  PutLe32(stub, at + locator.size(), offset);

  std::string table(3152, '\0');
  table[0] = 2;  // Flash splash kind; start-up stops before the splash matters
  table[2] = static_cast<char>(documentFlag);
  table.replace(5, name.size(), name);
  std::string payloads;
  uint32_t next = offset + 3152;
  for (int slot = 1; slot <= 10; ++slot) {
    size_t e = 72 + 280 * static_cast<size_t>(slot);
    PutLe32(table, e + 256, next);
    PutLe32(table, e + 260, next);
    for (const HandSlot& s : slots) {
      if (s.slot != slot) continue;
      table[e] = static_cast<char>(s.name.size());
      table.replace(e + 1, s.name.size(), s.name);
      PutLe32(table, e + 260, next + static_cast<uint32_t>(s.payload.size()) - 1);
      PutLe32(table, e + 264, static_cast<uint32_t>(s.kind));
      table[e + 268] = s.imploded ? 1 : 0;
      PutLe32(table, e + 272, s.imploded ? static_cast<uint32_t>(s.payload.size()) : 0);
      PutLe32(table, e + 276,
              static_cast<uint32_t>(s.imploded ? s.unpackedSize
                                               : static_cast<int32_t>(s.payload.size())));
      payloads += s.payload;
      next += static_cast<uint32_t>(s.payload.size());
    }
  }
  return stub + table + payloads;
}

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { session_ = new WineSession(); }
  static void TearDownTestSuite() {
    delete session_;
    session_ = nullptr;
  }
  void SetUp() override {
    // Each scenario starts with no working folders and no library from an earlier one.
    for (const auto& entry : fs::directory_iterator(session_->temp())) {
      if (entry.path().filename().string().starts_with("ZPX")) fs::remove_all(entry.path());
    }
    fs::remove(session_->windowsFolder() / "impborl.dll");
  }
  fs::path Stub() const { return session_->windowsBin() / "installer.exe"; }
  std::string WorkCopy() const {
    std::string temp;
    session_->Run("cmd /c echo %TEMP%", &temp);
    while (!temp.empty() && (temp.back() == '\n' || temp.back() == '\r')) temp.pop_back();
    return temp + "\\ZPX\\temp.dat";
  }
  static void ExpectErrorBoxes(const DriverReport& report, const std::vector<std::string>& texts) {
    ASSERT_EQ(report.boxes.size(), texts.size()) << report.raw;
    for (size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(report.boxes[i].caption, "Error") << report.raw;
      EXPECT_EQ(report.boxes[i].text, texts[i]) << report.raw;
      EXPECT_EQ(report.boxes[i].buttons, std::vector<std::string>{"&Abort"}) << report.raw;
    }
  }

  static WineSession* session_;
};

WineSession* Installer::session_ = nullptr;

TEST_F(Installer, WithoutAPackageShowsTheMinus31ReportAndTheSummaryThenCleansUp) {
  const fs::path plain = session_->scratch() / "plain" / "installer.exe";
  WriteFile(plain, ReadFile(Stub()));
  DriverReport report = session_->Drive(plain);
  ASSERT_TRUE(report.exited) << report.raw;
  ExpectErrorBoxes(report, {ssi::ComposeErrorMessage(ssi::err::kNoPackage, WorkCopy(), ""),
                            ssi::ComposeSummaryMessage(-31)});
  EXPECT_EQ(report.boxes[1].text, ssi::res::Str(ssi::res::kInstallerCorrupt) +
                                      ssi::res::Str(ssi::res::kTavrinError) + "-31. ");
  EXPECT_FALSE(fs::exists(session_->temp() / "ZPX")) << "closing removes the working folder";
}

TEST_F(Installer, SspackBuiltPackageIsCopiedReadAndItsLibraryWritten) {
  const fs::path dir = session_->scratch() / "sspack";
  WriteFile(dir / "flashax.exe", "flash set-up stand-in");
  WriteFile(dir / "installer.swf", "FWS\x06 splash stand-in");
  WriteFile(dir / "saver.scr", "MZ screen saver stand-in");
  const fs::path built = dir / "aquarium.exe";
  fs::remove(built);
  std::string command = std::string(SSPACK_PATH) + " build --stub '" + Stub().string() + "' -o '" +
                        built.string() + "' --name 'ソフト表示' --dcl '" +
                        (session_->windowsBin() / "impborl.dll").string() + "' --flash-setup '" +
                        (dir / "flashax.exe").string() + "' --splash '" +
                        (dir / "installer.swf").string() + "' --saver '" +
                        (dir / "saver.scr").string() + "' > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  const std::string installerBytes = ReadFile(built);

  // Watch for the working copy while the installer runs; closing removes it again.
  std::future<DriverReport> run =
      std::async(std::launch::async, [&] { return session_->Drive(built, 6); });
  bool sawWorkingCopy = false;
  const fs::path workCopy = session_->temp() / "ZPX" / "temp.dat";
  while (run.wait_for(200ms) != std::future_status::ready && !sawWorkingCopy) {
    std::error_code ec;
    sawWorkingCopy = fs::file_size(workCopy, ec) == installerBytes.size() &&
                     ReadFile(workCopy) == installerBytes;
  }
  DriverReport report = run.get();
  ASSERT_TRUE(report.exited) << report.raw;
  EXPECT_TRUE(sawWorkingCopy) << report.raw;
  EXPECT_TRUE(report.boxes.empty()) << report.raw;
  EXPECT_FALSE(report.mainWindows.empty()) << "start-up went on and showed the window\n"
                                           << report.raw;
  EXPECT_EQ(ReadFile(session_->windowsFolder() / "impborl.dll"),
            ReadFile(session_->windowsBin() / "impborl.dll"));
  EXPECT_TRUE(fs::is_directory(session_->windowsFolder() / "ソフト表示 dir"));
  EXPECT_FALSE(fs::exists(workCopy.parent_path()));
}

TEST_F(Installer, HandBuiltPackageExplodesAnImplodedEntryThroughTheLibrary) {
  std::string document;
  for (int i = 0; i < 400; ++i) document += "表示 line " + std::to_string(i) + "\r\n";
  const std::string documentName =
      "\x95\x5C\x8E\xA6.txt";  // "表示.txt": its second byte is a backslash
  const std::string packed = sspack::Implode(document, sspack::LiteralMode::Binary, 4096);
  const std::string library = ReadFile(session_->windowsBin() / "impborl.dll");
  const fs::path built = session_->scratch() / "hand" / "hand.exe";
  WriteFile(built, HandBuiltInstaller(ReadFile(Stub()), "Hand", 1,
                                      {{1, "impborl.dat", 3, library},
                                       {2, "flashax.exe", 3, "stand-in"},
                                       {5, documentName, 5, packed, true,
                                        static_cast<int32_t>(document.size())}}));
  fs::remove_all(session_->windowsFolder() / "Hand dir");
  DriverReport report = session_->Drive(built);
  ASSERT_TRUE(report.exited) << report.raw;
  EXPECT_TRUE(report.boxes.empty()) << report.raw;
  EXPECT_EQ(ReadFile(session_->windowsFolder() / "impborl.dll"), library);
  EXPECT_EQ(ReadFile(session_->windowsFolder() / "Hand dir" / "表示.txt"), document);
}

TEST_F(Installer, HostileEntryNameIsRefusedAndNothingLandsOutsideItsFolder) {
  const std::string library = ReadFile(session_->windowsBin() / "impborl.dll");
  const fs::path built = session_->scratch() / "hostile" / "hostile.exe";
  const std::string evil = "..\\..\\evil.txt";
  WriteFile(built, HandBuiltInstaller(ReadFile(Stub()), "Hostile", 1,
                                      {{1, "impborl.dat", 3, library}, {5, evil, 5, "owned"}}));
  const fs::path outside = session_->windowsFolder().parent_path() / "evil.txt";
  fs::remove(outside);
  DriverReport report = session_->Drive(built);
  ASSERT_TRUE(report.exited) << report.raw;
  ExpectErrorBoxes(report, {ssi::ComposeErrorMessage(ssi::err::kUnsafeEntryName, evil, ""),
                            ssi::ComposeSummaryMessage(ssi::err::kUnsafeEntryName)});
  EXPECT_FALSE(fs::exists(outside));
  EXPECT_FALSE(fs::exists(session_->windowsFolder() / "evil.txt"));
}

}  // namespace
}  // namespace e2e
