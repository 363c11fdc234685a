// Writing one package entry to its destination, and the extractions of start-up.
#pragma once

#include <cstdint>
#include <string>

#include "core/installer_context.h"

namespace ssi {

constexpr int kDeleteAttempts = 5000;

// Writes the slot's file to its destination folder (stored or imploded) after deleting the file
// already there. Reports its own failures; returns 0 or an error code. The caller owns stream.
int32_t ExtractEntry(InstallerContext& ctx, FileStream& stream, int slot, bool showProgress);

// Deletes path, clearing its attributes when needed, up to attempts times. 0 when no file is
// left, -38 for a ".scr" file that stays, -32 for any other, or an I/O error number.
int32_t DeleteWithRetry(InstallerContext& ctx, const std::string& path, bool report, int attempts);

// The destination of an entry: empty when its name or kind gives no safe place for it.
std::string EntryDestination(const InstallerContext& ctx, const pkg::TPackageEntry& entry);

int32_t ExtractFlashSetup(InstallerContext& ctx);
int32_t ExtractAfterInstallDocument(InstallerContext& ctx);
int32_t ExtractLicence(InstallerContext& ctx);
// Gives slot 3 the extension its splash kind calls for (".BMP", ".jpg"), then extracts it.
int32_t ExtractSplash(InstallerContext& ctx);

}  // namespace ssi
