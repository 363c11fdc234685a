// The platform contract: what the installer's logic relies on from files, environment and
// toolkit. The same tests run on the in-memory backend and on the real one under Wine, so the
// fake cannot drift from what the system does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "backend.h"
#include "core/system_text.h"
#include "platform/io_error.h"
#include "winsys/removal.h"

namespace contract {
namespace {

namespace attr = ssi::attr;
namespace syserr = ssi::syserr;

class PlatformContract : public ::testing::Test {
 protected:
  void SetUp() override { backend_ = MakeBackend(); }

  ssi::Platform& platform() { return backend_->platform(); }
  ssi::FileSystem& files() { return backend_->platform().files; }
  std::string Path(const std::string& name) const { return backend_->scratch() + name; }

  void WriteFile(const std::string& path, const std::string& contents) {
    auto stream = files().Create(path);
    if (!contents.empty()) stream->Write(contents.data(), static_cast<uint32_t>(contents.size()));
    stream->Close();
  }

  std::string ReadFile(const std::string& path) {
    auto stream = files().OpenRead(path);
    std::string contents(static_cast<size_t>(stream->Size()), '\0');
    uint32_t read = contents.empty()
                        ? 0
                        : stream->Read(contents.data(), static_cast<uint32_t>(contents.size()));
    contents.resize(read);
    stream->Close();
    return contents;
  }

  // The entries of a folder by name, for lookups in assertions.
  std::vector<ssi::DirEntry> List(uint32_t mask) {
    auto entries = files().Enumerate(Path("*.*"), mask);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
  }

  std::unique_ptr<Backend> backend_;
};

std::vector<std::string> Names(const std::vector<ssi::DirEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  return names;
}

int32_t IoErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const ssi::IoError& e) {
    return e.number();
  }
  return 0;
}

// --- files -------------------------------------------------------------------------------------

TEST_F(PlatformContract, ExistenceAndSizeTellFilesFromFolders) {
  WriteFile(Path("file.bin"), "12345");
  ASSERT_TRUE(files().CreateFolder(Path("folder")));
  struct Case {
    std::string name;
    bool file;
    bool folder;
    int64_t size;
  };
  for (const Case& c : {Case{"file.bin", true, false, 5}, Case{"folder", false, true, -1},
                        Case{"folder\\", false, true, -1}, Case{"missing", false, false, -1}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(files().FileExists(Path(c.name)), c.file);
    EXPECT_EQ(files().FolderExists(Path(c.name)), c.folder);
    EXPECT_EQ(files().FileSize(Path(c.name)), c.size);
  }
  EXPECT_EQ(files().GetAttributes(Path("missing")), attr::kInvalid);
  EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kFileNotFound));
}

TEST_F(PlatformContract, ReadOnlyHiddenAndSystemFilesGoAfterTheAttributeReset) {
  struct Case {
    uint32_t attribute;
    bool firstDeleteFails;
  };
  for (const Case& c :
       {Case{attr::kReadOnly, true}, Case{attr::kHidden, false}, Case{attr::kSystem, false},
        Case{attr::kReadOnly | attr::kHidden | attr::kSystem, true}}) {
    SCOPED_TRACE(c.attribute);
    const std::string path = Path("guarded.txt");
    WriteFile(path, "x");
    ASSERT_TRUE(files().SetAttributes(path, c.attribute));
    EXPECT_EQ(files().GetAttributes(path) & (attr::kReadOnly | attr::kHidden | attr::kSystem),
              c.attribute);
    EXPECT_TRUE(files().FileExists(path));

    bool deleted = files().DeleteFile(path);
    EXPECT_EQ(deleted, !c.firstDeleteFails);
    if (!deleted) {
      EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kAccessDenied));
      EXPECT_TRUE(files().FileExists(path));
      ASSERT_TRUE(files().SetAttributes(path, attr::kNormal));
      EXPECT_EQ(files().GetAttributes(path) & (attr::kReadOnly | attr::kHidden | attr::kSystem),
                0u);
      EXPECT_TRUE(files().DeleteFile(path));
    }
    EXPECT_FALSE(files().FileExists(path));
  }
}

