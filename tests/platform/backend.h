// What the contract suite needs from a backend: the platform, a fresh empty scratch folder that
// the backend removes afterwards, and a way to answer the next message box the way a user would.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace contract {

struct SeenBox {
  std::string caption;
  std::string text;
  std::vector<std::string> buttons;
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual ssi::Platform& platform() = 0;
  // A folder path ending in a backslash.
  virtual const std::string& scratch() const = 0;
  // The next box is answered with button index (-1: closed without a button); what it showed is
  // kept for LastBox().
  virtual void AnswerNextBox(int button) = 0;
  virtual SeenBox LastBox() const = 0;
};

std::unique_ptr<Backend> MakeBackend();

}  // namespace contract
