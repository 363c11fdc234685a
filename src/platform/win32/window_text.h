// Reading a window's caption and class, for the test kit and the backend's tests that look at
// windows from outside, as a person would.
#pragma once

#include <string>

#include "platform/win32/windows_api.h"

namespace ssi::win32 {

inline std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

inline std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  ::GetClassNameW(window, name, 256);
  return name;
}

}  // namespace ssi::win32
