// The installer's error messages: how a code becomes the text of one box.
#pragma once

#include <cstdint>
#include <string>

namespace ssi {

extern const char kErrorBoxCaption[];        // "Error"
extern const char kInformationBoxCaption[];  // "Information"
extern const char kAbortButton[];            // "&Abort"

// The message ReportError shows for code; systemText is SystemErrorText(code).
std::string ComposeErrorMessage(int32_t code, const std::string& path,
                                const std::string& systemText);
// text, an empty line, and the system's text: the form of the decompression error.
std::string ComposeSystemErrorMessage(const std::string& text, const std::string& systemText);
// The closing message of a failed start-up: "インストーラが破損しています" "Tavrinエラー = " code
// ". ".
std::string ComposeSummaryMessage(int32_t code);

}  // namespace ssi
