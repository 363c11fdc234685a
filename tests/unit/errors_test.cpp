// Error message texts, the system text trimming and the shape of the error box.
#include "app/errors.h"

#include <gtest/gtest.h>

#include "core/error_codes.h"
#include "core/system_text.h"
#include "platform/fake/fake_environment.h"
#include "res/strings.h"

namespace ssi {
namespace {

using res::Str;
const std::string kCrLf2 = "\r\n\r\n";

TEST(ErrorMessages, EachCodeHasItsOwnComposition) {
  struct Case {
    int32_t code;
    std::string path;
    std::string systemText;
    std::string expected;
  };
  const std::string path = "C:\\WINDOWS\\flashax.exe";
  for (const Case& c : std::vector<Case>{
           {-32, path, "", Str(res::kInstallError) + Str(res::kFileBusy) + path},
           {-38, path, "", Str(res::kInstallError) + Str(res::kSaverFileBusy)},  // no path
           {-523, path, "",
            Str(res::kInstallError) + path + kCrLf2 + Str(res::kInstallAgainAdvice)},
           {-31, path, "", Str(res::kInstallError) + kCrLf2 + Str(res::kFileProblem) + path + ". "},
           {-531, "", "", Str(res::kInstallError) + kCrLf2 + Str(res::kFileProblem) + ". "},
           {5, path, "Access is denied",
            Str(res::kInstallError) + "Access is denied" + kCrLf2 + Str(res::kFileProblem) + path +
                ". "},
       }) {
    EXPECT_EQ(ComposeErrorMessage(c.code, c.path, c.systemText), c.expected) << c.code;
  }
}

TEST(ErrorMessages, SummaryShowsTheCodeInDecimal) {
  EXPECT_EQ(ComposeSummaryMessage(-531),
            Str(res::kInstallerCorrupt) + Str(res::kTavrinError) + "-531. ");
  EXPECT_EQ(ComposeSummaryMessage(-402),
            Str(res::kInstallerCorrupt) + Str(res::kTavrinError) + "-402. ");
  EXPECT_EQ(ComposeSummaryMessage(112),
            Str(res::kInstallerCorrupt) + Str(res::kTavrinError) + "112. ");
}

TEST(ErrorMessages, TextsAreCodePage932) {
  // "インストーラが破損しています" begins with "イ" = 0x83 0x43 in CP932 (0xE3 0x82 0xA4 in UTF-8).
  EXPECT_EQ(Str(res::kInstallerCorrupt).substr(0, 2), "\x83\x43");
  EXPECT_EQ(Str(res::kTavrinError), "Tavrin\x83\x47\x83\x89\x81\x5B = ");
}

TEST(SystemErrorText, TrimsBlanksControlsAndFullStops) {
  fake::FakeEnvironment env;
  env.messages = {
      {5, "Access is denied.\r\n"}, {7, "Odd text. . \t\n"}, {8, "No trim needed"}, {9, "...\r\n"}};
  EXPECT_EQ(SystemErrorText(env, 5), "Access is denied");
  EXPECT_EQ(SystemErrorText(env, 7), "Odd text");
  EXPECT_EQ(SystemErrorText(env, 8), "No trim needed");
  EXPECT_EQ(SystemErrorText(env, 9), "");
  EXPECT_EQ(SystemErrorText(env, 1234), "");  // no text for the number
  EXPECT_EQ(SystemErrorText(env, -31), "");   // the installer's own codes have none
}

TEST(SystemErrorText, KeepsADoubleByteCharacterAtTheEnd) {
  fake::FakeEnvironment env;
  env.messages = {{5, "\x83\x5C\r\n"}};  // "ソ": its trail byte must not be taken for a control
  EXPECT_EQ(SystemErrorText(env, 5), "\x83\x5C");
}

}  // namespace
}  // namespace ssi
