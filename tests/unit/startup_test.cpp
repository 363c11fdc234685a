// The start-up sequence run by creating the installer window, on the fake backend.
#include <gtest/gtest.h>

#include "app/errors.h"
#include "app/fInstall.h"
#include "core/error_codes.h"
#include "platform/io_error.h"
#include "core/system_text.h"
#include "platform/fake/fake_platform.h"
#include "res/strings.h"
#include "test_support.h"

namespace ssi {
namespace {

const char kExe[] = "C:\\Downloads\\setup.exe";
const char kWorkCopy[] = "C:\\TEMP\\ZPX\\temp.dat";

struct Startup {
  fake::FakePlatform fake;
  test::PackageImage image;

  using Slots = std::vector<std::pair<int, test::PayloadSpec>>;

  // An installer file at kExe carrying a package with header and slots, or, without a
  // package, only its stub.
  Startup(const pkg::TPackageHeader& header, const Slots& slots, bool withPackage = true) {
    image = test::BuildImage(header, slots);
    if (!withPackage) image.bytes.resize(static_cast<size_t>(image.offset));
    fake.files.AddFile(kExe, image.bytes);
  }
  // The usual package: "Aquarium", a Flash splash kind, the library and the Flash set-up.
  explicit Startup(bool withPackage = true)
      : Startup(AquariumHeader(),
                {{1, kLibrary}, {2, {"flashax.exe", "setup", pkg::kKindWindowsLibrary}}},
                withPackage) {}

  static pkg::TPackageHeader AquariumHeader() {
    pkg::TPackageHeader header;
    header.SplashKind = pkg::kSplashFlash;
    header.SetName("Aquarium");
    return header;
  }
  static inline const test::PayloadSpec kLibrary{"impborl.dat", "library",
                                                 pkg::kKindWindowsLibrary};

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : fake.ui.boxes) texts.push_back(box.text);
    return texts;
  }
  std::string Reported(int32_t code, const std::string& path) {
    return ComposeErrorMessage(code, path, SystemErrorText(fake.env, code));
  }
};

TEST(Startup, AFileWithoutAPackageShowsTheMinus31ReportThenTheSummaryAndCloses) {
  Startup s(false);
  s.fake.ui.SetCursor(Cursor::Default);
  TInstallerForm window(s.fake.platform, s.image.offset);
  EXPECT_EQ(window.startupCode(), err::kNoPackage);
  EXPECT_EQ(s.BoxTexts(), (std::vector<std::string>{s.Reported(err::kNoPackage, kWorkCopy),
                                                    ComposeSummaryMessage(-31)}));
  EXPECT_EQ(ComposeSummaryMessage(-31),
            res::Str(res::kInstallerCorrupt) + res::Str(res::kTavrinError) + "-31. ");
  EXPECT_TRUE(s.fake.ui.lastForm()->closed());
  EXPECT_TRUE(s.fake.ui.Terminated());
  EXPECT_FALSE(s.fake.files.FolderExists("C:\\TEMP\\ZPX"));  // closing removed the working folder
  EXPECT_EQ(s.fake.ui.CurrentCursor(), Cursor::Default);
}

TEST(Startup, EveryBoxIsTheErrorBoxWithTheSingleAbortButton) {
  Startup s(false);
  TInstallerForm window(s.fake.platform, s.image.offset);
  ASSERT_FALSE(s.fake.ui.boxes.empty());
  for (const MessageBoxRequest& box : s.fake.ui.boxes) {
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, BoxIcon::Error);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"&Abort"});
  }
}

TEST(Startup, UnpatchedStubIsAFileWithoutAPackage) {
  Startup s(true);
  TInstallerForm window(s.fake.platform, 0);
  EXPECT_EQ(window.startupCode(), err::kNoPackage);
  EXPECT_FALSE(s.fake.files.FileExists("C:\\WINDOWS\\impborl.dll"));
}

TEST(Startup, APackageIsCopiedReadAndItsLibraryWritten) {
  Startup s(true);
  TInstallerForm window(s.fake.platform, s.image.offset);
  EXPECT_EQ(window.startupCode(), 0);
  EXPECT_TRUE(s.fake.ui.boxes.empty());
  EXPECT_EQ(s.fake.files.Contents(kWorkCopy), s.image.bytes);
  EXPECT_EQ(s.fake.files.Contents("C:\\WINDOWS\\impborl.dll"), "library");
  EXPECT_TRUE(s.fake.files.FolderExists("C:\\WINDOWS\\Aquarium dir"));
  EXPECT_EQ(window.SplashKind, pkg::kSplashFlash);
  EXPECT_EQ(window.context().PackageName, "Aquarium");
  EXPECT_FALSE(s.fake.ui.lastForm()->closed());
  EXPECT_FALSE(s.fake.ui.Terminated());
}

