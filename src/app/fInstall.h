// TInstallerForm: the installer window. Creating it runs the start-up sequence; it implements the
// hooks through which the logic reports progress and errors.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/installer_context.h"
#include "core/installer_hooks.h"
#include "platform/platform.h"

namespace ssi {

class TInstallerForm : public InstallerHooks {
 public:
  // Applies the window settings and runs the start-up sequence (FormCreate).
  TInstallerForm(Platform& platform, int32_t packageOffset);
  ~TInstallerForm() override;

  // The window's copies of the header fields; 0 until start-up takes them.
  uint8_t SplashKind = 0;
  uint8_t ShowLicence = 0;
  uint8_t HasAfterInstallDocument = 0;
  int32_t FlashMajor = 0;
  int32_t FlashRelease = 0;

  InstallerContext& context() { return ctx_; }
  Form& form() { return *form_; }
  // The start-up sequence's outcome: 0, or the code that stopped it.
  int32_t startupCode() const { return startupCode_; }
  bool silent() const { return SplashKind == 4; }
  const std::string& statusText() const { return statusText_; }
  int progressPosition() const { return progressPosition_; }

  void ShowStatus(const std::string& text) override;
  void StepProgress() override;
  void Pause() override;
  void ReportError(int32_t code, const std::string& path) override;
  void ReportSystemError(int32_t code, const std::string& text) override;
  void ErrorBox(const std::string& text) override;
  void InformationBox(const std::string& text);

 private:
  using StartupStep = std::function<int32_t()>;

  void FormCreate();
  void RunStartup();
  std::vector<StartupStep> StartupSteps();
  bool FormCloseQuery();
  void FormClose();
  void pauseTimerTimer();

  Platform& platform_;
  InstallerContext ctx_;
  std::unique_ptr<Form> form_;
  std::unique_ptr<Timer> pauseTimer_;
  int32_t startupCode_ = 0;
  std::string statusText_;
  int progressPosition_ = 0;
};

// The program: title "Install", the window, the event loop unless silent. Failures that no step
// turns into a code are shown in a box captioned with the application title.
void RunInstallerProgram(Platform& platform, int32_t packageOffset);
// The box for such a failure: the text with a full stop, the error icon and OK.
void ShowFailureBox(Toolkit& ui, const std::string& text);

}  // namespace ssi
