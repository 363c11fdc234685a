// Entry extraction: delete-before-write, stored and imploded payloads, size checks, clean-up.
#include "package/extract.h"

#include <new>
#include <vector>

#include "core/cp932.h"
#include "core/error_codes.h"
#include "core/safe_name.h"
#include "package/compressor.h"
#include "platform/io_error.h"
#include "res/strings.h"
#include "winsys/removal.h"

namespace ssi {

namespace {

const char kFlashSetupName[] = "flashax.exe";

bool IsScreenSaverPath(const std::string& path) {
  return cp932::ToAsciiLower(cp932::Extension(path)) == ".scr";
}

// Reads the entry's payload into block; -30 when the working copy holds fewer bytes.
int32_t ReadPayload(FileStream& stream, const pkg::TPackageEntry& entry,
                    std::vector<uint8_t>& block) {
  const int64_t size = entry.PayloadSize();
  // Checked before allocating: a hostile size must not ask for gigabytes the file does not hold.
  if (entry.StartOffset < 0 || int64_t{entry.StartOffset} + size > stream.Size())
    return err::kShortPayload;
  block.resize(static_cast<size_t>(size));
  stream.Seek(entry.StartOffset);
  return stream.Read(block.data(), static_cast<uint32_t>(size)) == static_cast<uint32_t>(size)
             ? 0
             : err::kShortPayload;
}

int32_t WriteStoredEntry(InstallerContext& ctx, FileStream& stream, const pkg::TPackageEntry& entry,
                         const std::string& destination, bool& created) {
  std::vector<uint8_t> block;
  if (int32_t result = ReadPayload(stream, entry, block); result != 0) return result;
  created = true;
  auto out = ctx.files().Create(destination);
  uint32_t written = out->Write(block.data(), static_cast<uint32_t>(block.size()));
  out->Close();
  return written == block.size() ? 0 : err::kShortPayload;
}

int32_t ExplodeImplodedEntry(InstallerContext& ctx, FileStream& stream,
                             const pkg::TPackageEntry& entry, const std::string& destination,
                             bool& created) {
  std::vector<uint8_t> block;
  {
    TCompressor compressor(ctx.platform, ctx.hooks);
    if (!compressor.Loaded()) return err::kNoDecompressor;
    if (int32_t result = ReadPayload(stream, entry, block); result != 0) return result;
    compressor.DecompressToFile(destination, block.data(), static_cast<uint32_t>(block.size()),
                                entry.UnpackedSize);
  }
  int64_t size = ctx.files().FileSize(destination);
  if (size < 0) return err::kNoOutputFile;
  created = true;
  return size == entry.UnpackedSize ? 0 : err::kSizeMismatch;
}

}  // namespace

std::string EntryDestination(const InstallerContext& ctx, const pkg::TPackageEntry& entry) {
  if (!IsSafeFileName(entry.Name)) return {};
  std::string folder;
  std::string name = entry.Name;
  switch (entry.Kind) {
    case pkg::kKindData:
    case pkg::kKindSettings:
    case pkg::kKindDataFile:
    case pkg::kKindImage:
      folder = ctx.DataFolder;
      break;
    case pkg::kKindWindows:
      folder = ctx.WindowsFolder;
      break;
    case pkg::kKindWindowsLibrary:
      folder = ctx.WindowsFolder;
      if (name != kFlashSetupName) name = cp932::ChangeExtension(name, ".dll");
      break;
    default:
      return {};
  }
  // A folder not yet computed would make the path relative to wherever the process stands.
  if (folder.empty()) return {};
  return folder + name;
}

int32_t DeleteWithRetry(InstallerContext& ctx, const std::string& path, bool report, int attempts) {
  FileSystem& files = ctx.files();
  int32_t result = err::kFolderNotRemoved;
  for (; attempts > 0 && result != 0; --attempts) {
    if (!files.FileExists(path) || files.DeleteFile(path)) {
      result = 0;
    } else {
      files.SetAttributes(path, attr::kNormal);
      if (files.DeleteFile(path)) {
        result = 0;
      } else {
        result = IsScreenSaverPath(path) ? err::kSaverBusy : err::kCannotDelete;
      }
    }
  }
  if (result != 0 && report) ctx.hooks.ReportError(result, path);
  return result;
}

int32_t ExtractEntry(InstallerContext& ctx, FileStream& stream, int slot, bool showProgress) {
  if (showProgress) ctx.hooks.ShowStatus(res::Str(res::kWritingSaverFile));
  const pkg::TPackageEntry entry = ctx.PackageTable.Entries.at(static_cast<size_t>(slot));

  int32_t result = 0;
  std::string destination;
  bool clearedWithRetry = false;
  bool created = false;
  bool ioFailure = false;
  try {
    if (entry.Name.empty()) {
      result = err::kEmptySlot;
    } else if (destination = EntryDestination(ctx, entry); destination.empty()) {
      // Reported with the stored name: there is no path to name.
      ctx.hooks.ReportError(err::kUnsafeEntryName, entry.Name);
      return err::kUnsafeEntryName;
    } else {
      if (showProgress) ctx.hooks.StepProgress();
      if (cp932::Extension(destination) == ".dll") {
        result = ForceDeleteFile(ctx.platform, destination, false);
      } else {
        clearedWithRetry = true;
        result = DeleteWithRetry(ctx, destination, true, kDeleteAttempts);
      }
      if (result == 0 && entry.PayloadSize() <= 0) result = err::kBadBlockSize;
      if (result == 0) {
        result = entry.Imploded != 0
                     ? ExplodeImplodedEntry(ctx, stream, entry, destination, created)
                     : WriteStoredEntry(ctx, stream, entry, destination, created);
      }
    }
  } catch (const IoError& e) {
    result = e.number();
    ioFailure = true;
  }

  if (ioFailure) {
    ctx.hooks.ReportError(result, destination);
  } else if (result == err::kCannotDelete) {
    // The file already there stays and counts as installed.
    result = 0;
  } else if (result != 0 && result != err::kSaverBusy && !clearedWithRetry) {
    ctx.hooks.ReportError(result, destination);
  }
  if (result != 0 && created) ForceDeleteFile(ctx.platform, destination, false);
  return result;
}

namespace {

int32_t ExtractAtStartup(InstallerContext& ctx, int slot) {
  if (ctx.PackageTable.Entries[static_cast<size_t>(slot)].Name.empty()) return err::kEmptySlot;
  std::unique_ptr<FileStream> stream;
  try {
    stream = ctx.files().OpenRead(ctx.WorkCopyPath);
  } catch (const IoError& e) {
    ctx.hooks.ReportError(e.number(), ctx.DataFolder);
    return e.number();
  }
  return ExtractEntry(ctx, *stream, slot, false);
}

// Cuts a name to the 255 bytes an entry can hold, never inside a double-byte character.
std::string FitEntryName(std::string name) {
  while (name.size() > pkg::kEntryNameMax) name.erase(cp932::LastCharStart(name));
  return name;
}

}  // namespace

int32_t ExtractFlashSetup(InstallerContext& ctx) {
  return ExtractAtStartup(ctx, pkg::kSlotFlashSetup);
}
int32_t ExtractAfterInstallDocument(InstallerContext& ctx) {
  return ExtractAtStartup(ctx, pkg::kSlotDocument);
}
int32_t ExtractLicence(InstallerContext& ctx) { return ExtractAtStartup(ctx, pkg::kSlotLicence); }

int32_t ExtractSplash(InstallerContext& ctx) {
  std::string& name = ctx.PackageTable.Entries[pkg::kSlotSplash].Name;
  if (!name.empty()) {
    if (ctx.PackageTable.Header.SplashKind == pkg::kSplashBmp)
      name = FitEntryName(cp932::ChangeExtension(name, ".BMP"));
    if (ctx.PackageTable.Header.SplashKind == pkg::kSplashJpeg)
      name = FitEntryName(cp932::ChangeExtension(name, ".jpg"));
  }
  return ExtractAtStartup(ctx, pkg::kSlotSplash);
}

}  // namespace ssi
