// Everything the installer's logic may ask of the operating system, handed down by reference.
#pragma once

#include "platform/environment.h"
#include "platform/file_system.h"
#include "platform/libraries.h"
#include "platform/toolkit.h"

namespace ssi {

struct Platform {
  FileSystem& files;
  Environment& env;
  Toolkit& ui;
  Libraries& libs;
};

}  // namespace ssi