TEST_F(PlatformContract, AFileOpenForReadingCannotBeDeletedUntilClosed) {
  const std::string path = Path("held.dat");
  WriteFile(path, "contents");
  auto stream = files().OpenRead(path);
  EXPECT_FALSE(files().DeleteFile(path));
  EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kSharingViolation));
  EXPECT_TRUE(files().FileExists(path));
  // Another reader is fine: reading shares with readers.
  EXPECT_EQ(ReadFile(path), "contents");
  stream->Close();
  EXPECT_TRUE(files().DeleteFile(path));
  EXPECT_FALSE(files().FileExists(path));
}

TEST_F(PlatformContract, CreateReplacesAnExistingFile) {
  const std::string path = Path("replaced.txt");
  WriteFile(path, "a longer first version");
  WriteFile(path, "short");
  EXPECT_EQ(ReadFile(path), "short");
  EXPECT_EQ(files().FileSize(path), 5);
}

TEST_F(PlatformContract, StreamsReadSeekAndReportTheirSize) {
  const std::string path = Path("stream.bin");
  WriteFile(path, "0123456789");
  auto stream = files().OpenRead(path);
  EXPECT_EQ(stream->Size(), 10);
  stream->Seek(7);
  char buffer[8] = {};
  EXPECT_EQ(stream->Read(buffer, 8), 3u);  // fewer bytes only at the end
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(stream->Read(buffer, 8), 0u);
  stream->Seek(20);  // past the end is allowed; reading there gives nothing
  EXPECT_EQ(stream->Read(buffer, 8), 0u);
  EXPECT_EQ(IoErrorOf([&] { stream->Seek(-1); }), 131);
  EXPECT_EQ(IoErrorOf([&] { stream->Write("x", 1); }), syserr::kAccessDenied);
  stream->Close();
  EXPECT_EQ(IoErrorOf([&] { stream->Read(buffer, 1); }), 6);
}

TEST_F(PlatformContract, OpenAndCreateFailWithTheSystemsNumbers) {
  ASSERT_TRUE(files().CreateFolder(Path("folder")));
  WriteFile(Path("locked.txt"), "keep");
  ASSERT_TRUE(files().SetAttributes(Path("locked.txt"), attr::kReadOnly));
  struct Case {
    std::string what;
    std::function<void()> action;
    int32_t number;
  };
  const std::vector<Case> cases = {
      {"open a missing file", [&] { files().OpenRead(Path("missing.txt")); },
       syserr::kFileNotFound},
      {"open in a missing folder", [&] { files().OpenRead(Path("nowhere\\file.txt")); },
       syserr::kPathNotFound},
      {"open a folder", [&] { files().OpenRead(Path("folder")); }, syserr::kAccessDenied},
      {"create in a missing folder", [&] { files().Create(Path("nowhere\\file.txt")); },
       syserr::kPathNotFound},
      {"create over a read-only file", [&] { files().Create(Path("locked.txt")); },
       syserr::kAccessDenied},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(IoErrorOf(c.action), c.number);
  }
  files().SetAttributes(Path("locked.txt"), attr::kNormal);
  EXPECT_EQ(ReadFile(Path("locked.txt")), "keep");
}

