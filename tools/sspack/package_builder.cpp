// The package builder: payloads, table, offsets and the patched PackageOffset.
#include "package_builder.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "core/safe_name.h"
#include "text_encoding.h"

namespace sspack {

namespace pkg = ssi::pkg;
namespace fs = std::filesystem;

namespace {

struct SlotRole {
  const char* option;
  int32_t kind;
  const char* fixedName;  // the name the installer expects, or nullptr for the file's own
};

// What each slot is for, and the kind the installer relies on.
constexpr std::array<SlotRole, pkg::kSlotCount> kRoles = {{
    {"stub", pkg::kKindImage, nullptr},
    {"--dcl", pkg::kKindWindowsLibrary, "impborl.dat"},
    {"--flash-setup", pkg::kKindWindowsLibrary, "flashax.exe"},
    {"--splash", pkg::kKindDataFile, nullptr},
    {"--licence", pkg::kKindDataFile, nullptr},
    {"--document", pkg::kKindDataFile, nullptr},
    {"--saver", pkg::kKindWindows, nullptr},
    {"--data", pkg::kKindDataFile, nullptr},
    {"--settings", pkg::kKindSettings, nullptr},
    {"--lib", pkg::kKindDataFile, nullptr},
    {"--lib", pkg::kKindDataFile, nullptr},
}};

std::string StoredName(const BuildOptions& options, int slot) {
  std::string utf8;
  if (options.slotNames[slot]) {
    utf8 = *options.slotNames[slot];
  } else if (kRoles[slot].fixedName != nullptr) {
    utf8 = kRoles[slot].fixedName;
  } else {
    utf8 = fs::path(*options.slotFiles[slot]).filename().string();
  }
  std::optional<std::string> name = Utf8ToCp932(utf8);
  if (!name)
    throw BuildError("slot " + std::to_string(slot) + ": the name \"" + utf8 +
                     "\" cannot be written in code page 932");
  if (name->size() > pkg::kEntryNameMax) {
    throw BuildError("slot " + std::to_string(slot) + ": the name \"" + utf8 + "\" is " +
                     std::to_string(name->size()) + " bytes in code page 932; at most 255 fit");
  }
  if (!ssi::IsSafeFileName(*name)) {
    throw BuildError(
        "slot " + std::to_string(slot) + ": \"" + utf8 +
        "\" is not a plain file name (no folders, drive, wildcards, trailing dot or device names)");
  }
  return *name;
}

int SplashKindFromFile(const std::optional<std::string>& splash) {
  if (!splash) return pkg::kSplashNone;
  std::string ext = fs::path(*splash).extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".bmp") return pkg::kSplashBmp;
  if (ext == ".jpg" || ext == ".jpeg") return pkg::kSplashJpeg;
  return pkg::kSplashFlash;
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw BuildError("cannot read \"" + path + "\": " + std::strerror(errno));
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) throw BuildError("cannot create \"" + partial + "\": " + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::error_code ignored;
      fs::remove(partial, ignored);
      throw BuildError("cannot write \"" + partial + "\" (disk full?)");
    }
  }
  std::error_code error;
  fs::rename(partial, path, error);
  if (error) {
    fs::remove(partial, error);
    throw BuildError("cannot create \"" + path + "\": " + error.message());
  }
}

std::vector<size_t> FindOffsetLocators(const std::string& image) {
  std::vector<size_t> found;
  for (size_t at = image.find(pkg::kOffsetLocator); at != std::string::npos;
       at = image.find(pkg::kOffsetLocator, at + 1)) {
    found.push_back(at);
  }
  return found;
}

int32_t ReadPackageOffset(const std::string& image) {
  std::vector<size_t> locators = FindOffsetLocators(image);
  if (locators.size() != 1) {
    throw BuildError("the stub must hold the PackageOffset locator \"" +
                     std::string(pkg::kOffsetLocator) + "\" exactly once; found it " +
                     std::to_string(locators.size()) + " times (is this installer.exe?)");
  }
  size_t at = locators[0] + pkg::kOffsetLocator.size();
  if (at + 4 > image.size()) throw BuildError("the stub ends inside its PackageOffset");
  return static_cast<int32_t>(pkg::ReadLe32(reinterpret_cast<const uint8_t*>(image.data() + at)));
}

pkg::TPackageTable PlanTable(int64_t stubSize, const pkg::TPackageHeader& header,
                             const std::array<SlotPayload, pkg::kSlotCount>& slots,
                             const std::string& stubName) {
  constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
  pkg::TPackageTable table;
  table.Header = header;
  if (stubSize <= 0 || stubSize > kMax)
    throw BuildError("the stub is too large for a 32-bit PackageOffset");
  table.Entries[0] = {stubName, 0, static_cast<int32_t>(stubSize - 1), pkg::kKindImage,
                      0,        0, static_cast<int32_t>(stubSize)};
  int64_t next = stubSize + static_cast<int64_t>(pkg::kTableSize);
  for (size_t slot = 1; slot < pkg::kSlotCount; ++slot) {
    const SlotPayload& payload = slots[slot];
    int64_t size = static_cast<int64_t>(payload.bytes.size());
    // The last byte's offset and the next start must both stay within 32 bits.
    if (next + size > kMax || payload.unpackedSize > kMax) {
      throw BuildError("the installer would pass 2 GiB at slot " + std::to_string(slot) +
                       ": offsets are 32-bit");
    }
    pkg::TPackageEntry& entry = table.Entries[slot];
    entry.Name = payload.name;
    entry.Kind = payload.name.empty() ? 0 : payload.kind;
    entry.StartOffset = static_cast<int32_t>(next);
    entry.EndOffset = static_cast<int32_t>(size == 0 ? next : next + size - 1);
    entry.Imploded = payload.imploded ? 1 : 0;
    entry.PackedSize = payload.imploded ? static_cast<int32_t>(size) : 0;
    entry.UnpackedSize = static_cast<int32_t>(payload.unpackedSize);
    next += size;
  }
  return table;
}

