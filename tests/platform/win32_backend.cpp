// The contract suite on the real backend, run under Wine or Windows. The scratch folder is a new
// folder under %TEMP%; only it and what the tests made in it are removed afterwards.
#include <string>

#include "backend.h"
#include "platform/win32/encoding.h"
#include "platform/win32/window_text.h"
#include "platform/win32/win32_platform.h"

namespace contract {

namespace {

using ssi::win32::FromWide;
using ssi::win32::ClassName;
using ssi::win32::WindowText;

// Deletes a tree this suite made; entries are made writable first.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileW((folder + L"*").c_str(), &data);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + name;
      ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path + L"\\");
      } else {
        ::DeleteFileW(path.c_str());
      }
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(folder.c_str());
}

class Win32Backend : public Backend {
 public:
  Win32Backend() : real_(::GetModuleHandleW(nullptr)) {
    wchar_t temp[MAX_PATH + 1];
    DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base(temp, length);
    for (unsigned attempt = 0;; ++attempt) {
      std::wstring candidate = base + L"ssi-contract-" + std::to_wstring(::GetCurrentProcessId()) +
                               L"-" + std::to_wstring(attempt);
      if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
        folder_ = candidate + L"\\";
        break;
      }
      if (::GetLastError() != ERROR_ALREADY_EXISTS || attempt > 1000)
        throw std::runtime_error("no scratch folder");
    }
    scratch_ = FromWide(folder_);
  }
  ~Win32Backend() override {
    if (answerTimer_ != 0) ::KillTimer(nullptr, answerTimer_);
    if (active_ == this) active_ = nullptr;
    RemoveTree(folder_);
  }

  ssi::Platform& platform() override { return real_.platform; }
  const std::string& scratch() const override { return scratch_; }

  void AnswerNextBox(int button) override {
    // The box runs its own modal loop on this thread; a thread timer fires inside it, finds the
    // box among this thread's windows, reads it and presses the button as a click would.
    pendingAnswer_ = button;
    active_ = this;
    answerTimer_ = ::SetTimer(nullptr, 0, 50, &Win32Backend::AnswerTimer);
  }
  SeenBox LastBox() const override { return lastBox_; }

 private:
  static BOOL CALLBACK FindBox(HWND window, LPARAM found) {
    if (::IsWindowVisible(window) && ClassName(window) == L"#32770") {
      *reinterpret_cast<HWND*>(found) = window;
      return FALSE;
    }
    return TRUE;
  }

  static void CALLBACK AnswerTimer(HWND, UINT, UINT_PTR, DWORD) {
    Win32Backend* self = active_;
    if (self == nullptr) return;
    HWND box = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), &FindBox, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr) return;
    ::KillTimer(nullptr, self->answerTimer_);
    self->answerTimer_ = 0;
    SeenBox seen;
    seen.caption = FromWide(WindowText(box));
    std::vector<HWND> buttons;
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      std::wstring cls = ClassName(child);
      LONG style = static_cast<LONG>(::GetWindowLongPtrW(child, GWL_STYLE));
      if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        buttons.push_back(child);
        seen.buttons.push_back(FromWide(WindowText(child)));
      } else if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) != SS_ICON) {
        seen.text = FromWide(WindowText(child));
      }
    }
    self->lastBox_ = seen;
    int answer = self->pendingAnswer_;
    if (answer >= 0 && static_cast<size_t>(answer) < buttons.size()) {
      HWND button = buttons[static_cast<size_t>(answer)];
      ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
    } else {
      ::PostMessageW(box, WM_CLOSE, 0, 0);
    }
  }

  static inline Win32Backend* active_ = nullptr;
  ssi::win32::Win32Platform real_;
  std::wstring folder_;
  std::string scratch_;
  UINT_PTR answerTimer_ = 0;
  int pendingAnswer_ = 0;
  SeenBox lastBox_;
};

}  // namespace

std::unique_ptr<Backend> MakeBackend() { return std::make_unique<Win32Backend>(); }

}  // namespace contract
