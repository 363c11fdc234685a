// installer.exe: builds the real platform and runs the installer program.
#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <objbase.h>

#include <cstddef>
#include <cstdint>
#include <exception>

#include "app/fInstall.h"
#include "platform/win32/win32_platform.h"

namespace {

// PackageOffset, where a package builder finds and patches it: a 16-byte marker and right after
// it the offset, little-endian. It lives in initialised writable data and is read through a
// volatile object, so the value in the file is the one used. The marker is spelled out character
// by character: it must occur only here in the image.
struct PackageOffsetRecord {
  char marker[16];
  int32_t offset;
};
static_assert(offsetof(PackageOffsetRecord, offset) == 16 && sizeof(PackageOffsetRecord) == 20);

}  // namespace

__attribute__((used, section(".data"))) volatile PackageOffsetRecord PackageOffset = {
    {'S', 'S', 'P', 'A', 'C', 'K', ':', 'O', 'F', 'F', 'S', 'E', 'T', ':', '0', '1'}, 0};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The Flash control is a COM object used on this thread.
  const HRESULT com = ::CoInitialize(nullptr);
  INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  int exitCode = 0;
  try {
    ssi::win32::Win32Platform platform(instance);
    ssi::RunInstallerProgram(platform.platform, PackageOffset.offset);
  } catch (const std::exception& e) {
    // Only a failure of the platform itself gets here (the program shows its own failures).
    ::MessageBoxA(nullptr, e.what(), "Install", MB_OK | MB_ICONERROR);
    exitCode = 1;
  }
  if (SUCCEEDED(com)) ::CoUninitialize();
  return exitCode;
}
