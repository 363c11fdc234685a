// Files and folders as the installer needs them. Paths are CP932 byte strings with Windows
// separators. Operations that the installer treats as system calls report failure through their
// result and LastError(); the stream routines throw IoError like the runtime's file routines.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ssi {

namespace attr {
constexpr uint32_t kReadOnly = 0x01;
constexpr uint32_t kHidden = 0x02;
constexpr uint32_t kSystem = 0x04;
constexpr uint32_t kVolumeLabel = 0x08;
constexpr uint32_t kDirectory = 0x10;
constexpr uint32_t kArchive = 0x20;
constexpr uint32_t kNormal = 0x80;
constexpr uint32_t kReparsePoint = 0x400;
constexpr uint32_t kAnyEntry = 0x3F;  // every kind of entry, for enumeration
constexpr uint32_t kInvalid = 0xFFFFFFFF;
}  // namespace attr

// An open file. Read returns fewer bytes than asked only at the end of the file.
class FileStream {
 public:
  virtual ~FileStream() = default;
  virtual uint32_t Read(void* buffer, uint32_t count) = 0;
  // Writes all bytes or throws IoError (a full disk gives the system's number).
  virtual uint32_t Write(const void* buffer, uint32_t count) = 0;
  virtual void Seek(int64_t position) = 0;
  virtual int64_t Size() = 0;
  // Closing flushes; a failure throws. The destructor closes silently.
  virtual void Close() = 0;
};

struct DirEntry {
  std::string name;  // file or folder name, no path
  uint32_t attributes = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // True for an existing file; a folder does not count.
  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  // Size of an existing file, or -1.
  virtual int64_t FileSize(const std::string& path) = 0;

  // Throw IoError with the system's error number on failure.
  virtual std::unique_ptr<FileStream> OpenRead(const std::string& path) = 0;
  virtual std::unique_ptr<FileStream> Create(const std::string& path) = 0;  // replaces a file

  // System calls: false on failure, the reason in LastError().
  virtual bool DeleteFile(const std::string& path) = 0;
  virtual uint32_t GetAttributes(const std::string& path) = 0;  // attr::kInvalid on failure
  virtual bool SetAttributes(const std::string& path, uint32_t attributes) = 0;
  virtual bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
  virtual bool CreateFolder(const std::string& path) = 0;  // one level
  virtual bool RemoveFolder(const std::string& path) = 0;  // must be empty
  // Entries of a folder matching pattern ("C:\\dir\\*.*"), including "." and "..", whose
  // attributes fit the mask (plain files always fit, as with the system's enumeration).
  virtual std::vector<DirEntry> Enumerate(const std::string& pattern, uint32_t mask) = 0;
  // The 8.3 form of an existing path; empty on failure.
  virtual std::string ShortPath(const std::string& path) = 0;
  virtual uint32_t LastError() = 0;
};

}  // namespace ssi
