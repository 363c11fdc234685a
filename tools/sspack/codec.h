// Whole-buffer implode and explode on top of the dcl library.
#pragma once

#include <string>

namespace sspack {

enum class LiteralMode { Binary, Ascii };

std::string Implode(const std::string& data, LiteralMode mode, unsigned dictionarySize);
// Throws std::runtime_error naming the library's status when the stream is damaged.
std::string Explode(const std::string& data);

}  // namespace sspack
