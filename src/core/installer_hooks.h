// What the logic below the window may ask of it: progress on the status line and progress bar,
// pauses that keep the window alive, and error messages. The installer window implements it.
#pragma once

#include <cstdint>
#include <string>

namespace ssi {

class InstallerHooks {
 public:
  virtual ~InstallerHooks() = default;
  virtual void ShowStatus(const std::string& text) = 0;
  virtual void StepProgress() = 0;
  virtual void Pause() = 0;
  // One message for an error code, naming path where the message does.
  virtual void ReportError(int32_t code, const std::string& path) = 0;
  // text, an empty line and the system's text for code.
  virtual void ReportSystemError(int32_t code, const std::string& text) = 0;
  virtual void ErrorBox(const std::string& text) = 0;
};

}  // namespace ssi
