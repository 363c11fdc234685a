// Name checks for names read from the package.
#include "core/safe_name.h"

#include <array>
#include <string>

#include "core/cp932.h"

namespace ssi {

namespace {

bool IsDeviceName(std::string_view name) {
  // Windows treats "NUL.txt" and "nul " like the device itself, so only the stem counts.
  std::string stem = cp932::ToAsciiLower(name.substr(0, cp932::FindChar(name, '.')));
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  static constexpr std::array<std::string_view, 6> kDevices = {"con", "prn",    "aux",
                                                               "nul", "conin$", "conout$"};
  for (std::string_view device : kDevices) {
    if (stem == device) return true;
  }
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) &&
         stem[3] >= '0' && stem[3] <= '9';
}

}  // namespace

bool IsSafeFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char forbidden : std::string_view("\\/:*?\"<>|")) {
    if (cp932::FindChar(name, forbidden) != std::string_view::npos) return false;
  }
  size_t i = 0;
  while (i < name.size()) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    if (cp932::IsLeadByte(c) && i + 1 < name.size()) {
      i += 2;
      continue;
    }
    if (c < 0x20) return false;
    ++i;
  }
  size_t last = cp932::LastCharStart(name);
  if (last == name.size() - 1 && (name[last] == '.' || name[last] == ' ')) return false;
  return !IsDeviceName(name);
}

}  // namespace ssi
