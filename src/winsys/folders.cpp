// Computing and creating the folders of one run.
#include "winsys/folders.h"

#include "core/cp932.h"
#include "core/error_codes.h"
#include "core/safe_name.h"
#include "platform/io_error.h"
#include "res/strings.h"

namespace ssi {

namespace {
constexpr int kMaxTempSuffix = 49;
constexpr int32_t kEnvVarNotFound = 203;  // the system's ERROR_ENVVAR_NOT_FOUND
const char kWorkFolderName[] = "ZPX";
const char kWorkCopyName[] = "temp.dat";
const char kDefaultDataName[] = "ZPX";
}  // namespace

void ComputeSystemFolders(InstallerContext& ctx) {
  ctx.WindowsFolder = cp932::WithTrailingBackslash(ctx.env().WindowsDirectory());
  ctx.SystemFolder = cp932::WithTrailingBackslash(ctx.env().SystemDirectory());
}

TempSubFolder CreateTempSubFolder(Platform& platform, const std::string& name) {
  std::string temp = platform.env.GetVariable("TEMP").value_or("");
  if (temp.empty()) return {kEnvVarNotFound, ""};
  const std::string base = cp932::WithTrailingBackslash(temp) + name;

  std::string candidate = base;
  for (int suffix = 1; platform.files.FolderExists(candidate); ++suffix) {
    if (suffix > kMaxTempSuffix) return {syserr::kAlreadyExists, base};
    candidate = base + std::to_string(suffix);
  }
  // A file of that name blocks the folder too; the creation then fails and is reported.
  if (!platform.files.CreateFolder(candidate)) {
    int32_t code = static_cast<int32_t>(platform.files.LastError());
    return {code != 0 ? code : syserr::kAlreadyExists, candidate};
  }
  return {0, cp932::WithTrailingBackslash(candidate)};
}

TempSubFolder ComputeInstallerPaths(InstallerContext& ctx) {
  ctx.ExePath = ctx.env().ModulePath();
  TempSubFolder work = CreateTempSubFolder(ctx.platform, kWorkFolderName);
  // Only a folder made by this run may hold the working copy: closing deletes it whole.
  ctx.WorkCopyPath = work.code == 0 ? work.folder + kWorkCopyName : std::string();
  return work;
}

int32_t ComputeDataFolder(InstallerContext& ctx) {
  ctx.PackageName = cp932::LeftChars(ctx.PackageTable.Header.NameText(), pkg::kHeaderNameSize);
  const std::string folderName =
      ctx.PackageName.empty() ? std::string(kDefaultDataName) : ctx.PackageName;
  if (!IsSafeFileName(folderName + " dir")) {
    ctx.hooks.ReportError(err::kUnsafeEntryName, ctx.PackageName);
    return err::kUnsafeEntryName;
  }
  ctx.DataFolder = ctx.WindowsFolder + folderName + res::Str(res::kDataFolderSuffix);
  // An existing folder (an earlier installation) is simply used; writes report their own failures.
  ctx.files().CreateFolder(ctx.DataFolder);
  ctx.SettingsPath = ctx.DataFolder + ctx.PackageTable.Entries[pkg::kSlotSettings].Name;
  return 0;
}

std::string GetWinDirFolder(Platform& platform) {
  return cp932::WithTrailingBackslash(platform.env.GetVariable("WINDIR").value_or(""));
}

std::string WorkFolder(const InstallerContext& ctx) { return cp932::FolderPart(ctx.WorkCopyPath); }

}  // namespace ssi
