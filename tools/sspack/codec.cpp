#include "codec.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "dcl.h"

namespace sspack {

namespace {

struct Buffers {
  const std::string& input;
  size_t position = 0;
  std::string output;
};

unsigned int ReadChunk(char* buffer, unsigned int* size, void* param) {
  auto* io = static_cast<Buffers*>(param);
  size_t count = std::min<size_t>(*size, io->input.size() - io->position);
  std::memcpy(buffer, io->input.data() + io->position, count);
  io->position += count;
  return static_cast<unsigned int>(count);
}

void WriteChunk(char* buffer, unsigned int* size, void* param) {
  static_cast<Buffers*>(param)->output.append(buffer, *size);
}

}  // namespace

std::string Implode(const std::string& data, LiteralMode mode, unsigned dictionarySize) {
  std::vector<char> work(DCL_IMPLODE_WORK_SIZE);
  Buffers io{data, 0, {}};
  unsigned int type = mode == LiteralMode::Ascii ? DCL_ASCII : DCL_BINARY;
  unsigned int dsize = dictionarySize;
  unsigned int status = dcl_implode(ReadChunk, WriteChunk, work.data(), &io, &type, &dsize);
  if (status != DCL_OK)
    throw std::runtime_error("implode failed with status " + std::to_string(status));
  return io.output;
}

std::string Explode(const std::string& data) {
  std::vector<char> work(DCL_EXPLODE_WORK_SIZE);
  Buffers io{data, 0, {}};
  unsigned int status = dcl_explode(ReadChunk, WriteChunk, work.data(), &io);
  if (status != DCL_OK)
    throw std::runtime_error("the imploded data is damaged (explode status " +
                             std::to_string(status) + ")");
  return io.output;
}

}  // namespace sspack
