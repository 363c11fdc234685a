// File and folder removal.
#include "winsys/removal.h"

#include "core/system_text.h"
#include "core/error_codes.h"

namespace ssi {

int32_t ForceDeleteFile(Platform& platform, const std::string& path, bool report,
                        InstallerHooks* hooks) {
  FileSystem& files = platform.files;
  int32_t result = 0;
  if (files.FileExists(path) && !files.DeleteFile(path)) {
    files.SetAttributes(path, attr::kNormal);
    if (!files.DeleteFile(path)) result = err::kCannotDelete;
  }
  if (result != 0 && report && hooks != nullptr)
    hooks->ErrorBox(SystemErrorText(platform.env, result));
  return result;
}

int32_t DeleteFolderTree(Platform& platform, const std::string& folder) {
  if (folder.empty()) return err::kFolderNotRemoved;
  FileSystem& files = platform.files;
  int32_t result = 0;
  for (const DirEntry& entry : files.Enumerate(folder + "*.*", attr::kAnyEntry)) {
    if (result != 0) break;
    if (entry.attributes & attr::kDirectory) {
      if (entry.name == "." || entry.name == "..") continue;
      const std::string sub = folder + entry.name + "\\";
      if (entry.attributes & attr::kReparsePoint) {
        // A junction or link: remove the link itself, never what it points to.
        files.RemoveFolder(sub);
      } else {
        DeleteFolderTree(platform, sub);
      }
    } else {
      result = ForceDeleteFile(platform, folder + entry.name, false);
    }
  }
  if (result != 0) return result;
  if (files.FolderExists(folder)) {
    files.SetAttributes(folder, attr::kNormal);
    if (!files.RemoveFolder(folder)) result = err::kFolderNotRemoved;
  }
  return result;
}

}  // namespace ssi
