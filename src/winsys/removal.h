// Removing files and whole folder trees, including read-only, hidden and system files.
#pragma once

#include <cstdint>
#include <string>

#include "core/installer_hooks.h"
#include "platform/platform.h"

namespace ssi {

// 0 when no file is left at path, -32 when it stays, or an I/O error number. With report on, a
// failure is shown with the system's text through hooks.
int32_t ForceDeleteFile(Platform& platform, const std::string& path, bool report,
                        InstallerHooks* hooks = nullptr);
// Deletes folder (ending in a backslash) with everything in it. 0 when the folder is gone or never
// existed, -1 for an empty path or a folder that cannot be removed, else the first file error.
int32_t DeleteFolderTree(Platform& platform, const std::string& folder);

}  // namespace ssi
