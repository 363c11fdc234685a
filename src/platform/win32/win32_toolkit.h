// The window toolkit on real Win32 windows: forms are top-level windows, timers live on a hidden
// message window, message boxes are our own dialogs of the standard dialog class, and the loop is
// GetMessage/DispatchMessage. Handlers run inside window procedures; an exception they throw is
// held there and rethrown by the toolkit call that dispatched the message, so it never crosses
// the system's code.
#pragma once

#include "platform/win32/windows_api.h"

#include <exception>
#include <map>

#include "platform/toolkit.h"

namespace ssi::win32 {

class Win32Toolkit : public Toolkit {
 public:
  explicit Win32Toolkit(HINSTANCE instance);
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  void SetTitle(const std::string& title) override { title_ = title; }
  std::string Title() const override { return title_; }
  void SetCursor(Cursor cursor) override;
  Cursor CurrentCursor() const override { return cursor_; }
  void ProcessMessages() override;
  void HandleMessage() override;
  void Terminate() override;
  bool Terminated() const override { return terminated_; }
  std::unique_ptr<Form> CreateForm() override;
  std::unique_ptr<Timer> CreateTimer(uint32_t intervalMs, std::function<void()> onTimer) override;
  int ShowBox(const MessageBoxRequest& request) override;

  // For the backend's windows: run a handler, keeping an exception for later.
  template <typename Handler>
  void Guard(Handler&& handler) noexcept {
    try {
      handler();
    } catch (...) {
      if (!pending_) pending_ = std::current_exception();
    }
  }
  // Rethrows an exception a handler left behind.
  void RethrowPending();
  HCURSOR CursorHandle() const;
  HINSTANCE instance() const { return instance_; }

 private:
  friend class Win32Timer;
  static LRESULT CALLBACK TimerSinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Dispatch(MSG& message);

  HINSTANCE instance_;
  HWND timerSink_ = nullptr;
  std::map<UINT_PTR, std::function<void()>> timers_;
  UINT_PTR nextTimerId_ = 1;
  std::string title_;
  Cursor cursor_ = Cursor::Default;
  bool terminated_ = false;
  std::exception_ptr pending_;
};

}  // namespace ssi::win32
