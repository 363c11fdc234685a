#include "platform/fake/fake_toolkit.h"

#include <algorithm>
#include <stdexcept>

namespace ssi::fake {

class FakeTimer : public Timer {
 public:
  FakeTimer(FakeToolkit& toolkit, int id) : toolkit_(toolkit), id_(id) {}
  ~FakeTimer() override { toolkit_.timers_.erase(id_); }
  void SetEnabled(bool enabled) override {
    auto& state = toolkit_.timers_.at(id_);
    // Enabling restarts the period, as with the system's timers.
    if (enabled && !state.enabled) state.due = toolkit_.now_ + state.interval;
    state.enabled = enabled;
  }
  bool Enabled() const override { return toolkit_.timers_.at(id_).enabled; }

 private:
  FakeToolkit& toolkit_;
  int id_;
};

FakeToolkit::FakeToolkit() {
  answerBox = [](const MessageBoxRequest&) { return 0; };
}

FakeToolkit::~FakeToolkit() = default;

void FakeToolkit::Post(uint64_t delayMs, std::function<void()> action) {
  events_.push_back({now_ + delayMs, nextOrder_++, std::move(action)});
}

bool FakeToolkit::RunDueEvent() {
  auto due = std::min_element(events_.begin(), events_.end(), [](const Event& a, const Event& b) {
    return a.due != b.due ? a.due < b.due : a.order < b.order;
  });
  if (due == events_.end() || due->due > now_) return false;
  auto action = std::move(due->action);
  events_.erase(due);
  action();
  return true;
}

void FakeToolkit::ProcessMessages() {
  while (RunDueEvent()) {
  }
}

void FakeToolkit::HandleMessage() {
  if (RunDueEvent()) return;
  // Nothing pending: move the clock to whatever comes next, a posted event or a timer.
  uint64_t next = UINT64_MAX;
  for (const Event& event : events_) next = std::min(next, event.due);
  int timerId = 0;
  for (auto& [id, state] : timers_) {
    if (state.enabled && state.due < next) {
      next = state.due;
      timerId = id;
    }
  }
  if (next == UINT64_MAX) throw std::logic_error("the fake message loop would wait forever");
  now_ = std::max(now_, next);
  if (timerId != 0) {
    TimerState& state = timers_.at(timerId);
    state.due = now_ + state.interval;
    auto onTimer = state.onTimer;
    onTimer();
    return;
  }
  RunDueEvent();
}

std::unique_ptr<Form> FakeToolkit::CreateForm() {
  auto form = std::make_unique<FakeForm>(*this);
  lastForm_ = form.get();
  return form;
}

std::unique_ptr<Timer> FakeToolkit::CreateTimer(uint32_t intervalMs,
                                                std::function<void()> onTimer) {
  int id = nextTimerId_++;
  timers_[id] = TimerState{intervalMs, false, 0, std::move(onTimer)};
  return std::make_unique<FakeTimer>(*this, id);
}

int FakeToolkit::ShowBox(const MessageBoxRequest& request) {
  boxes.push_back(request);
  return answerBox(request);
}

FakeForm::~FakeForm() {
  if (toolkit_.lastForm_ == this) toolkit_.lastForm_ = nullptr;
}

void FakeForm::Close() {
  if (onCloseQuery && !onCloseQuery()) return;
  if (onClose) onClose();
  visible_ = false;
  closed_ = true;
}

}  // namespace ssi::fake
