// sspack: builds screen saver installers from installer.exe and the author's files.
#include <iostream>

#include "cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return sspack::RunSspack(args, std::cout, std::cerr);
}
