// CP932 path helpers: names whose second byte is 0x5C ("ソ", "表") or an ASCII letter must survive.
// This file is compiled with -fexec-charset=CP932, so its Japanese literals are CP932 bytes.
#include "core/cp932.h"

#include <gtest/gtest.h>

namespace ssi::cp932 {
namespace {

TEST(Cp932, LiteralsReallyHoldBackslashTrailBytes) {
  // Guards the premise of the suite: the compiler stored CP932, and the trail byte is '\'.
  ASSERT_EQ(std::string("ソフト"), std::string("\x83\x5C\x83\x74\x83\x67"));
  ASSERT_EQ(std::string("表示"), std::string("\x95\x5C\x8E\xA6"));
}

TEST(Cp932, TrailingBackslash) {
  struct Case {
    std::string in;
    std::string out;
  };
  for (const Case& c : std::vector<Case>{
           {"C:\\TEMP", "C:\\TEMP\\"},
           {"C:\\TEMP\\", "C:\\TEMP\\"},
           {"C:\\ソフト", "C:\\ソフト\\"},  // ends in a trail byte 0x5C: not a separator
           {"C:\\表", "C:\\表\\"},
           {"C:\\ソフト\\", "C:\\ソフト\\"},
           {"", "\\"},
       }) {
    EXPECT_EQ(WithTrailingBackslash(c.in), c.out) << c.in;
    EXPECT_TRUE(EndsWithBackslash(WithTrailingBackslash(c.in)));
  }
  EXPECT_FALSE(EndsWithBackslash("C:\\ソ"));
}

TEST(Cp932, PathParts) {
  struct Case {
    std::string path, folder, name, extension;
  };
  for (const Case& c : std::vector<Case>{
           {"C:\\WINDOWS\\saver.scr", "C:\\WINDOWS\\", "saver.scr", ".scr"},
           {"C:\\ソフト\\表示.txt", "C:\\ソフト\\", "表示.txt", ".txt"},
           {"C:\\A\\ソ", "C:\\A\\", "ソ", ""},  // must not split at the trail byte
           {"表示", "", "表示", ""},
           {"C:\\v1.0\\readme", "C:\\v1.0\\", "readme", ""},  // a dot in a folder is no extension
           {"C:file.dat", "C:", "file.dat", ".dat"},
           {"archive.tar.gz", "", "archive.tar.gz", ".gz"},
       }) {
    EXPECT_EQ(FolderPart(c.path), c.folder) << c.path;
    EXPECT_EQ(FileNamePart(c.path), c.name) << c.path;
    EXPECT_EQ(Extension(c.path), c.extension) << c.path;
  }
}

TEST(Cp932, ChangeExtension) {
  EXPECT_EQ(ChangeExtension("impborl.dat", ".dll"), "impborl.dll");
  EXPECT_EQ(ChangeExtension("impborl", ".dll"), "impborl.dll");
  EXPECT_EQ(ChangeExtension("C:\\ソフト", ".dll"), "C:\\ソフト.dll");
  EXPECT_EQ(ChangeExtension("C:\\v1.0\\ソフト", ".BMP"), "C:\\v1.0\\ソフト.BMP");
}

TEST(Cp932, CaseInsensitiveComparisonFoldsOnlyAsciiCharacters) {
  EXPECT_TRUE(EqualsIgnoreAsciiCase("Screen.SCR", "screen.scr"));
  EXPECT_TRUE(EqualsIgnoreAsciiCase("ソフト.SCR", "ソフト.scr"));
  EXPECT_FALSE(EqualsIgnoreAsciiCase("abc", "abcd"));
  // "ア" is 0x83 0x41: its trail byte is 'A'. A byte-wise fold would make it equal 0x83 0x61,
  // another character.
  EXPECT_FALSE(EqualsIgnoreAsciiCase("\x83\x41", "\x83\x61"));
  EXPECT_EQ(ToAsciiLower("ア.SCR"), "ア.scr");
  EXPECT_EQ(ToAsciiUpper("ア.scr"), "ア.SCR");
}

TEST(Cp932, CharacterCounting) {
  EXPECT_EQ(LeftChars("ソフトabc", 2), "ソフ");
  EXPECT_EQ(LeftChars("ab", 5), "ab");
  EXPECT_EQ(FindLastChar("表示.a.b", '.'), 6u);
  EXPECT_EQ(FindChar("表\\x", '\\'), 2u);  // skips the 0x5C inside "表"
}

}  // namespace
}  // namespace ssi::cp932
