// Files and folders through the wide Win32 API. Paths arrive as CP932 and are converted at this
// edge; the stream routines throw IoError with the system's error number.
#pragma once

#include <cstdint>

#include "platform/file_system.h"

namespace ssi::win32 {

class Win32FileSystem : public FileSystem {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  int64_t FileSize(const std::string& path) override;
  std::unique_ptr<FileStream> OpenRead(const std::string& path) override;
  std::unique_ptr<FileStream> Create(const std::string& path) override;
  bool DeleteFile(const std::string& path) override;
  uint32_t GetAttributes(const std::string& path) override;
  bool SetAttributes(const std::string& path, uint32_t attributes) override;
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
  bool CreateFolder(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  std::vector<DirEntry> Enumerate(const std::string& pattern, uint32_t mask) override;
  std::string ShortPath(const std::string& path) override;
  uint32_t LastError() override { return lastError_; }

 private:
  // Records the calling thread's last error and reports the call's outcome.
  bool Outcome(bool succeeded);

  uint32_t lastError_ = 0;
};

}  // namespace ssi::win32
