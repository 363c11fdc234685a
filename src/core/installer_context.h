// The process-wide state of one installer run: the package table, the folders and paths, and the
// two flags of the install sequence. The program entry makes one; each test makes a fresh one.
#pragma once

#include <cstdint>
#include <string>

#include "core/installer_hooks.h"
#include "package/package_layout.h"
#include "platform/platform.h"

namespace ssi {

struct InstallerContext {
  InstallerContext(Platform& platform, InstallerHooks& hooks, int32_t packageOffset)
      : platform(platform), hooks(hooks), PackageOffset(packageOffset) {}

  Platform& platform;
  InstallerHooks& hooks;

  // Where the package starts in the installer file, as the builder patched it (0: no package).
  int32_t PackageOffset;
  pkg::TPackageTable PackageTable;

  std::string WindowsFolder;
  std::string SystemFolder;
  std::string ExePath;
  std::string WorkCopyPath;  // empty when no working folder of our own could be made
  std::string PackageName;
  std::string DataFolder;
  std::string SettingsPath;

  bool Installing = false;
  bool Cancelled = false;

  FileSystem& files() { return platform.files; }
  Environment& env() { return platform.env; }
};

}  // namespace ssi
