// IoError: the failure of a file routine, carrying the system's error number (or 100 for a
// short read, 101 for a short write). Callers catch it at the edge of an operation and turn it
// into their error code.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace ssi {

class IoError : public std::runtime_error {
 public:
  explicit IoError(int32_t number)
      : std::runtime_error("I/O error " + std::to_string(number)), number_(number) {}
  int32_t number() const { return number_; }

 private:
  int32_t number_;
};

// Error numbers the backends agree on (Windows values, so the fake reports what Windows would).
namespace syserr {
constexpr int32_t kFileNotFound = 2;
constexpr int32_t kPathNotFound = 3;
constexpr int32_t kAccessDenied = 5;
constexpr int32_t kSharingViolation = 32;
constexpr int32_t kFileExists = 80;
constexpr int32_t kDiskFull = 112;
constexpr int32_t kDirNotEmpty = 145;
constexpr int32_t kAlreadyExists = 183;
constexpr int32_t kShortWrite = 101;
}  // namespace syserr

}  // namespace ssi
