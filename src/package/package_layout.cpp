// Field-by-field reading and writing of the package table.
#include "package/package_layout.h"

#include <algorithm>
#include <cstring>

namespace ssi::pkg {

uint32_t ReadLe32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void WriteLe32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

std::string TPackageHeader::NameText() const {
  const char* end = std::find(Name.begin(), Name.end(), '\0');
  return std::string(Name.begin(), end);
}

void TPackageHeader::SetName(std::string_view name) {
  Name.fill('\0');
  std::copy_n(name.begin(), std::min(name.size(), Name.size()), Name.begin());
}

namespace {
constexpr size_t kEntryStart = 256;

int32_t ReadInt(const uint8_t* p) { return static_cast<int32_t>(ReadLe32(p)); }
}  // namespace

TPackageTable ParseTable(const std::array<uint8_t, kTableSize>& bytes) {
  TPackageTable table;
  const uint8_t* h = bytes.data();
  table.Header.SplashKind = h[0];
  table.Header.ShowLicence = h[1];
  table.Header.HasAfterInstallDocument = h[2];
  table.Header.OfferDisplayProperties = h[4];
  std::memcpy(table.Header.Name.data(), h + 5, kHeaderNameSize);
  for (size_t slot = 0; slot < kSlotCount; ++slot) {
    const uint8_t* e = bytes.data() + kHeaderSize + slot * kEntrySize;
    TPackageEntry& entry = table.Entries[slot];
    entry.Name.assign(reinterpret_cast<const char*>(e + 1), e[0]);
    entry.StartOffset = ReadInt(e + kEntryStart);
    entry.EndOffset = ReadInt(e + kEntryStart + 4);
    entry.Kind = ReadInt(e + kEntryStart + 8);
    entry.Imploded = e[kEntryStart + 12];
    entry.PackedSize = ReadInt(e + kEntryStart + 16);
    entry.UnpackedSize = ReadInt(e + kEntryStart + 20);
  }
  return table;
}

std::array<uint8_t, kTableSize> SerializeTable(const TPackageTable& table) {
  std::array<uint8_t, kTableSize> bytes{};
  uint8_t* h = bytes.data();
  h[0] = table.Header.SplashKind;
  h[1] = table.Header.ShowLicence;
  h[2] = table.Header.HasAfterInstallDocument;
  h[4] = table.Header.OfferDisplayProperties;
  std::memcpy(h + 5, table.Header.Name.data(), kHeaderNameSize);
  for (size_t slot = 0; slot < kSlotCount; ++slot) {
    uint8_t* e = bytes.data() + kHeaderSize + slot * kEntrySize;
    const TPackageEntry& entry = table.Entries[slot];
    size_t length = std::min(entry.Name.size(), kEntryNameMax);
    e[0] = static_cast<uint8_t>(length);
    std::memcpy(e + 1, entry.Name.data(), length);
    WriteLe32(e + kEntryStart, static_cast<uint32_t>(entry.StartOffset));
    WriteLe32(e + kEntryStart + 4, static_cast<uint32_t>(entry.EndOffset));
    WriteLe32(e + kEntryStart + 8, static_cast<uint32_t>(entry.Kind));
    e[kEntryStart + 12] = entry.Imploded;
    WriteLe32(e + kEntryStart + 16, static_cast<uint32_t>(entry.PackedSize));
    WriteLe32(e + kEntryStart + 20, static_cast<uint32_t>(entry.UnpackedSize));
  }
  return bytes;
}

}  // namespace ssi::pkg
