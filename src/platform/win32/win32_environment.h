// The process environment, the system folders and the system's message texts, as CP932.
#pragma once

#include "platform/environment.h"

namespace ssi::win32 {

class Win32Environment : public Environment {
 public:
  std::optional<std::string> GetVariable(const std::string& name) override;
  std::string WindowsDirectory() override;
  std::string SystemDirectory() override;
  std::string ModulePath() override;
  std::string SystemMessage(uint32_t number) override;
};

}  // namespace ssi::win32
