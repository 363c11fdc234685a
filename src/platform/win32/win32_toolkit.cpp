#include "platform/win32/win32_toolkit.h"

#include <stdexcept>
#include <string>

#include "platform/win32/encoding.h"
#include "platform/win32/win32_message_box.h"

namespace ssi::win32 {

namespace {

const wchar_t kFormClass[] = L"SsiInstallerForm";
const wchar_t kTimerSinkClass[] = L"SsiTimerSink";
// Outer size of a form before anything lays it out.
constexpr int kDefaultFormWidth = 359;
constexpr int kDefaultFormHeight = 340;

DWORD BorderStyleBits(BorderStyle border) {
  // Single: fixed size, the system menu (close box) as the only border icon.
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  if (border == BorderStyle::Sizeable) style |= WS_THICKFRAME;
  return style;
}

class Win32Form : public Form {
 public:
  explicit Win32Form(Win32Toolkit& toolkit) : toolkit_(toolkit) {
    window_ = ::CreateWindowExW(0, kFormClass, L"", BorderStyleBits(border_), CW_USEDEFAULT,
                                CW_USEDEFAULT, kDefaultFormWidth, kDefaultFormHeight, nullptr,
                                nullptr, toolkit.instance(), this);
    if (window_ == nullptr)
      throw std::runtime_error("cannot create a window (error " + std::to_string(::GetLastError()) +
                               ")");
  }

  ~Win32Form() override {
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
    if (font_ != nullptr) ::DeleteObject(font_);
  }

  void SetCaption(const std::string& caption) override {
    caption_ = caption;
    ::SetWindowTextW(window_, ToWide(caption).c_str());
  }
  std::string Caption() const override { return caption_; }

  void SetFont(const FontSpec& font) override {
    HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(font.points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    HFONT created =
        ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                      static_cast<BYTE>(font.charset), OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, ToWide(font.name).c_str());
    if (created == nullptr) return;
    ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(created), TRUE);
    if (font_ != nullptr) ::DeleteObject(font_);
    font_ = created;
  }

  void SetBorder(BorderStyle border) override {
    border_ = border;
    LONG_PTR style = ::GetWindowLongPtrW(window_, GWL_STYLE);
    style &= ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    style |= static_cast<LONG_PTR>(BorderStyleBits(border));
    ::SetWindowLongPtrW(window_, GWL_STYLE, style);
    ::SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }

  void Show() override {
    if (!shown_) {
      shown_ = true;
      CentreOnScreen();
    }
    ::ShowWindow(window_, SW_SHOW);
    ::UpdateWindow(window_);
  }

  bool Visible() const override { return ::IsWindowVisible(window_) != FALSE; }

  void Close() override {
    ::SendMessageW(window_, WM_CLOSE, 0, 0);
    toolkit_.RethrowPending();
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<Win32Form*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form != nullptr) {
      switch (message) {
        case WM_CLOSE:
          form->toolkit_.Guard([form] { form->CloseRequested(); });
          return 0;
        case WM_SETCURSOR:
          if (LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(form->toolkit_.CursorHandle());
            return TRUE;
          }
          break;
        default:
          break;
      }
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
  }

 private:
  void CloseRequested() {
    if (onCloseQuery && !onCloseQuery()) return;
    if (onClose) onClose();
    // Hidden, not destroyed: the object that owns the window decides when it goes.
    ::ShowWindow(window_, SW_HIDE);
  }

