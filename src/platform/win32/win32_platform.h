// The real backend, wired together for the program entry and the Windows contract tests.
#pragma once

#include "platform/win32/windows_api.h"

#include "platform/platform.h"
#include "platform/win32/win32_environment.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_libraries.h"
#include "platform/win32/win32_toolkit.h"

namespace ssi::win32 {

struct Win32Platform {
  explicit Win32Platform(HINSTANCE instance) : ui(instance) {}

  Win32FileSystem files;
  Win32Environment env;
  Win32Toolkit ui;
  Win32Libraries libs;
  Platform platform{files, env, ui, libs};
};

}  // namespace ssi::win32
