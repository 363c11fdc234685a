// Libraries of the fake backend: a library file that exists on the fake disk loads, and its
// exports are the statically linked codec's entry points. A test can take exports away or make
// loading fail, and counts loads and unloads.
#pragma once

#include <set>
#include <string>

#include "platform/fake/fake_file_system.h"
#include "platform/libraries.h"

namespace ssi::fake {

class FakeLibraries : public Libraries {
 public:
  explicit FakeLibraries(FakeFileSystem& files) : files_(files) {}

  std::set<std::string> missingExports;
  bool failLoading = false;
  int loads = 0;
  int unloads = 0;
  int loaded() const { return loads - unloads; }

  LibraryHandle Load(const std::string& path) override;
  void* Resolve(LibraryHandle library, const std::string& name) override;
  void Unload(LibraryHandle library) override;

 private:
  FakeFileSystem& files_;
  int token_ = 0;
};

}  // namespace ssi::fake
