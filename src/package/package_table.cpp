// Making the working copy and reading the package table.
#include "package/package_table.h"

#include "core/error_codes.h"
#include "package/extract.h"
#include "platform/io_error.h"

namespace ssi {

int32_t MakeWorkingCopy(InstallerContext& ctx) {
  int32_t result = DeleteWithRetry(ctx, ctx.WorkCopyPath, false, kDeleteAttempts);
  if (result == 0 && !ctx.files().CopyFile(ctx.ExePath, ctx.WorkCopyPath, false)) {
    result = static_cast<int32_t>(ctx.files().LastError());
  }
  if (result != 0) ctx.hooks.ReportError(err::kWorkCopyFailed, ctx.WorkCopyPath);
  return result;
}

int32_t ReadPackageTable(InstallerContext& ctx) {
  std::unique_ptr<FileStream> stream;
  try {
    stream = ctx.files().OpenRead(ctx.WorkCopyPath);
  } catch (const IoError& e) {
    ctx.hooks.ReportError(e.number(), ctx.WorkCopyPath);
    return e.number();
  }
  std::array<uint8_t, pkg::kTableSize> bytes{};
  uint32_t read = 0;
  // An unpatched stub (offset 0) would read its own header as a table: it carries no package.
  if (ctx.PackageOffset > 0) {
    try {
      stream->Seek(ctx.PackageOffset);
      read = stream->Read(bytes.data(), static_cast<uint32_t>(bytes.size()));
    } catch (const IoError&) {
      read = 0;
    }
  }
  ctx.PackageTable = pkg::ParseTable(bytes);
  if (read < pkg::kTableSize) {
    ctx.hooks.ReportError(err::kNoPackage, ctx.WorkCopyPath);
    return err::kNoPackage;
  }
  return ExtractEntry(ctx, *stream, pkg::kSlotLibrary, false);
}

}  // namespace ssi
