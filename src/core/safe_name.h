// Checks a name from the package before it is joined to a folder: a name that could reach
// outside the folder, or name a device, is refused.
#pragma once

#include <string_view>

namespace ssi {

// True for a plain file or folder name: not empty, no separator or drive colon, not "." or "..",
// no wildcard or control character, no trailing dot or blank, not a device name (CON, NUL,
// COM1...).
bool IsSafeFileName(std::string_view name);

}  // namespace ssi
