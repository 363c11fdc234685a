// Conversions between the logic's CP932 byte strings and the UTF-16 text of the wide Win32 API.
// Code page 932 is named explicitly, so Japanese paths and texts work whatever the system locale.
#pragma once

#include <string>

namespace ssi::win32 {

constexpr unsigned kCodePage = 932;

std::wstring ToWide(const std::string& cp932);
// Characters CP932 cannot hold become '?', as the system's conversion does by default.
std::string FromWide(const std::wstring& wide);
std::string FromWide(const wchar_t* wide, size_t length);

}  // namespace ssi::win32
