// One fake backend, wired together, for a test.
#pragma once

#include "platform/fake/fake_environment.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_libraries.h"
#include "platform/fake/fake_toolkit.h"
#include "platform/platform.h"

namespace ssi::fake {

struct FakePlatform {
  FakeFileSystem files;
  FakeEnvironment env;
  FakeToolkit ui;
  FakeLibraries libs{files};
  Platform platform{files, env, ui, libs};

  FakePlatform() {
    files.AddFolder("C:\\WINDOWS\\system32");
    files.AddFolder("C:\\TEMP");
  }
};

}  // namespace ssi::fake
