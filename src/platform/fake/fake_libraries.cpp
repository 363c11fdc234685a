#include "platform/fake/fake_libraries.h"

#include <stdexcept>

#include "dcl.h"

namespace ssi::fake {

LibraryHandle FakeLibraries::Load(const std::string& path) {
  if (failLoading || !files_.FileExists(path)) return nullptr;
  ++loads;
  return &token_;
}

void* FakeLibraries::Resolve(LibraryHandle library, const std::string& name) {
  if (library != &token_ || missingExports.count(name)) return nullptr;
  if (name == "_explode") return reinterpret_cast<void*>(&dcl_explode);
  if (name == "_implode") return reinterpret_cast<void*>(&dcl_implode);
  if (name == "_crc32") return reinterpret_cast<void*>(&dcl_crc32);
  return nullptr;
}

void FakeLibraries::Unload(LibraryHandle library) {
  if (library != &token_) throw std::logic_error("unloading a library that was not loaded");
  ++unloads;
}

}  // namespace ssi::fake
