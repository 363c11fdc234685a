// TCompressor and the imploded branch of ExtractEntry, with the statically linked codec standing
// in for the library file on the fake disk.
#include "package/compressor.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/error_codes.h"
#include "dcl.h"
#include "package/extract.h"
#include "platform/io_error.h"
#include "res/strings.h"
#include "test_support.h"

namespace ssi {
namespace {

using test::ReportedError;
using Errors = std::vector<ReportedError>;

const char kLibraryPath[] = "C:\\WINDOWS\\impborl.dll";

// Failures after the destination was cleared are reported by ExtractEntry for ".dll" files only.
Errors ReportedForDllOnly(const std::string& name, const ReportedError& error) {
  return name.ends_with(".dll") ? Errors{error} : Errors{};
}

std::string Implode(const std::string& data) {
  struct Io {
    const std::string& in;
    size_t at;
    std::string out;
  } io{data, 0, {}};
  std::vector<char> work(DCL_IMPLODE_WORK_SIZE);
  unsigned type = DCL_BINARY;
  unsigned dict = 4096;
  auto read = [](char* buf, unsigned* size, void* param) -> unsigned {
    auto* s = static_cast<Io*>(param);
    unsigned n = static_cast<unsigned>(std::min<size_t>(*size, s->in.size() - s->at));
    std::copy_n(s->in.data() + s->at, n, buf);
    s->at += n;
    return n;
  };
  auto write = [](char* buf, unsigned* size, void* param) {
    static_cast<Io*>(param)->out.append(buf, *size);
  };
  EXPECT_EQ(dcl_implode(read, write, work.data(), &io, &type, &dict), DCL_OK);
  return io.out;
}

std::string Sample(size_t size) {
  std::string text;
  for (size_t i = 0; text.size() < size; ++i)
    text += "line " + std::to_string(i % 97) + " of the screen saver\r\n";
  return text.substr(0, size);
}

struct Imploded : test::Fixture {
  explicit Imploded(const std::string& original, const std::string& name = "saver.scr",
                    int32_t kind = pkg::kKindWindows, bool withLibrary = true) {
    packed = Implode(original);
    image = test::BuildImage(
        {}, {{6, {name, packed, kind, true, static_cast<int32_t>(original.size())}},
             {7, {"data.dat", Implode("data"), pkg::kKindDataFile, true, 4}}});
    fake.files.AddFile(ctx.WorkCopyPath, image.bytes);
    ctx.PackageTable = image.table;
    if (withLibrary) fake.files.AddFile(kLibraryPath, "MZ library");
  }
  int32_t Extract(int slot) {
    auto stream = fake.files.OpenRead(ctx.WorkCopyPath);
    return ExtractEntry(ctx, *stream, slot, false);
  }
  std::string packed;
  test::PackageImage image;
};

TEST(ImplodedEntry, ExplodesToExactlyItsUnpackedSize) {
  const std::string original = Sample(20000);
  Imploded f(original);
  ASSERT_EQ(f.packed.substr(0, 2), std::string("\0\x06", 2));
  EXPECT_EQ(f.Extract(6), 0);
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\saver.scr"), original);
  EXPECT_TRUE(f.hooks.errors.empty());
}

TEST(ImplodedEntry, EachPayloadLoadsAndUnloadsTheLibrary) {
  Imploded f(Sample(100));
  ASSERT_EQ(f.Extract(6), 0);
  ASSERT_EQ(f.Extract(7), 0);
  EXPECT_EQ(f.fake.libs.loads, 2);
  EXPECT_EQ(f.fake.libs.unloads, 2);
  EXPECT_EQ(f.fake.files.Contents("C:\\WINDOWS\\Demo dir\\data.dat"), "data");
}

TEST(ImplodedEntry, NoUsableLibraryGivesMinus35AfterTheOldFileIsGone) {
  struct Case {
    const char* what;
    std::function<void(Imploded&)> breakIt;
  };
  for (const Case& c : std::vector<Case>{
           {"no file", [](Imploded& f) { f.fake.files.DeleteFile(kLibraryPath); }},
           {"cannot load", [](Imploded& f) { f.fake.libs.failLoading = true; }},
           {"no _explode", [](Imploded& f) { f.fake.libs.missingExports = {"_explode"}; }},
           {"no _implode", [](Imploded& f) { f.fake.libs.missingExports = {"_implode"}; }},
           {"no _crc32", [](Imploded& f) { f.fake.libs.missingExports = {"_crc32"}; }},
       }) {
    for (const char* name : {"saver.scr", "lib.dll"}) {
      Imploded f(Sample(100), name, pkg::kKindWindows);
      c.breakIt(f);
      const std::string destination = std::string("C:\\WINDOWS\\") + name;
      f.fake.files.AddFile(destination, "old");
      EXPECT_EQ(f.Extract(6), err::kNoDecompressor) << c.what;
      EXPECT_FALSE(f.fake.files.FileExists(destination)) << c.what;
      EXPECT_EQ(f.fake.libs.loaded(), 0)
          << c.what << ": a library without all exports is unloaded at once";
      EXPECT_EQ(f.hooks.errors, ReportedForDllOnly(name, {err::kNoDecompressor, destination}))
          << c.what;
    }
  }
}

TEST(ImplodedEntry, LibraryIsLookedUpInTheSystemsWindowsDirectory) {
  Imploded f(Sample(100));
  f.fake.env.windowsDirectory =
      "C:\\WINDOWS\\";  // an answer ending in a backslash gets no second one
  EXPECT_EQ(f.Extract(6), 0);
  f.fake.env.windowsDirectory = "C:\\OTHER";
  EXPECT_EQ(f.Extract(6), err::kNoDecompressor);
}

TEST(ImplodedEntry, ShortPayloadGivesMinus30) {
  Imploded f(Sample(5000));
  f.ctx.PackageTable.Entries[7].EndOffset += 1000;  // the last payload now runs past the file's end
  EXPECT_EQ(f.Extract(7), err::kShortPayload);
  EXPECT_FALSE(f.fake.files.FileExists("C:\\WINDOWS\\Demo dir\\data.dat"));
}

TEST(ImplodedEntry, WrongSizeGivesMinus13AndTheFileIsDeletedAgain) {
  for (int32_t recorded : {0, 99, 101, -1}) {
    for (const char* name : {"saver.scr", "lib.dll"}) {
      Imploded f(Sample(100), name);
      f.ctx.PackageTable.Entries[6].UnpackedSize = recorded;
      const std::string destination = std::string("C:\\WINDOWS\\") + name;
      EXPECT_EQ(f.Extract(6), err::kSizeMismatch) << recorded;
      EXPECT_FALSE(f.fake.files.FileExists(destination)) << recorded;
      EXPECT_EQ(f.hooks.errors, ReportedForDllOnly(name, {err::kSizeMismatch, destination}));
    }
  }
}

TEST(ImplodedEntry, CorruptDataIsCutOffJustPastTheRecordedSize) {
  // A stream that explodes to a megabyte while the table promises 10 bytes must not fill the disk.
  const std::string big(1 << 20, 'z');
  Imploded f(big);
  f.ctx.PackageTable.Entries[6].UnpackedSize = 10;
  f.fake.files.SetCapacity(static_cast<int64_t>(f.image.bytes.size()) + 1000);
  EXPECT_EQ(f.Extract(6), err::kSizeMismatch);
  EXPECT_FALSE(f.fake.files.FileExists("C:\\WINDOWS\\saver.scr"));

  TCompressor compressor(f.fake.platform, f.hooks);
  ASSERT_TRUE(compressor.Loaded());
  EXPECT_EQ(compressor.DecompressToFile("C:\\WINDOWS\\capped.bin",
                                        reinterpret_cast<const uint8_t*>(f.packed.data()),
                                        static_cast<uint32_t>(f.packed.size()), 10),
            0);
  EXPECT_EQ(f.fake.files.FileSize("C:\\WINDOWS\\capped.bin"), 11);
}

TEST(ImplodedEntry, GarbageGivesMinus13NotACrash) {
  Imploded f(Sample(100));
  std::string garbage = f.image.bytes;
  const pkg::TPackageEntry& e = f.ctx.PackageTable.Entries[6];
  for (int32_t i = e.StartOffset + 2; i <= e.EndOffset; ++i)
    garbage[static_cast<size_t>(i)] = static_cast<char>(i * 37);
  f.fake.files.DeleteFile(f.ctx.WorkCopyPath);
  f.fake.files.AddFile(f.ctx.WorkCopyPath, garbage);
  EXPECT_EQ(f.Extract(6), err::kSizeMismatch);
  EXPECT_FALSE(f.fake.files.FileExists("C:\\WINDOWS\\saver.scr"));
}

TEST(ImplodedEntry, UncreatableOutputShowsTheUnzipErrorThenMinus16) {
  for (const char* name : {"data.bin", "lib.dll"}) {
    Imploded f(Sample(100), name, pkg::kKindDataFile);
    f.fake.files.RemoveFolder("C:\\WINDOWS\\Demo dir");
    const std::string destination = std::string("C:\\WINDOWS\\Demo dir\\") + name;
    EXPECT_EQ(f.Extract(6), err::kNoOutputFile);
    EXPECT_EQ(f.hooks.systemErrors, (Errors{{syserr::kPathNotFound, res::Str(res::kUnzipError)}}));
    EXPECT_EQ(f.hooks.errors, ReportedForDllOnly(name, {err::kNoOutputFile, destination}));
  }
}

}  // namespace
}  // namespace ssi
