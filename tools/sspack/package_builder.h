// Building an installer from the stub and the author's files, and reading one back.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec.h"
#include "package/package_layout.h"

namespace sspack {

// A problem with the author's input: the message says what to fix.
class BuildError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct BuildOptions {
  std::string stubPath;
  std::string outputPath;
  std::string name;  // UTF-8
  std::optional<int> splashKind;
  bool offerDisplayProperties = false;
  std::optional<bool> showLicence;
  std::optional<bool> afterInstallDocument;
  std::array<std::optional<std::string>, ssi::pkg::kSlotCount> slotFiles;  // slot 0 unused
  std::array<std::optional<std::string>, ssi::pkg::kSlotCount> slotNames;  // UTF-8
  std::optional<LiteralMode> implode;
  unsigned dictionarySize = 4096;
};

// Positions of the PackageOffset locator in an image.
std::vector<size_t> FindOffsetLocators(const std::string& image);
// Reads the PackageOffset stored after the image's one locator; throws BuildError otherwise.
int32_t ReadPackageOffset(const std::string& image);

struct SlotPayload {
  std::string name;  // CP932
  int32_t kind = 0;
  std::string bytes;  // as stored in the package
  bool imploded = false;
  int64_t unpackedSize = 0;
};

// Lays out the table for a stub of stubSize bytes followed by the payloads of slots 1 to 10.
// Throws BuildError when an offset would not fit in 32 bits.
ssi::pkg::TPackageTable PlanTable(int64_t stubSize, const ssi::pkg::TPackageHeader& header,
                                  const std::array<SlotPayload, ssi::pkg::kSlotCount>& slots,
                                  const std::string& stubName);

// Builds the installer file; writes nothing when it throws.
void BuildInstaller(const BuildOptions& options);

struct ListedPackage {
  int32_t offset = 0;
  ssi::pkg::TPackageTable table;
};
ListedPackage ReadPackage(const std::string& installerPath);

std::string ReadWholeFile(const std::string& path);
// Writes through a temporary file, so a failure leaves no partial output.
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace sspack