  void CentreOnScreen() {
    RECT area;
    if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
      area = {0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT bounds;
    ::GetWindowRect(window_, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    ::SetWindowPos(window_, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  Win32Toolkit& toolkit_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  std::string caption_;
  BorderStyle border_ = BorderStyle::Sizeable;
  bool shown_ = false;
};

}  // namespace

class Win32Timer : public Timer {
 public:
  Win32Timer(Win32Toolkit& toolkit, UINT_PTR id, uint32_t intervalMs)
      : toolkit_(toolkit), id_(id), interval_(intervalMs) {}
  ~Win32Timer() override {
    SetEnabled(false);
    toolkit_.timers_.erase(id_);
  }

  void SetEnabled(bool enabled) override {
    // Enabling a stopped timer starts a fresh period; enabling a running one changes nothing.
    if (enabled == enabled_) return;
    if (enabled) {
      if (::SetTimer(toolkit_.timerSink_, id_, interval_, nullptr) == 0) {
        throw std::runtime_error("cannot start a timer (error " + std::to_string(::GetLastError()) +
                                 ")");
      }
    } else {
      ::KillTimer(toolkit_.timerSink_, id_);
    }
    enabled_ = enabled;
  }
  bool Enabled() const override { return enabled_; }

 private:
  Win32Toolkit& toolkit_;
  UINT_PTR id_;
  UINT interval_;
  bool enabled_ = false;
};

Win32Toolkit::Win32Toolkit(HINSTANCE instance) : instance_(instance) {
  WNDCLASSEXW formClass = {};
  formClass.cbSize = sizeof(formClass);
  formClass.style = CS_HREDRAW | CS_VREDRAW;
  formClass.lpfnWndProc = &Win32Form::WindowProc;
  formClass.hInstance = instance;
  formClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  formClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  formClass.lpszClassName = kFormClass;
  ::RegisterClassExW(&formClass);

  WNDCLASSEXW sinkClass = {};
  sinkClass.cbSize = sizeof(sinkClass);
  sinkClass.lpfnWndProc = &Win32Toolkit::TimerSinkProc;
  sinkClass.hInstance = instance;
  sinkClass.lpszClassName = kTimerSinkClass;
  ::RegisterClassExW(&sinkClass);

  timerSink_ = ::CreateWindowExW(0, kTimerSinkClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 instance, nullptr);
  if (timerSink_ == nullptr) throw std::runtime_error("cannot create the timer window");
  ::SetWindowLongPtrW(timerSink_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Toolkit::~Win32Toolkit() {
  ::SetWindowLongPtrW(timerSink_, GWLP_USERDATA, 0);
  ::DestroyWindow(timerSink_);
}

LRESULT CALLBACK Win32Toolkit::TimerSinkProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  if (message == WM_TIMER) {
    auto* toolkit = reinterpret_cast<Win32Toolkit*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (toolkit != nullptr) {
      auto it = toolkit->timers_.find(static_cast<UINT_PTR>(wParam));
      if (it != toolkit->timers_.end()) {
        // A copy: the handler may destroy its own timer.
        std::function<void()> onTimer = it->second;
        toolkit->Guard([&onTimer] { onTimer(); });
      }
    }
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void Win32Toolkit::RethrowPending() {
  if (!pending_) return;
  std::exception_ptr failure = pending_;
  pending_ = nullptr;
  std::rethrow_exception(failure);
}

HCURSOR Win32Toolkit::CursorHandle() const {
  return ::LoadCursorW(nullptr, cursor_ == Cursor::HourGlass ? IDC_WAIT : IDC_ARROW);
}

void Win32Toolkit::SetCursor(Cursor cursor) {
  cursor_ = cursor;
  ::SetCursor(CursorHandle());
}

void Win32Toolkit::Dispatch(MSG& message) {
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

void Win32Toolkit::ProcessMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      terminated_ = true;
      break;
    }
    Dispatch(message);
    RethrowPending();
  }
}

void Win32Toolkit::HandleMessage() {
  MSG message;
  BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
  if (got == 0 || got == -1) {
    terminated_ = true;
    return;
  }
  Dispatch(message);
  RethrowPending();
}

void Win32Toolkit::Terminate() {
  terminated_ = true;
  ::PostQuitMessage(0);
}

std::unique_ptr<Form> Win32Toolkit::CreateForm() { return std::make_unique<Win32Form>(*this); }

std::unique_ptr<Timer> Win32Toolkit::CreateTimer(uint32_t intervalMs,
                                                 std::function<void()> onTimer) {
  UINT_PTR id = nextTimerId_++;
  timers_[id] = std::move(onTimer);
  return std::make_unique<Win32Timer>(*this, id, intervalMs);
}

int Win32Toolkit::ShowBox(const MessageBoxRequest& request) {
  int pressed = RunMessageBox(*this, request);
  RethrowPending();
  return pressed;
}

}  // namespace ssi::win32
