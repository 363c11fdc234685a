// Layout of the install package that follows the installer's image: a 3152-byte table (a 72-byte
// header and eleven 280-byte entries), then the payloads. Shared by the installer and sspack.
// Records are read and written field by field in little-endian order, never by casting bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ssi::pkg {

constexpr size_t kHeaderSize = 72;
constexpr size_t kEntrySize = 280;
constexpr size_t kSlotCount = 11;
constexpr size_t kTableSize = kHeaderSize + kEntrySize * kSlotCount;  // 3152
constexpr size_t kHeaderNameSize = 64;
constexpr size_t kEntryNameMax = 255;

// The installer keeps PackageOffset right after these 16 bytes in its data, so a builder can find
// and patch it. The text must occur exactly once in an installer image.
constexpr std::string_view kOffsetLocator = "SSPACK:OFFSET:01";

enum Slot : int {
  kSlotInstaller = 0,
  kSlotLibrary = 1,
  kSlotFlashSetup = 2,
  kSlotSplash = 3,
  kSlotLicence = 4,
  kSlotDocument = 5,
  kSlotSaver = 6,
  kSlotData = 7,
  kSlotSettings = 8,
  kSlotLibraryA = 9,
  kSlotLibraryB = 10,
};

// Destination kinds.
enum Kind : int32_t {
  kKindData = 1,
  kKindWindows = 2,
  kKindWindowsLibrary = 3,
  kKindSettings = 4,
  kKindDataFile = 5,
  kKindImage = 6,
};

enum SplashKind : uint8_t {
  kSplashNone = 0,
  kSplashBmp = 1,
  kSplashFlash = 2,
  kSplashFlashAlt = 3,
  kSplashSilent = 4,
  kSplashJpeg = 8,
};

struct TPackageHeader {
  uint8_t SplashKind = 0;
  uint8_t ShowLicence = 0;
  uint8_t HasAfterInstallDocument = 0;
  uint8_t OfferDisplayProperties = 0;
  std::array<char, kHeaderNameSize> Name{};  // NUL padded

  // The name up to its first NUL, at most 64 characters.
  std::string NameText() const;
  void SetName(std::string_view name);  // truncated to 64 bytes
};

struct TPackageEntry {
  std::string Name;  // the first n bytes of the length-prefixed field; empty = empty slot
  int32_t StartOffset = 0;
  int32_t EndOffset = 0;
  int32_t Kind = 0;
  uint8_t Imploded = 0;
  int32_t PackedSize = 0;
  int32_t UnpackedSize = 0;

  // Payload size in 64 bits, so hostile offsets cannot overflow.
  int64_t PayloadSize() const { return int64_t{EndOffset} - int64_t{StartOffset} + 1; }
};

struct TPackageTable {
  TPackageHeader Header;
  std::array<TPackageEntry, kSlotCount> Entries;
};

TPackageTable ParseTable(const std::array<uint8_t, kTableSize>& bytes);
std::array<uint8_t, kTableSize> SerializeTable(const TPackageTable& table);

uint32_t ReadLe32(const uint8_t* p);
void WriteLe32(uint8_t* p, uint32_t value);

}  // namespace ssi::pkg
