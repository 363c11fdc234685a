// The window toolkit the installer is written against: application, forms, timers and message
// boxes. The win32 backend realises it with real windows; the fake one with an event queue and a
// virtual clock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ssi {

enum class BoxIcon { None, Error, Information, Question, Warning };

struct MessageBoxRequest {
  std::string caption;
  std::string text;
  BoxIcon icon = BoxIcon::None;
  std::vector<std::string> buttons;  // captions, "&" marks the access key
};

enum class Cursor { Default, HourGlass };
enum class BorderStyle { Single, Sizeable };

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
};

struct FontSpec {
  std::string name;
  int charset = 0;
  int points = 0;
};

class Form {
 public:
  virtual ~Form() = default;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void SetFont(const FontSpec& font) = 0;
  virtual void SetBorder(BorderStyle border) = 0;
  virtual void Show() = 0;
  virtual bool Visible() const = 0;
  // Asks the close-query handler, then runs the close handler and hides the form.
  virtual void Close() = 0;
  std::function<bool()> onCloseQuery;
  std::function<void()> onClose;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  virtual void SetTitle(const std::string& title) = 0;
  virtual std::string Title() const = 0;
  virtual void SetCursor(Cursor cursor) = 0;
  virtual Cursor CurrentCursor() const = 0;

  // Handles every pending message and returns.
  virtual void ProcessMessages() = 0;
  // Handles one message, waiting for one when none is pending.
  virtual void HandleMessage() = 0;
  virtual void Terminate() = 0;
  virtual bool Terminated() const = 0;

  virtual std::unique_ptr<Form> CreateForm() = 0;
  virtual std::unique_ptr<Timer> CreateTimer(uint32_t intervalMs,
                                             std::function<void()> onTimer) = 0;

  // Shows a modal box and returns the index of the button that closed it (-1: closed otherwise).
  virtual int ShowBox(const MessageBoxRequest& request) = 0;
};

}  // namespace ssi
