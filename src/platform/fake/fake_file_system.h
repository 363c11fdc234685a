// An in-memory disk that behaves like a Windows volume: case-insensitive paths, attributes,
// files held open or in use that refuse deletion, injected I/O errors and a limited capacity.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/file_system.h"

namespace ssi::fake {

class FakeFileSystem : public FileSystem {
 public:
  FakeFileSystem();

  // Test set-up. Paths are full ("C:\\dir\\file"); parent folders are made as needed.
  void AddFolder(const std::string& path);
  void AddFile(const std::string& path, const std::string& contents,
               uint32_t attributes = attr::kArchive);
  std::string Contents(const std::string& path) const;  // throws when there is no such file
  // A file another program holds open without delete sharing: deletes fail with 32.
  void SetInUse(const std::string& path, bool inUse);
  // Every open, create, read, write or close of path throws IoError(number); 0 clears.
  void InjectIoError(const std::string& path, int32_t number);
  // Total bytes all files may hold; writes past it fail with the disk-full error.
  void SetCapacity(int64_t bytes);
  // Creating a folder at path fails with number; 0 clears.
  void FailFolderCreation(const std::string& path, int32_t number);
  int deleteCalls() const { return deleteCalls_; }

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

  struct Node {
    std::string name;  // as created, for enumeration
    bool folder = false;
    uint32_t attributes = 0;
    std::shared_ptr<std::string> data = std::make_shared<std::string>();
    int openHandles = 0;
    bool inUse = false;
    int32_t ioError = 0;
  };

 private:
  friend class FakeStream;
  static std::string Key(const std::string& path);
  static std::string ParentKey(const std::string& key);
  // The key of the node path names, its 8.3 aliases resolved; Key(path) when there is none.
  std::string Resolve(const std::string& path) const;
  Node* Find(const std::string& path);
  bool Fail(uint32_t error);
  void ThrowIfInjected(const Node& node);
  int64_t UsedBytes() const;

  std::map<std::string, Node> nodes_;
  std::map<std::string, int32_t> folderFailures_;
  int64_t capacity_ = INT64_MAX;
  uint32_t lastError_ = 0;
  int deleteCalls_ = 0;
};

}  // namespace ssi::fake
