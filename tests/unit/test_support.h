// Helpers shared by the unit suites: a context on the fake backend with recording hooks, and a
// package image builder that lays out a table and payloads independently of sspack.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/installer_context.h"
#include "core/installer_hooks.h"
#include "package/package_layout.h"
#include "platform/fake/fake_platform.h"

namespace ssi::test {

struct ReportedError {
  int32_t code;
  std::string path;
  bool operator==(const ReportedError&) const = default;
};

class RecordingHooks : public InstallerHooks {
 public:
  std::vector<std::string> statuses;
  int progressSteps = 0;
  int pauses = 0;
  std::vector<ReportedError> errors;
  std::vector<ReportedError> systemErrors;  // code and text
  std::vector<std::string> boxes;

  void ShowStatus(const std::string& text) override { statuses.push_back(text); }
  void StepProgress() override { ++progressSteps; }
  void Pause() override { ++pauses; }
  void ReportError(int32_t code, const std::string& path) override {
    errors.push_back({code, path});
  }
  void ReportSystemError(int32_t code, const std::string& text) override {
    systemErrors.push_back({code, text});
  }
  void ErrorBox(const std::string& text) override { boxes.push_back(text); }
};

// A fake machine with a context whose folders are computed as start-up would compute them.
struct Fixture {
  fake::FakePlatform fake;
  RecordingHooks hooks;
  InstallerContext ctx{fake.platform, hooks, 0};

  Fixture() {
    ctx.WindowsFolder = "C:\\WINDOWS\\";
    ctx.SystemFolder = "C:\\WINDOWS\\system32\\";
    ctx.ExePath = fake.env.modulePath;
    ctx.WorkCopyPath = "C:\\TEMP\\ZPX\\temp.dat";
    ctx.DataFolder = "C:\\WINDOWS\\Demo dir\\";
    fake.files.AddFolder("C:\\TEMP\\ZPX");
    fake.files.AddFolder(ctx.DataFolder);
  }
};

struct PayloadSpec {
  std::string name;
  std::string bytes;
  int32_t kind = pkg::kKindDataFile;
  bool imploded = false;
  int32_t unpackedSize = -1;  // -1: the payload's size
};

// An installer image: a stub of stubSize bytes, the table, then the payloads of slots 1 to 10
// without gaps. Returns the file bytes and sets offset to the table's position.
struct PackageImage {
  std::string bytes;
  int32_t offset = 0;
  pkg::TPackageTable table;
};

inline PackageImage BuildImage(const pkg::TPackageHeader& header,
                               const std::vector<std::pair<int, PayloadSpec>>& slots,
                               size_t stubSize = 1024) {
  PackageImage image;
  image.offset = static_cast<int32_t>(stubSize);
  image.table.Header = header;
  image.table.Entries[0] = {"installer.exe", 0, image.offset - 1, pkg::kKindImage, 0, 0,
                            image.offset};
  std::string payloads;
  int32_t next = image.offset + static_cast<int32_t>(pkg::kTableSize);
  for (int slot = 1; slot < static_cast<int>(pkg::kSlotCount); ++slot) {
    pkg::TPackageEntry& entry = image.table.Entries[static_cast<size_t>(slot)];
    entry.StartOffset = next;
    entry.EndOffset = next;
    for (const auto& [index, payload] : slots) {
      if (index != slot) continue;
      entry.Name = payload.name;
      entry.Kind = payload.kind;
      entry.Imploded = payload.imploded ? 1 : 0;
      entry.EndOffset = next + static_cast<int32_t>(payload.bytes.size()) - 1;
      entry.PackedSize = payload.imploded ? static_cast<int32_t>(payload.bytes.size()) : 0;
      entry.UnpackedSize =
          payload.unpackedSize >= 0 ? payload.unpackedSize : static_cast<int32_t>(payload.bytes.size());
      payloads += payload.bytes;
      next += static_cast<int32_t>(payload.bytes.size());
    }
  }
  auto table = pkg::SerializeTable(image.table);
  image.bytes = std::string(stubSize, 'M') + std::string(table.begin(), table.end()) + payloads;
  return image;
}

}  // namespace ssi::test