TEST(Startup, WindowSettings) {
  Startup s(true);
  TInstallerForm window(s.fake.platform, s.image.offset);
  const fake::FakeForm& form = *s.fake.ui.lastForm();
  EXPECT_EQ(form.font().name, res::kWindowFontName);
  EXPECT_EQ(form.font().charset, 128);
  EXPECT_EQ(form.font().points, 9);
  EXPECT_EQ(form.border(), BorderStyle::Single);
}

TEST(Startup, AnOldWorkFolderMakesTheRunUseTheNextName) {
  Startup s(true);
  s.fake.files.AddFile("C:\\TEMP\\ZPX\\temp.dat", "left by an earlier run");
  TInstallerForm window(s.fake.platform, s.image.offset);
  EXPECT_EQ(window.context().WorkCopyPath, "C:\\TEMP\\ZPX1\\temp.dat");
  EXPECT_EQ(s.fake.files.Contents("C:\\TEMP\\ZPX\\temp.dat"), "left by an earlier run");
}

TEST(Startup, NoFreshWorkFolderEndsStartupAndDeletesNothing) {
  Startup s(true);
  s.fake.files.AddFile("C:\\TEMP\\ZPX\\precious.doc", "keep");
  for (int i = 1; i <= 49; ++i)
    s.fake.files.AddFile("C:\\TEMP\\ZPX" + std::to_string(i) + "\\precious.doc", "keep");
  s.fake.files.AddFile("C:\\TEMP\\other.doc", "keep");
  TInstallerForm window(s.fake.platform, s.image.offset);
  EXPECT_EQ(window.startupCode(), syserr::kAlreadyExists);
  EXPECT_EQ(s.BoxTexts(),
            (std::vector<std::string>{s.Reported(syserr::kAlreadyExists, "C:\\TEMP\\ZPX"),
                                      ComposeSummaryMessage(syserr::kAlreadyExists)}));
  EXPECT_TRUE(s.fake.ui.lastForm()->closed());
  EXPECT_EQ(s.fake.files.Contents("C:\\TEMP\\ZPX\\precious.doc"), "keep");
  EXPECT_EQ(s.fake.files.Contents("C:\\TEMP\\ZPX49\\precious.doc"), "keep");
  EXPECT_EQ(s.fake.files.Contents("C:\\TEMP\\other.doc"), "keep");
}

TEST(Startup, FailedWorkingCopyShows523ThenTheSummaryWithTheUnderlyingCode) {
  Startup s(true);
  s.fake.files.SetInUse(kExe, true);
  TInstallerForm window(s.fake.platform, s.image.offset);
  EXPECT_EQ(window.startupCode(), syserr::kSharingViolation);
  EXPECT_EQ(s.BoxTexts(),
            (std::vector<std::string>{s.Reported(err::kWorkCopyFailed, kWorkCopy),
                                      ComposeSummaryMessage(syserr::kSharingViolation)}));
}

TEST(Startup, PackageNameThatWouldLeaveTheWindowsFolderStopsStartup) {
  pkg::TPackageHeader header;
  header.SetName("..\\..\\x");
  Startup s(header, {{1, Startup::kLibrary}});
  TInstallerForm window(s.fake.platform, s.image.offset);
  EXPECT_EQ(window.startupCode(), err::kUnsafeEntryName);
  ASSERT_EQ(s.fake.ui.boxes.size(), 2u);
  EXPECT_EQ(s.fake.ui.boxes[1].text, ComposeSummaryMessage(err::kUnsafeEntryName));
  EXPECT_FALSE(s.fake.files.FolderExists("C:\\x dir"));
}

TEST(Startup, AfterInstallDocumentIsExtractedWhenTheHeaderAsksForIt) {
  for (bool wanted : {false, true}) {
    pkg::TPackageHeader header;
    header.HasAfterInstallDocument = wanted ? 1 : 0;
    Startup s(header, {{1, Startup::kLibrary}, {5, {"readme.txt", "read me"}}});
    TInstallerForm window(s.fake.platform, s.image.offset);
    EXPECT_EQ(window.startupCode(), 0);
    EXPECT_EQ(window.HasAfterInstallDocument, wanted ? 1 : 0);
    EXPECT_EQ(s.fake.files.FileExists("C:\\WINDOWS\\ZPX dir\\readme.txt"), wanted);
  }
}

