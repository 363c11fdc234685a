// The sspack command line: build, list, implode, explode.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sspack {

// Runs one command; returns the process exit code (0 success, 1 bad input, 2 usage).
int RunSspack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace sspack
