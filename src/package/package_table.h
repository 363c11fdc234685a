// The working copy of the installer file and the package table read from it.
#pragma once

#include <cstdint>

#include "core/installer_context.h"

namespace ssi {

// Copies the running installer file to WorkCopyPath. Reports a failure with the -523 message and
// returns the underlying code.
int32_t MakeWorkingCopy(InstallerContext& ctx);
// Reads the table at PackageOffset from the working copy into PackageTable and extracts slot 1,
// the decompression library. -31 when the file holds no complete table there.
int32_t ReadPackageTable(InstallerContext& ctx);

}  // namespace ssi
