// The toolkit of the fake backend: an event queue on a virtual clock, timers that fire when the
// loop waits, forms that record their state, and message boxes that are recorded and answered by
// the test's script (default: the first button).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/toolkit.h"

namespace ssi::fake {

class FakeForm;

class FakeToolkit : public Toolkit {
 public:
  FakeToolkit();
  ~FakeToolkit() override;

  // Recorded boxes, in the order shown.
  std::vector<MessageBoxRequest> boxes;
  // Answers a box with a button index; the default presses the first button.
  std::function<int(const MessageBoxRequest&)> answerBox;
  // Virtual time in milliseconds.
  uint64_t now() const { return now_; }
  // Runs action when the clock reaches now() + delayMs and the loop handles messages.
  void Post(uint64_t delayMs, std::function<void()> action);
  FakeForm* lastForm() const { return lastForm_; }

  void SetTitle(const std::string& title) override { title_ = title; }
  std::string Title() const override { return title_; }
  void SetCursor(Cursor cursor) override { cursor_ = cursor; }
  Cursor CurrentCursor() const override { return cursor_; }
  void ProcessMessages() override;
  void HandleMessage() override;
  void Terminate() override { terminated_ = true; }
  bool Terminated() const override { return terminated_; }
  std::unique_ptr<Form> CreateForm() override;
  std::unique_ptr<Timer> CreateTimer(uint32_t intervalMs, std::function<void()> onTimer) override;
  int ShowBox(const MessageBoxRequest& request) override;

 private:
  friend class FakeTimer;
  friend class FakeForm;
  struct Event {
    uint64_t due;
    uint64_t order;
    std::function<void()> action;
  };
  struct TimerState {
    uint32_t interval;
    bool enabled = false;
    uint64_t due = 0;
    std::function<void()> onTimer;
  };
  bool RunDueEvent();

  std::string title_;
  Cursor cursor_ = Cursor::Default;
  bool terminated_ = false;
  uint64_t now_ = 0;
  uint64_t nextOrder_ = 0;
  std::vector<Event> events_;
  std::map<int, TimerState> timers_;
  int nextTimerId_ = 1;
  FakeForm* lastForm_ = nullptr;
};

class FakeForm : public Form {
 public:
  explicit FakeForm(FakeToolkit& toolkit) : toolkit_(toolkit) {}
  ~FakeForm() override;
  void SetCaption(const std::string& caption) override { caption_ = caption; }
  std::string Caption() const override { return caption_; }
  void SetFont(const FontSpec& font) override { font_ = font; }
  void SetBorder(BorderStyle border) override { border_ = border; }
  void Show() override { visible_ = true; }
  bool Visible() const override { return visible_; }
  void Close() override;

  const FontSpec& font() const { return font_; }
  BorderStyle border() const { return border_; }
  bool closed() const { return closed_; }

 private:
  FakeToolkit& toolkit_;
  std::string caption_;
  FontSpec font_;
  BorderStyle border_ = BorderStyle::Sizeable;
  bool visible_ = false;
  bool closed_ = false;
};

}  // namespace ssi::fake
