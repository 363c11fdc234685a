// Loading a library file and resolving its exports with the system's loader.
#pragma once

#include "platform/libraries.h"

namespace ssi::win32 {

class Win32Libraries : public Libraries {
 public:
  LibraryHandle Load(const std::string& path) override;
  void* Resolve(LibraryHandle library, const std::string& name) override;
  void Unload(LibraryHandle library) override;
};

}  // namespace ssi::win32
