#include "platform/fake/fake_environment.h"

#include "core/cp932.h"

namespace ssi::fake {

FakeEnvironment::FakeEnvironment() {
  variables = {{"TEMP", "C:\\TEMP"}, {"WINDIR", "C:\\WINDOWS"}};
  messages = {
      {2, "The system cannot find the file specified.\r\n"},
      {3, "The system cannot find the path specified.\r\n"},
      {5, "Access is denied.\r\n"},
      {32, "The process cannot access the file because it is being used by another process.\r\n"},
      {112, "There is not enough space on the disk.\r\n"},
      {183, "Cannot create a file when that file already exists.\r\n"},
  };
}

std::optional<std::string> FakeEnvironment::GetVariable(const std::string& name) {
  // Windows looks variables up without regard to case.
  for (const auto& [key, value] : variables) {
    if (cp932::EqualsIgnoreAsciiCase(key, name)) return value;
  }
  return std::nullopt;
}

std::string FakeEnvironment::SystemMessage(uint32_t number) {
  auto it = messages.find(number);
  return it == messages.end() ? std::string() : it->second;
}

}  // namespace ssi::fake
