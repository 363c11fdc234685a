// The folders and paths of one run: Windows and system folders, the fresh working folder in TEMP
// with the working copy, and the screen saver's data folder under the Windows folder.
#pragma once

#include <cstdint>
#include <string>

#include "core/installer_context.h"

namespace ssi {

struct TempSubFolder {
  int32_t code = 0;    // 0 when a fresh folder was created
  std::string folder;  // with a trailing backslash on success
};

void ComputeSystemFolders(InstallerContext& ctx);
// Sets ExePath and, when a fresh working folder could be made, WorkCopyPath. Returns what
// CreateTempSubFolder gave; on failure WorkCopyPath stays empty so that closing deletes nothing.
TempSubFolder ComputeInstallerPaths(InstallerContext& ctx);
// Sets PackageName, DataFolder and SettingsPath and creates DataFolder. A package name that is not
// a plain folder name would place the data folder elsewhere: it is reported and refused.
int32_t ComputeDataFolder(InstallerContext& ctx);
// A sub-folder of TEMP that did not exist before: name, or name1 to name49.
TempSubFolder CreateTempSubFolder(Platform& platform, const std::string& name);
std::string GetWinDirFolder(Platform& platform);
// The working folder, taken from WorkCopyPath; empty when there is none.
std::string WorkFolder(const InstallerContext& ctx);

}  // namespace ssi
