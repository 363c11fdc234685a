#include "core/safe_name.h"

#include <gtest/gtest.h>

namespace ssi {
namespace {

TEST(SafeName, AcceptsPlainNamesIncludingBackslashTrailBytes) {
  for (const char* name : {"saver.scr", "impborl.dat", "ソフト.scr", "表示", "a b.txt", "x..y",
                           ".hidden", "console.txt"}) {
    EXPECT_TRUE(IsSafeFileName(name)) << name;
  }
}

TEST(SafeName, RefusesNamesThatLeaveTheFolderOrNameADevice) {
  for (const char* name : {"",         ".",      "..",       "..\\evil.dll",  "a\\b",
                           "a/b",      "C:evil", "C:\\evil", "\\\\server\\x", "a:b",
                           "trail.",   "trail ", "NUL",      "nul.txt",       "CON",
                           "com1.dat", "LPT9",   "a*b",      "a?b",           "a\"b",
                           "a<b",      "a>b",    "a|b",      "tab\there"}) {
    EXPECT_FALSE(IsSafeFileName(name)) << name;
  }
}

}  // namespace
}  // namespace ssi
