// TCompressor: explodes imploded data through the decompression library that start-up writes to
// the Windows folder as "impborl.dll". One object per payload: created, asked whether it is
// Loaded, used for one DecompressToFile, released (which unloads the library).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "core/installer_hooks.h"
#include "platform/platform.h"

namespace ssi {

// The library's call contract (cdecl on i686, the compilers' default there).
extern "C" {
using DclReadCallback = unsigned int (*)(char* buffer, unsigned int* size, void* param);
using DclWriteCallback = void (*)(char* buffer, unsigned int* size, void* param);
using DclExplodeFunction = unsigned int (*)(DclReadCallback read, DclWriteCallback write,
                                            char* workArea, void* param);
}

constexpr size_t kExplodeWorkAreaSize = 12596;
extern const char kDecompressorFileName[];  // "impborl.dll"

class TCompressor {
 public:
  TCompressor(Platform& platform, InstallerHooks& hooks);
  virtual ~TCompressor();
  TCompressor(const TCompressor&) = delete;
  TCompressor& operator=(const TCompressor&) = delete;

  bool Loaded() const { return loaded_; }

  // Explodes size bytes of block into a new file at path. Returns 0, or the system's error number
  // when the file cannot be created (after showing the decompression error). At most outputLimit
  // bytes plus one are written, so corrupt data cannot fill the disk yet still fails a size check.
  int32_t DecompressToFile(const std::string& path, const uint8_t* block, uint32_t size,
                           int64_t outputLimit);

 private:
  static unsigned int ReadInputBlock(char* buffer, unsigned int* size, void* param);
  static void WriteOutputBlock(char* buffer, unsigned int* size, void* param);

  Platform& platform_;
  InstallerHooks& hooks_;
  void* ImplodeEntry = nullptr;
  DclExplodeFunction ExplodeEntry = nullptr;
  void* Crc32Entry = nullptr;
  std::unique_ptr<FileStream> OutputStream;
  std::string InputStream;  // a copy of the imploded block, read from inputPosition_
  size_t inputPosition_ = 0;
  int64_t outputLimit_ = 0;
  int64_t outputWritten_ = 0;
  bool loaded_ = false;
  LibraryHandle Library = nullptr;
};

}  // namespace ssi