TEST_F(PlatformContract, EnumerationListsEntriesWithAttributesFilteredByTheMask) {
  WriteFile(Path("plain.txt"), "p");
  WriteFile(Path("hidden.dat"), "h");
  ASSERT_TRUE(files().SetAttributes(Path("hidden.dat"), attr::kHidden));
  ASSERT_TRUE(files().CreateFolder(Path("sub")));

  auto all = List(attr::kAnyEntry);
  EXPECT_EQ(Names(all), (std::vector<std::string>{".", "..", "hidden.dat", "plain.txt", "sub"}));
  for (const auto& entry : all) {
    SCOPED_TRACE(entry.name);
    bool folder = entry.name == "." || entry.name == ".." || entry.name == "sub";
    EXPECT_EQ((entry.attributes & attr::kDirectory) != 0, folder);
    EXPECT_EQ((entry.attributes & attr::kHidden) != 0, entry.name == "hidden.dat");
  }

  struct Case {
    uint32_t mask;
    std::vector<std::string> names;
  };
  for (const Case& c :
       {Case{0, {"plain.txt"}}, Case{attr::kDirectory, {".", "..", "plain.txt", "sub"}},
        Case{attr::kHidden, {"hidden.dat", "plain.txt"}}}) {
    SCOPED_TRACE(c.mask);
    EXPECT_EQ(Names(List(c.mask)), c.names);
  }
  EXPECT_TRUE(files().Enumerate(Path("missing\\*.*"), attr::kAnyEntry).empty());
}

TEST_F(PlatformContract, CopyFileOverAnExistingFile) {
  WriteFile(Path("source.txt"), "new contents");
  struct Case {
    bool failIfExists;
    bool copied;
    std::string result;
  };
  for (const Case& c : {Case{true, false, "old"}, Case{false, true, "new contents"}}) {
    SCOPED_TRACE(c.failIfExists);
    WriteFile(Path("target.txt"), "old");
    EXPECT_EQ(files().CopyFile(Path("source.txt"), Path("target.txt"), c.failIfExists), c.copied);
    if (!c.copied) {
      EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kFileExists));
    }
    EXPECT_EQ(ReadFile(Path("target.txt")), c.result);
  }
  EXPECT_FALSE(files().CopyFile(Path("missing.txt"), Path("copy.txt"), false));
  EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kFileNotFound));
}

TEST_F(PlatformContract, FoldersAreMadeOneLevelAtATimeAndRemovedOnlyWhenEmpty) {
  EXPECT_FALSE(files().CreateFolder(Path("a\\b")));
  EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kPathNotFound));
  ASSERT_TRUE(files().CreateFolder(Path("a")));
  EXPECT_FALSE(files().CreateFolder(Path("a")));
  EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kAlreadyExists));
  WriteFile(Path("a\\inside.txt"), "i");

  EXPECT_FALSE(files().RemoveFolder(Path("a")));
  EXPECT_EQ(files().LastError(), static_cast<uint32_t>(syserr::kDirNotEmpty));
  EXPECT_TRUE(files().FileExists(Path("a\\inside.txt")));

  ASSERT_TRUE(files().DeleteFile(Path("a\\inside.txt")));
  EXPECT_TRUE(files().RemoveFolder(Path("a\\")));
  EXPECT_FALSE(files().FolderExists(Path("a")));
}

TEST_F(PlatformContract, ShortPathOfALongNameWithASpaceRefersToTheSameFile) {
  const std::string path = Path("Long File Name.text");
  WriteFile(path, "long");
  const std::string shortPath = files().ShortPath(path);
  ASSERT_FALSE(shortPath.empty());
  const size_t slash = shortPath.rfind('\\');
  ASSERT_NE(slash, std::string::npos);
  const std::string name = shortPath.substr(slash + 1);
  EXPECT_EQ(name.find(' '), std::string::npos) << name;
  const size_t dot = name.find('.');
  EXPECT_LE(dot == std::string::npos ? name.size() : dot, 8u) << name;
  EXPECT_LE(dot == std::string::npos ? 0 : name.size() - dot - 1, 3u) << name;
  EXPECT_TRUE(files().FileExists(shortPath));
  EXPECT_EQ(ReadFile(shortPath), "long");
  EXPECT_EQ(files().ShortPath(Path("missing file.text")), "");
}

