#include "platform/win32/win32_libraries.h"

#include "platform/win32/windows_api.h"

#include "platform/win32/encoding.h"

namespace ssi::win32 {

LibraryHandle Win32Libraries::Load(const std::string& path) {
  return ::LoadLibraryW(ToWide(path).c_str());
}

void* Win32Libraries::Resolve(LibraryHandle library, const std::string& name) {
  if (library == nullptr) return nullptr;
  FARPROC proc = ::GetProcAddress(static_cast<HMODULE>(library), name.c_str());
  return reinterpret_cast<void*>(proc);
}

void Win32Libraries::Unload(LibraryHandle library) {
  if (library != nullptr) ::FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace ssi::win32
