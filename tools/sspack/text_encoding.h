// Conversion between the UTF-8 of the command line and the CP932 stored in packages.
#pragma once

#include <optional>
#include <string>

namespace sspack {

// nullopt when text is not valid UTF-8 or holds a character CP932 cannot represent.
std::optional<std::string> Utf8ToCp932(const std::string& text);
// Bytes that are not valid CP932 are shown as "\xNN".
std::string Cp932ToUtf8(const std::string& text);

}  // namespace sspack
