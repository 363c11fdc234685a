#include "platform/win32/win32_environment.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/encoding.h"

namespace ssi::win32 {

namespace {

// Calls a "fill this buffer" API, growing the buffer until the answer fits. The API returns the
// length written, the length needed when the buffer is too small, or 0 on failure.
template <typename Fill>
std::string Query(Fill fill) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD length = fill(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return FromWide(buffer.data(), length);
    buffer.assign(static_cast<size_t>(length) + 1, L'\0');
  }
  return {};
}

}  // namespace

std::optional<std::string> Win32Environment::GetVariable(const std::string& name) {
  const std::wstring wideName = ToWide(name);
  ::SetLastError(ERROR_SUCCESS);
  std::string value = Query([&](wchar_t* buffer, DWORD size) {
    return ::GetEnvironmentVariableW(wideName.c_str(), buffer, size);
  });
  if (value.empty() && ::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return value;
}

std::string Win32Environment::WindowsDirectory() {
  return Query([](wchar_t* buffer, DWORD size) { return ::GetWindowsDirectoryW(buffer, size); });
}

std::string Win32Environment::SystemDirectory() {
  return Query([](wchar_t* buffer, DWORD size) { return ::GetSystemDirectoryW(buffer, size); });
}

std::string Win32Environment::ModulePath() {
  // GetModuleFileNameW truncates silently and answers the buffer size when the path is longer.
  std::wstring buffer(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return FromWide(buffer.data(), length);
    buffer.assign(buffer.size() * 2, L'\0');
  }
  return {};
}

std::string Win32Environment::SystemMessage(uint32_t number) {
  wchar_t* text = nullptr;
  DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
      nullptr, number, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  if (length == 0 || text == nullptr) return {};
  std::string message = FromWide(text, length);
  ::LocalFree(text);
  return message;
}

}  // namespace ssi::win32
