// The numbered texts the installer shows. All are CP932 bytes; tests compare against this table.
#pragma once

#include <cstdint>
#include <string>

namespace ssi::res {

enum StringId : uint16_t {
  kInstallFailed = 65270,
  kOpenDisplayProperties = 65271,
  kWritingSaverFile = 65276,
  kUnzipError = 65277,
  kTavrinError = 65281,
  kCannotCloseFile = 65282,
  kSaverDataReadError = 65283,
  kSaverDataFileReadError = 65284,
  kSaverDataInUse = 65285,
  kInstallError = 65286,
  kInstallerCorrupt = 65287,
  kFileBusy = 65289,
  kSaverFileBusy = 65290,
  kInstallAgainAdvice = 65291,
  kFileProblem = 65292,
  kScreenSaverWord = 65293,
  kDataFolderSuffix = 65305,
  kInstallWithLicence = 65307,
  kCancel = 65308,
  kClose = 65309,
  kInstall = 65311,
};

// The window font, "ＭＳ ゴシック".
extern const char kWindowFontName[];

// The text of a string id; throws std::out_of_range for an id the table lacks.
const std::string& Str(StringId id);

}  // namespace ssi::res
