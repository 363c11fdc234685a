#include "text_encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace sspack {

namespace {

class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1))
      throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  }
  ~Converter() { iconv_close(cd_); }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts as much as possible; returns the index of the first byte that could not be
  // converted, or npos.
  size_t Convert(const std::string& in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.clear();
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[256];
    while (srcLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, static_cast<size_t>(dst - buffer));
      if (r == static_cast<size_t>(-1) && errno != E2BIG) return in.size() - srcLeft;
    }
    return std::string::npos;
  }

 private:
  iconv_t cd_;
};

}  // namespace

std::optional<std::string> Utf8ToCp932(const std::string& text) {
  Converter converter("CP932", "UTF-8");
  std::string out;
  if (converter.Convert(text, out) != std::string::npos) return std::nullopt;
  return out;
}

std::string Cp932ToUtf8(const std::string& text) {
  Converter converter("UTF-8", "CP932");
  std::string result;
  std::string rest = text;
  while (!rest.empty()) {
    std::string out;
    size_t bad = converter.Convert(rest, out);
    result += out;
    if (bad == std::string::npos) break;
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(rest[bad]));
    result += escaped;
    rest.erase(0, bad + 1);
  }
  return result;
}

}  // namespace sspack
