// Error message texts.
#include "app/errors.h"

#include "core/error_codes.h"
#include "res/strings.h"

namespace ssi {

const char kErrorBoxCaption[] = "Error";
const char kInformationBoxCaption[] = "Information";
const char kAbortButton[] = "&Abort";

namespace {
const char kCrLf[] = "\r\n";
}

std::string ComposeErrorMessage(int32_t code, const std::string& path,
                                const std::string& systemText) {
  const std::string& prefix = res::Str(res::kInstallError);
  switch (code) {
    case err::kCannotDelete:
      return prefix + res::Str(res::kFileBusy) + path;
    case err::kSaverBusy:
      return prefix + res::Str(res::kSaverFileBusy);
    case err::kWorkCopyFailed:
      return prefix + path + kCrLf + kCrLf + res::Str(res::kInstallAgainAdvice);
    default:
      return prefix + systemText + kCrLf + kCrLf + res::Str(res::kFileProblem) + path + ". ";
  }
}

std::string ComposeSystemErrorMessage(const std::string& text, const std::string& systemText) {
  return text + kCrLf + kCrLf + systemText;
}

std::string ComposeSummaryMessage(int32_t code) {
  return res::Str(res::kInstallerCorrupt) + res::Str(res::kTavrinError) + std::to_string(code) +
         ". ";
}

}  // namespace ssi
