// The contract suite on the in-memory backend.
#include "backend.h"
#include "platform/fake/fake_platform.h"

namespace contract {

namespace {

class FakeBackend : public Backend {
 public:
  FakeBackend() { fake_.files.AddFolder(scratch_); }
  ssi::Platform& platform() override { return fake_.platform; }
  const std::string& scratch() const override { return scratch_; }
  void AnswerNextBox(int button) override {
    fake_.ui.answerBox = [button](const ssi::MessageBoxRequest&) { return button; };
  }
  SeenBox LastBox() const override {
    if (fake_.ui.boxes.empty()) return {};
    const ssi::MessageBoxRequest& box = fake_.ui.boxes.back();
    return {box.caption, box.text, box.buttons};
  }

 private:
  ssi::fake::FakePlatform fake_;
  std::string scratch_ = "C:\\scratch\\";
};

}  // namespace

std::unique_ptr<Backend> MakeBackend() { return std::make_unique<FakeBackend>(); }

}  // namespace contract