void BuildInstaller(const BuildOptions& options) {
  std::string stub = ReadWholeFile(options.stubPath);
  int32_t existing = ReadPackageOffset(stub);
  if (existing != 0) {
    throw BuildError("\"" + options.stubPath + "\" already carries a package (PackageOffset " +
                     std::to_string(existing) + "); build from the plain installer.exe");
  }

  pkg::TPackageHeader header;
  std::optional<std::string> name = Utf8ToCp932(options.name);
  if (!name) throw BuildError("the package name cannot be written in code page 932");
  if (name->size() > pkg::kHeaderNameSize) {
    throw BuildError("the package name is " + std::to_string(name->size()) +
                     " bytes in code page 932; at most 64 fit");
  }
  header.SetName(*name);
  int splashKind =
      options.splashKind.value_or(SplashKindFromFile(options.slotFiles[pkg::kSlotSplash]));
  if (splashKind < 0 || splashKind > 255) throw BuildError("the splash kind must be 0 to 255");
  header.SplashKind = static_cast<uint8_t>(splashKind);
  header.ShowLicence =
      options.showLicence.value_or(options.slotFiles[pkg::kSlotLicence].has_value()) ? 1 : 0;
  header.HasAfterInstallDocument =
      options.afterInstallDocument.value_or(options.slotFiles[pkg::kSlotDocument].has_value()) ? 1
                                                                                               : 0;
  header.OfferDisplayProperties = options.offerDisplayProperties ? 1 : 0;

  std::array<SlotPayload, pkg::kSlotCount> slots;
  for (int slot = 1; slot < static_cast<int>(pkg::kSlotCount); ++slot) {
    if (!options.slotFiles[slot]) continue;
    SlotPayload& payload = slots[slot];
    payload.name = StoredName(options, slot);
    payload.kind = kRoles[slot].kind;
    std::string bytes = ReadWholeFile(*options.slotFiles[slot]);
    if (bytes.empty())
      throw BuildError("\"" + *options.slotFiles[slot] +
                       "\" is empty; the installer cannot extract an empty file");
    payload.unpackedSize = static_cast<int64_t>(bytes.size());
    // The library and the Flash set-up are read before anything can be exploded: always stored.
    // A file that imploding would not shrink is stored too.
    if (options.implode && slot > pkg::kSlotFlashSetup) {
      std::string packed = Implode(bytes, *options.implode, options.dictionarySize);
      if (packed.size() < bytes.size()) {
        payload.bytes = std::move(packed);
        payload.imploded = true;
      }
    }
    if (!payload.imploded) payload.bytes = std::move(bytes);
  }

  const std::string stubName = fs::path(options.stubPath).filename().string();
  pkg::TPackageTable table = PlanTable(static_cast<int64_t>(stub.size()), header, slots,
                                       Utf8ToCp932(stubName).value_or("installer.exe"));
  size_t locator = FindOffsetLocators(stub)[0] + pkg::kOffsetLocator.size();
  pkg::WriteLe32(reinterpret_cast<uint8_t*>(stub.data() + locator),
                 static_cast<uint32_t>(stub.size()));

  auto tableBytes = pkg::SerializeTable(table);
  std::string image = std::move(stub);
  image.append(reinterpret_cast<const char*>(tableBytes.data()), tableBytes.size());
  for (size_t slot = 1; slot < pkg::kSlotCount; ++slot) image += slots[slot].bytes;
  WriteWholeFile(options.outputPath, image);
}

ListedPackage ReadPackage(const std::string& installerPath) {
  std::string image = ReadWholeFile(installerPath);
  ListedPackage listed;
  // Payloads may contain the locator text too; the stub's own comes first.
  std::vector<size_t> locators = FindOffsetLocators(image);
  if (locators.empty())
    throw BuildError("\"" + installerPath +
                     "\" is not an installer built from our stub (no PackageOffset locator)");
  size_t at = locators[0] + pkg::kOffsetLocator.size();
  if (at + 4 > image.size())
    throw BuildError("\"" + installerPath + "\" ends inside its PackageOffset");
  listed.offset =
      static_cast<int32_t>(pkg::ReadLe32(reinterpret_cast<const uint8_t*>(image.data() + at)));
  if (listed.offset <= 0)
    throw BuildError("\"" + installerPath + "\" carries no package (its PackageOffset is 0)");
  if (static_cast<int64_t>(image.size()) <
      int64_t{listed.offset} + static_cast<int64_t>(pkg::kTableSize)) {
    throw BuildError("\"" + installerPath + "\" ends before its package table");
  }
  std::array<uint8_t, pkg::kTableSize> bytes;
  std::memcpy(bytes.data(), image.data() + listed.offset, bytes.size());
  listed.table = pkg::ParseTable(bytes);
  return listed;
}

}  // namespace sspack