TEST(Startup, AskingForAnAbsentDocumentEndsWithOnlyTheSummary) {
  pkg::TPackageHeader header;
  header.HasAfterInstallDocument = 1;
  Startup s(header, {{1, Startup::kLibrary}});
  TInstallerForm window(s.fake.platform, s.image.offset);
  EXPECT_EQ(window.startupCode(), err::kEmptySlot);
  ASSERT_EQ(s.fake.ui.boxes.size(), 1u);
  EXPECT_EQ(s.fake.ui.boxes[0].text,
            res::Str(res::kInstallerCorrupt) + res::Str(res::kTavrinError) + "-531. ");
}

TEST(Program, RunsTheLoopUntilTheWindowClosesAndCleansUp) {
  Startup s(true);
  s.fake.ui.Post(3000, [&] { s.fake.ui.lastForm()->Close(); });
  RunInstallerProgram(s.fake.platform, s.image.offset);
  EXPECT_EQ(s.fake.ui.Title(), "Install");
  EXPECT_TRUE(s.fake.ui.Terminated());
  EXPECT_TRUE(s.fake.ui.boxes.empty());
  EXPECT_FALSE(s.fake.files.FolderExists("C:\\TEMP\\ZPX"));
  EXPECT_EQ(s.fake.ui.now(), 3000u);
}

TEST(Program, EndsWithoutALoopAfterAFailedStartup) {
  Startup s(false);
  RunInstallerProgram(s.fake.platform, s.image.offset);
  EXPECT_EQ(s.fake.ui.boxes.size(), 2u);
  EXPECT_TRUE(s.fake.ui.Terminated());
}

TEST(Hooks, StepProgressPausesOneSecondAndSilentInstallsAreInert) {
  Startup s(true);
  TInstallerForm window(s.fake.platform, s.image.offset);
  window.ShowStatus("status");
  window.StepProgress();
  EXPECT_EQ(window.statusText(), "status");
  EXPECT_EQ(window.progressPosition(), 1);
  EXPECT_EQ(s.fake.ui.now(), 1000u);

  // Work posted during the pause runs inside it, as the window's buttons would.
  bool ranInside = false;
  s.fake.ui.Post(500, [&] { ranInside = true; });
  window.Pause();
  EXPECT_TRUE(ranInside);
  EXPECT_EQ(s.fake.ui.now(), 2000u);

  window.SplashKind = pkg::kSplashSilent;
  window.ShowStatus("ignored");
  window.StepProgress();
  EXPECT_EQ(window.statusText(), "status");
  EXPECT_EQ(window.progressPosition(), 1);
  EXPECT_EQ(s.fake.ui.now(), 2000u);
}

TEST(Hooks, InformationBoxHasItsCaptionIconAndTheAbortButton) {
  Startup s(true);
  TInstallerForm window(s.fake.platform, s.image.offset);
  window.InformationBox("note");
  ASSERT_EQ(s.fake.ui.boxes.size(), 1u);
  EXPECT_EQ(s.fake.ui.boxes[0].caption, "Information");
  EXPECT_EQ(s.fake.ui.boxes[0].icon, BoxIcon::Information);
  EXPECT_EQ(s.fake.ui.boxes[0].text, "note");
  EXPECT_EQ(s.fake.ui.boxes[0].buttons, std::vector<std::string>{"&Abort"});
}

TEST(FailureBox, CaptionIsTheApplicationTitleAndTheTextEndsInAFullStop) {
  fake::FakePlatform fake;
  fake.ui.SetTitle("Install");
  ShowFailureBox(fake.ui, "Cannot open file \"x\"");
  ShowFailureBox(fake.ui, "Out of memory.");
  ASSERT_EQ(fake.ui.boxes.size(), 2u);
  EXPECT_EQ(fake.ui.boxes[0].caption, "Install");
  EXPECT_EQ(fake.ui.boxes[0].text, "Cannot open file \"x\".");
  EXPECT_EQ(fake.ui.boxes[1].text, "Out of memory.");
  EXPECT_EQ(fake.ui.boxes[0].buttons, std::vector<std::string>{"OK"});
  EXPECT_EQ(fake.ui.boxes[0].icon, BoxIcon::Error);
}

}  // namespace
}  // namespace ssi
