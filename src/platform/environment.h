// The process environment and the system's well-known folders and texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ssi {

class Environment {
 public:
  virtual ~Environment() = default;
  virtual std::optional<std::string> GetVariable(const std::string& name) = 0;
  // As the system answers, without any added backslash; empty on failure.
  virtual std::string WindowsDirectory() = 0;
  virtual std::string SystemDirectory() = 0;
  // Full path of the running executable.
  virtual std::string ModulePath() = 0;
  // The system's message for an error number, untouched (may end in "." or a line break);
  // empty when there is none.
  virtual std::string SystemMessage(uint32_t number) = 0;
};

}  // namespace ssi
