// TCompressor: loading the decompression library and exploding one block into a file.
#include "package/compressor.h"

#include <algorithm>
#include <cstring>

#include "core/cp932.h"
#include "platform/io_error.h"
#include "res/strings.h"

namespace ssi {

const char kDecompressorFileName[] = "impborl.dll";

namespace {
// The library keeps its decoding state here for one call; only one decompression runs at a time.
alignas(16) char ExplodeWorkArea[kExplodeWorkAreaSize];
}  // namespace

TCompressor::TCompressor(Platform& platform, InstallerHooks& hooks)
    : platform_(platform), hooks_(hooks) {
  // The system's own answer, not WindowsFolder: the two name the same folder.
  const std::string path =
      cp932::WithTrailingBackslash(platform_.env.WindowsDirectory()) + kDecompressorFileName;
  if (!platform_.files.FileExists(path)) return;
  Library = platform_.libs.Load(path);
  if (Library == nullptr) return;
  ImplodeEntry = platform_.libs.Resolve(Library, "_implode");
  ExplodeEntry = reinterpret_cast<DclExplodeFunction>(platform_.libs.Resolve(Library, "_explode"));
  Crc32Entry = platform_.libs.Resolve(Library, "_crc32");
  if (ImplodeEntry != nullptr && ExplodeEntry != nullptr && Crc32Entry != nullptr) {
    loaded_ = true;
  } else {
    platform_.libs.Unload(Library);
    Library = nullptr;
  }
}

TCompressor::~TCompressor() {
  if (loaded_) platform_.libs.Unload(Library);
  loaded_ = false;
}

int32_t TCompressor::DecompressToFile(const std::string& path, const uint8_t* block, uint32_t size,
                                      int64_t outputLimit) {
  InputStream.assign(reinterpret_cast<const char*>(block), size);
  inputPosition_ = 0;
  outputLimit_ = outputLimit;
  outputWritten_ = 0;
  try {
    OutputStream = platform_.files.Create(path);
  } catch (const IoError& e) {
    InputStream.clear();
    hooks_.ReportSystemError(e.number(), res::Str(res::kUnzipError));
    return e.number();
  }
  TCompressor* self = this;
  ExplodeEntry(&TCompressor::ReadInputBlock, &TCompressor::WriteOutputBlock, ExplodeWorkArea,
               &self);
  try {
    OutputStream->Close();
  } catch (const IoError&) {
    // A file that could not be completed fails the caller's size check.
  }
  OutputStream.reset();
  InputStream.clear();
  return 0;
}

unsigned int TCompressor::ReadInputBlock(char* buffer, unsigned int* size, void* param) {
  // Runs inside the library: nothing may escape as an exception.
  try {
    auto** ref = static_cast<TCompressor**>(param);
    if (ref == nullptr || *ref == nullptr || buffer == nullptr || size == nullptr) return 0;
    TCompressor& self = **ref;
    size_t count = std::min<size_t>(*size, self.InputStream.size() - self.inputPosition_);
    std::memcpy(buffer, self.InputStream.data() + self.inputPosition_, count);
    self.inputPosition_ += count;
    return static_cast<unsigned int>(count);
  } catch (...) {
    return 0;
  }
}

void TCompressor::WriteOutputBlock(char* buffer, unsigned int* size, void* param) {
  try {
    auto** ref = static_cast<TCompressor**>(param);
    if (ref == nullptr || *ref == nullptr || buffer == nullptr || size == nullptr) return;
    TCompressor& self = **ref;
    if (!self.OutputStream) return;
    // One byte past the limit is enough for the size check to fail; more would only fill the disk.
    int64_t room = self.outputLimit_ + 1 - self.outputWritten_;
    uint32_t count = static_cast<uint32_t>(std::clamp<int64_t>(room, 0, *size));
    if (count == 0) return;
    self.outputWritten_ += self.OutputStream->Write(buffer, count);
  } catch (...) {
    // Swallowed: a short file fails the caller's size check.
  }
}

}  // namespace ssi
