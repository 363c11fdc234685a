// Loading a library file and resolving its exports by name.
#pragma once

#include <string>

namespace ssi {

using LibraryHandle = void*;

class Libraries {
 public:
  virtual ~Libraries() = default;
  // nullptr when the library cannot be loaded.
  virtual LibraryHandle Load(const std::string& path) = 0;
  // nullptr when the export is missing.
  virtual void* Resolve(LibraryHandle library, const std::string& name) = 0;
  virtual void Unload(LibraryHandle library) = 0;
};

}  // namespace ssi
