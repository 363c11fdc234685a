// A settable environment: variables, the Windows and system folders, the module path and the
// system's message texts (in the system's form, with the trailing full stop and line break).
#pragma once

#include <map>
#include <string>

#include "platform/environment.h"

namespace ssi::fake {

class FakeEnvironment : public Environment {
 public:
  FakeEnvironment();

  std::map<std::string, std::string> variables;
  std::string windowsDirectory = "C:\\WINDOWS";
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::string modulePath = "C:\\Downloads\\setup.exe";
  std::map<uint32_t, std::string> messages;

  std::optional<std::string> GetVariable(const std::string& name) override;
  std::string WindowsDirectory() override { return windowsDirectory; }
  std::string SystemDirectory() override { return systemDirectory; }
  std::string ModulePath() override { return modulePath; }
  std::string SystemMessage(uint32_t number) override;
};

}  // namespace ssi::fake
