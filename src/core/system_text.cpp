#include "core/system_text.h"

namespace ssi {

std::string SystemErrorText(Environment& env, int32_t number) {
  if (number < 0) return {};
  std::string text = env.SystemMessage(static_cast<uint32_t>(number));
  // Trailing bytes only: a CP932 trail byte is never a blank, control or '.' (all below 0x40).
  while (!text.empty()) {
    unsigned char last = static_cast<unsigned char>(text.back());
    if (last <= ' ' || last == '.' || last == 0x7F) {
      text.pop_back();
    } else {
      break;
    }
  }
  return text;
}

}  // namespace ssi