TEST_F(PlatformContract, JapaneseNamesWithABackslashTrailByteWork) {
  // "表" is 0x95 0x5C in code page 932: its second byte is the backslash byte.
  const std::string folder = "ソフト表示";
  const std::string name = "表示.txt";
  ASSERT_NE(name.find('\x5C'), std::string::npos);
  ASSERT_TRUE(files().CreateFolder(Path(folder)));
  const std::string path = Path(folder + "\\" + name);
  WriteFile(path, "japanese");

  EXPECT_EQ(Names(List(attr::kDirectory)), (std::vector<std::string>{".", "..", folder}));
  auto inside = files().Enumerate(Path(folder + "\\*.*"), 0);
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0].name, name);
  EXPECT_TRUE(files().FileExists(path));
  EXPECT_EQ(ReadFile(path), "japanese");
  EXPECT_TRUE(files().DeleteFile(path));
  EXPECT_FALSE(files().FileExists(path));
  EXPECT_TRUE(files().RemoveFolder(Path(folder)));
}

TEST_F(PlatformContract, FolderTreeRemovalWorksThroughTheInterface) {
  // The installer's own removal, as closing and rollback use it, over a nested tree.
  ASSERT_TRUE(files().CreateFolder(Path("tree")));
  ASSERT_TRUE(files().CreateFolder(Path("tree\\inner")));
  WriteFile(Path("tree\\a.txt"), "a");
  WriteFile(Path("tree\\inner\\b.txt"), "b");
  ASSERT_TRUE(files().SetAttributes(Path("tree\\a.txt"), attr::kReadOnly | attr::kHidden));
  ASSERT_TRUE(files().SetAttributes(Path("tree\\inner\\b.txt"), attr::kSystem));
  WriteFile(Path("sibling.txt"), "stays");

  EXPECT_EQ(ssi::DeleteFolderTree(platform(), Path("tree\\")), 0);
  EXPECT_FALSE(files().FolderExists(Path("tree")));
  EXPECT_EQ(ReadFile(Path("sibling.txt")), "stays");
}

// --- environment -------------------------------------------------------------------------------

TEST_F(PlatformContract, TheSystemFoldersAndTempExist) {
  ssi::Environment& env = platform().env;
  const auto temp = env.GetVariable("TEMP");
  ASSERT_TRUE(temp.has_value());
  EXPECT_FALSE(temp->empty());
  EXPECT_TRUE(files().FolderExists(*temp));
  EXPECT_EQ(env.GetVariable("temp"), temp);  // names are not case-sensitive
  EXPECT_FALSE(env.GetVariable("SSI_NO_SUCH_VARIABLE").has_value());

  const std::string windows = env.WindowsDirectory();
  const std::string system = env.SystemDirectory();
  ASSERT_FALSE(windows.empty());
  EXPECT_NE(windows.back(), '\\');
  EXPECT_TRUE(files().FolderExists(windows));
  EXPECT_TRUE(files().FolderExists(system));
  // The system folder lies inside the Windows folder.
  ASSERT_GT(system.size(), windows.size());
  std::string head = system.substr(0, windows.size());
  EXPECT_TRUE(std::equal(head.begin(), head.end(), windows.begin(), windows.end(),
                         [](char a, char b) { return std::tolower(a) == std::tolower(b); }))
      << system << " / " << windows;
  EXPECT_EQ(system[windows.size()], '\\');

  const std::string module = env.ModulePath();
  ASSERT_GT(module.size(), 4u);
  EXPECT_EQ(module.find('\\') != std::string::npos, true);
}

TEST_F(PlatformContract, SystemMessagesExistAndTrimClean) {
  for (int32_t number : {syserr::kFileNotFound, syserr::kAccessDenied}) {
    SCOPED_TRACE(number);
    EXPECT_FALSE(platform().env.SystemMessage(static_cast<uint32_t>(number)).empty());
    const std::string text = ssi::SystemErrorText(platform().env, number);
    ASSERT_FALSE(text.empty());
    const char last = text.back();
    EXPECT_TRUE(last != '.' && last != ' ' && last != '\r' && last != '\n' && last != '\t') << text;
  }
  EXPECT_EQ(platform().env.SystemMessage(0x2FFFFFFF), "");
}

