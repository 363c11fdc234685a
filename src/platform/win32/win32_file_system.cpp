#include "platform/win32/win32_file_system.h"

#include "platform/win32/windows_api.h"

#include "platform/io_error.h"
#include "platform/win32/encoding.h"

namespace ssi::win32 {

namespace {

constexpr uint32_t kSpecialAttributes =
    attr::kHidden | attr::kSystem | attr::kVolumeLabel | attr::kDirectory;

[[noreturn]] void ThrowLastError() { throw IoError(static_cast<int32_t>(::GetLastError())); }

class Win32Stream : public FileStream {
 public:
  explicit Win32Stream(HANDLE handle) : handle_(handle) {}
  ~Win32Stream() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }

  uint32_t Read(void* buffer, uint32_t count) override {
    CheckOpen();
    DWORD done = 0;
    if (!::ReadFile(handle_, buffer, count, &done, nullptr)) ThrowLastError();
    return done;
  }

  uint32_t Write(const void* buffer, uint32_t count) override {
    CheckOpen();
    DWORD done = 0;
    if (!::WriteFile(handle_, buffer, count, &done, nullptr)) ThrowLastError();
    if (done != count) throw IoError(syserr::kShortWrite);
    return done;
  }

  void Seek(int64_t position) override {
    CheckOpen();
    LARGE_INTEGER target;
    target.QuadPart = position;
    if (!::SetFilePointerEx(handle_, target, nullptr, FILE_BEGIN)) ThrowLastError();
  }

  int64_t Size() override {
    CheckOpen();
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle_, &size)) ThrowLastError();
    return size.QuadPart;
  }

  void Close() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    if (!::CloseHandle(handle)) ThrowLastError();
  }

 private:
  void CheckOpen() const {
    if (handle_ == INVALID_HANDLE_VALUE) throw IoError(ERROR_INVALID_HANDLE);
  }

  HANDLE handle_;
};

}  // namespace

bool Win32FileSystem::Outcome(bool succeeded) {
  if (!succeeded) lastError_ = ::GetLastError();
  return succeeded;
}

bool Win32FileSystem::FileExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

int64_t Win32FileSystem::FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::unique_ptr<FileStream> Win32FileSystem::OpenRead(const std::string& path) {
  // No delete sharing: while the installer reads a file, nobody can delete it under it.
  HANDLE handle =
      ::CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) ThrowLastError();
  return std::make_unique<Win32Stream>(handle);
}

std::unique_ptr<FileStream> Win32FileSystem::Create(const std::string& path) {
  const std::wstring wide = ToWide(path);
  // Windows refuses to replace a read-only file. Wine leaves that to the file's Unix permissions,
  // which do not stop a process running as root; the check here keeps the rule everywhere.
  DWORD existing = ::GetFileAttributesW(wide.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY) != 0) {
    throw IoError(syserr::kAccessDenied);
  }
  HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) ThrowLastError();
  return std::make_unique<Win32Stream>(handle);
}

bool Win32FileSystem::DeleteFile(const std::string& path) {
  return Outcome(::DeleteFileW(ToWide(path).c_str()));
}

uint32_t Win32FileSystem::GetAttributes(const std::string& path) {
  DWORD attributes = ::GetFileAttributesW(ToWide(path).c_str());
  Outcome(attributes != INVALID_FILE_ATTRIBUTES);
  return attributes;
}

bool Win32FileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return Outcome(::SetFileAttributesW(ToWide(path).c_str(), attributes));
}

bool Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
  return Outcome(
      ::CopyFileW(ToWide(from).c_str(), ToWide(to).c_str(), failIfExists ? TRUE : FALSE));
}

bool Win32FileSystem::CreateFolder(const std::string& path) {
  return Outcome(::CreateDirectoryW(ToWide(path).c_str(), nullptr));
}

bool Win32FileSystem::RemoveFolder(const std::string& path) {
  return Outcome(::RemoveDirectoryW(ToWide(path).c_str()));
}

std::vector<DirEntry> Win32FileSystem::Enumerate(const std::string& pattern, uint32_t mask) {
  std::vector<DirEntry> entries;
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW(ToWide(pattern).c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) {
    Outcome(false);
    return entries;
  }
  do {
    // Like the runtime's enumeration: an entry with a special bit outside the mask is skipped.
    if ((data.dwFileAttributes & kSpecialAttributes & ~mask) != 0) continue;
    entries.push_back({FromWide(std::wstring(data.cFileName)), data.dwFileAttributes});
  } while (::FindNextFileW(search, &data));
  ::FindClose(search);
  return entries;
}

std::string Win32FileSystem::ShortPath(const std::string& path) {
  const std::wstring wide = ToWide(path);
  DWORD needed = ::GetShortPathNameW(wide.c_str(), nullptr, 0);
  if (needed == 0) return Outcome(false), std::string();
  std::wstring shortened(needed, L'\0');
  DWORD length = ::GetShortPathNameW(wide.c_str(), shortened.data(), needed);
  if (length == 0 || length >= needed) return Outcome(false), std::string();
  shortened.resize(length);
  return FromWide(shortened);
}

}  // namespace ssi::win32
