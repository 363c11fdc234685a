// The installer window: start-up sequence, hooks, closing.
#include "app/fInstall.h"

#include <exception>

#include "app/errors.h"
#include "core/error_codes.h"
#include "core/system_text.h"
#include "package/extract.h"
#include "package/package_table.h"
#include "res/strings.h"
#include "winsys/folders.h"
#include "winsys/removal.h"

namespace ssi {

namespace {
constexpr uint32_t kPauseMs = 1000;
constexpr int kJapaneseCharset = 128;
const char kInitialTitle[] = "Install";
}  // namespace

TInstallerForm::TInstallerForm(Platform& platform, int32_t packageOffset)
    : platform_(platform), ctx_(platform, *this, packageOffset), form_(platform.ui.CreateForm()) {
  pauseTimer_ = platform_.ui.CreateTimer(kPauseMs, [this] { pauseTimerTimer(); });
  form_->onCloseQuery = [this] { return FormCloseQuery(); };
  form_->onClose = [this] { FormClose(); };
  try {
    FormCreate();
  } catch (const std::exception& e) {
    // Not an error code: the rest of start-up is skipped and the window goes on as prepared.
    ShowFailureBox(platform_.ui, e.what());
  }
}

TInstallerForm::~TInstallerForm() {
  form_->onCloseQuery = nullptr;
  form_->onClose = nullptr;
}

void TInstallerForm::FormCreate() {
  form_->SetFont({res::kWindowFontName, kJapaneseCharset, 9});
  form_->SetBorder(BorderStyle::Single);
  RunStartup();
}

std::vector<TInstallerForm::StartupStep> TInstallerForm::StartupSteps() {
  return {
      [this] {
        ComputeSystemFolders(ctx_);
        TempSubFolder work = ComputeInstallerPaths(ctx_);
        // Without a folder of our own there is nowhere safe for the working copy.
        if (work.code != 0) ReportError(work.code, work.folder);
        return work.code;
      },
      [this] { return MakeWorkingCopy(ctx_); },
      [this] { return ReadPackageTable(ctx_); },
      [this] {
        int32_t code = ComputeDataFolder(ctx_);
        if (code == 0) SplashKind = ctx_.PackageTable.Header.SplashKind;
        return code;
      },
      [this] {
        HasAfterInstallDocument = ctx_.PackageTable.Header.HasAfterInstallDocument;
        return HasAfterInstallDocument != 0 ? ExtractAfterInstallDocument(ctx_) : 0;
      },
  };
}

void TInstallerForm::RunStartup() {
  Toolkit& ui = platform_.ui;
  const Cursor savedCursor = ui.CurrentCursor();
  ui.SetCursor(Cursor::HourGlass);
  ui.ProcessMessages();

  ctx_.Installing = false;
  ctx_.Cancelled = false;
  ShowLicence = 0;
  HasAfterInstallDocument = 0;

  int32_t code = 0;
  for (const StartupStep& step : StartupSteps()) {
    code = step();
    if (code != 0) break;
  }
  startupCode_ = code;

  ui.SetCursor(savedCursor);
  if (code != 0 && code != err::kUserDeclined) ErrorBox(ComposeSummaryMessage(code));
  if (code != 0 || silent()) {
    form_->Close();
    ui.Terminate();
  }
}

bool TInstallerForm::FormCloseQuery() { return !ctx_.Installing; }

void TInstallerForm::FormClose() {
  DeleteFolderTree(platform_, WorkFolder(ctx_));
  // The installer window is the main window: closing it ends the application.
  platform_.ui.Terminate();
}

void TInstallerForm::ShowStatus(const std::string& text) {
  if (silent()) return;
  statusText_ = text;
}

void TInstallerForm::StepProgress() {
  if (silent()) return;
  ++progressPosition_;
  Pause();
}

void TInstallerForm::Pause() {
  // Nested pauses share the one timer: the inner wait ends the outer one too.
  pauseTimer_->SetEnabled(true);
  while (pauseTimer_->Enabled() && !platform_.ui.Terminated()) platform_.ui.HandleMessage();
}

void TInstallerForm::pauseTimerTimer() { pauseTimer_->SetEnabled(false); }

void TInstallerForm::ReportError(int32_t code, const std::string& path) {
  ErrorBox(ComposeErrorMessage(code, path, SystemErrorText(platform_.env, code)));
}

void TInstallerForm::ReportSystemError(int32_t code, const std::string& text) {
  ErrorBox(ComposeSystemErrorMessage(text, SystemErrorText(platform_.env, code)));
}

void TInstallerForm::ErrorBox(const std::string& text) {
  platform_.ui.ShowBox({kErrorBoxCaption, text, BoxIcon::Error, {kAbortButton}});
}

void TInstallerForm::InformationBox(const std::string& text) {
  platform_.ui.ShowBox({kInformationBoxCaption, text, BoxIcon::Information, {kAbortButton}});
}

void ShowFailureBox(Toolkit& ui, const std::string& text) {
  std::string message = text;
  if (message.empty() || message.back() != '.') message += '.';
  ui.ShowBox({ui.Title(), message, BoxIcon::Error, {"OK"}});
}

void RunInstallerProgram(Platform& platform, int32_t packageOffset) {
  Toolkit& ui = platform.ui;
  ui.SetTitle(kInitialTitle);
  auto window = std::make_unique<TInstallerForm>(platform, packageOffset);
  window->form().Show();
  if (window->silent()) return;
  try {
    while (!ui.Terminated()) ui.HandleMessage();
  } catch (const std::exception& e) {
    ShowFailureBox(ui, e.what());
  }
}

}  // namespace ssi