// --- toolkit -----------------------------------------------------------------------------------

TEST_F(PlatformContract, TitleCursorAndFormStateRoundTrip) {
  ssi::Toolkit& ui = platform().ui;
  ui.SetTitle("Install");
  EXPECT_EQ(ui.Title(), "Install");
  ui.SetCursor(ssi::Cursor::HourGlass);
  EXPECT_EQ(ui.CurrentCursor(), ssi::Cursor::HourGlass);
  ui.SetCursor(ssi::Cursor::Default);
  EXPECT_EQ(ui.CurrentCursor(), ssi::Cursor::Default);

  auto form = ui.CreateForm();
  const std::string caption = "インストールスクリーンセーバー: 表示";
  form->SetCaption(caption);
  EXPECT_EQ(form->Caption(), caption);
  form->SetFont({"ＭＳ ゴシック", 128, 9});
  form->SetBorder(ssi::BorderStyle::Single);
  EXPECT_FALSE(form->Visible());
  form->Show();
  EXPECT_TRUE(form->Visible());
}

TEST_F(PlatformContract, CloseAsksTheQueryHandlerThenRunsTheCloseHandler) {
  auto form = platform().ui.CreateForm();
  bool allow = false;
  int closes = 0;
  form->onCloseQuery = [&] { return allow; };
  form->onClose = [&] { ++closes; };
  form->Show();
  form->Close();
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(closes, 0);
  allow = true;
  form->Close();
  EXPECT_FALSE(form->Visible());
  EXPECT_EQ(closes, 1);
}

TEST_F(PlatformContract, AnExceptionInAHandlerReachesTheCaller) {
  auto form = platform().ui.CreateForm();
  form->onClose = [] { throw std::runtime_error("handler failed"); };
  form->Show();
  EXPECT_THROW(form->Close(), std::runtime_error);
}

TEST_F(PlatformContract, TimersFireWhileTheLoopWaitsAndStopWhenDisabled) {
  ssi::Toolkit& ui = platform().ui;
  int fired = 0;
  std::unique_ptr<ssi::Timer> timer;
  timer = ui.CreateTimer(20, [&] {
    ++fired;
    timer->SetEnabled(false);
  });
  EXPECT_FALSE(timer->Enabled());
  timer->SetEnabled(true);
  EXPECT_TRUE(timer->Enabled());
  for (int i = 0; i < 1000 && timer->Enabled(); ++i) ui.HandleMessage();
  EXPECT_EQ(fired, 1);
  EXPECT_FALSE(timer->Enabled());
}

TEST_F(PlatformContract, TerminateIsRemembered) {
  ssi::Toolkit& ui = platform().ui;
  EXPECT_FALSE(ui.Terminated());
  ui.Terminate();
  EXPECT_TRUE(ui.Terminated());
  ui.ProcessMessages();  // takes the quit request off this thread's queue
  EXPECT_TRUE(ui.Terminated());
}

TEST_F(PlatformContract, BoxesShowTheirTextsAndAnswerWithTheButtonIndex) {
  ssi::Toolkit& ui = platform().ui;
  const ssi::MessageBoxRequest request{"Error",
                                       "インストールエラー: \r\n\r\nファイルに問題あり表示. ",
                                       ssi::BoxIcon::Error,
                                       {"&Abort", "&Retry", "&Ignore"}};
  for (int answer : {0, 2, -1}) {
    SCOPED_TRACE(answer);
    backend_->AnswerNextBox(answer);
    EXPECT_EQ(ui.ShowBox(request), answer);
    SeenBox seen = backend_->LastBox();
    EXPECT_EQ(seen.caption, request.caption);
    EXPECT_EQ(seen.text, request.text);
    EXPECT_EQ(seen.buttons, request.buttons);
  }
}

}  // namespace
}  // namespace contract
