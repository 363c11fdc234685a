// The system's message for an error number, trimmed for insertion into the installer's messages.
#pragma once

#include <cstdint>
#include <string>

#include "platform/environment.h"

namespace ssi {

// The text without trailing blanks, control characters and full stops; empty for negative
// numbers and numbers the system has no text for.
std::string SystemErrorText(Environment& env, int32_t number);

}  // namespace ssi
