#include "platform/win32/encoding.h"

#include "platform/win32/windows_api.h"

namespace ssi::win32 {

std::wstring ToWide(const std::string& cp932) {
  if (cp932.empty()) return {};
  const int length = static_cast<int>(cp932.size());
  int needed = MultiByteToWideChar(kCodePage, 0, cp932.data(), length, nullptr, 0);
  if (needed <= 0) return {};
  std::wstring wide(static_cast<size_t>(needed), L'\0');
  MultiByteToWideChar(kCodePage, 0, cp932.data(), length, wide.data(), needed);
  return wide;
}

std::string FromWide(const wchar_t* wide, size_t length) {
  if (length == 0) return {};
  const int count = static_cast<int>(length);
  int needed = WideCharToMultiByte(kCodePage, 0, wide, count, nullptr, 0, nullptr, nullptr);
  if (needed <= 0) return {};
  std::string bytes(static_cast<size_t>(needed), '\0');
  WideCharToMultiByte(kCodePage, 0, wide, count, bytes.data(), needed, nullptr, nullptr);
  return bytes;
}

std::string FromWide(const std::wstring& wide) { return FromWide(wide.data(), wide.size()); }

}  // namespace ssi::win32
