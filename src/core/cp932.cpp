// CP932-aware text helpers; see cp932.h.
#include "core/cp932.h"

namespace ssi::cp932 {

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

namespace {

// Calls visit(index, width) for every character; stops when visit returns false.
template <typename Visit>
void ForEachChar(std::string_view text, Visit visit) {
  size_t i = 0;
  while (i < text.size()) {
    // A lead byte at the very end has no trail byte: treat it as a character of its own.
    size_t width = (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
    if (!visit(i, width)) return;
    i += width;
  }
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

size_t LastCharStart(std::string_view text) {
  size_t last = std::string_view::npos;
  ForEachChar(text, [&](size_t i, size_t) {
    last = i;
    return true;
  });
  return last;
}

size_t FindLastChar(std::string_view text, char c) {
  size_t found = std::string_view::npos;
  ForEachChar(text, [&](size_t i, size_t width) {
    if (width == 1 && text[i] == c) found = i;
    return true;
  });
  return found;
}

size_t FindChar(std::string_view text, char c, size_t from) {
  size_t found = std::string_view::npos;
  ForEachChar(text, [&](size_t i, size_t width) {
    if (i >= from && width == 1 && text[i] == c) {
      found = i;
      return false;
    }
    return true;
  });
  return found;
}

bool EndsWithBackslash(std::string_view text) {
  size_t last = LastCharStart(text);
  return last != std::string_view::npos && last == text.size() - 1 && text[last] == '\\';
}

std::string WithTrailingBackslash(std::string_view folder) {
  std::string result(folder);
  if (!EndsWithBackslash(folder)) result += '\\';
  return result;
}

namespace {
size_t LastSeparator(std::string_view path) {
  size_t found = std::string_view::npos;
  ForEachChar(path, [&](size_t i, size_t width) {
    if (width == 1 && (path[i] == '\\' || path[i] == ':')) found = i;
    return true;
  });
  return found;
}
}  // namespace

std::string FileNamePart(std::string_view path) {
  size_t sep = LastSeparator(path);
  return std::string(sep == std::string_view::npos ? path : path.substr(sep + 1));
}

std::string FolderPart(std::string_view path) {
  size_t sep = LastSeparator(path);
  return sep == std::string_view::npos ? std::string() : std::string(path.substr(0, sep + 1));
}

std::string Extension(std::string_view path) {
  size_t sep = LastSeparator(path);
  size_t nameStart = sep == std::string_view::npos ? 0 : sep + 1;
  std::string_view name = path.substr(nameStart);
  size_t dot = FindLastChar(name, '.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string ChangeExtension(std::string_view path, std::string_view extension) {
  std::string current = Extension(path);
  std::string result(path.substr(0, path.size() - current.size()));
  result += extension;
  return result;
}

bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  bool equal = true;
  // Walk a's characters; a double-byte character must match exactly, so a trail byte that
  // happens to be a letter is never folded.
  ForEachChar(a, [&](size_t i, size_t width) {
    if (width == 2) {
      equal = a[i] == b[i] && a[i + 1] == b[i + 1];
    } else {
      equal = AsciiLower(a[i]) == AsciiLower(b[i]);
    }
    return equal;
  });
  return equal;
}

std::string ToAsciiLower(std::string_view text) {
  std::string result(text);
  ForEachChar(text, [&](size_t i, size_t width) {
    if (width == 1) result[i] = AsciiLower(text[i]);
    return true;
  });
  return result;
}

std::string ToAsciiUpper(std::string_view text) {
  std::string result(text);
  ForEachChar(text, [&](size_t i, size_t width) {
    if (width == 1 && text[i] >= 'a' && text[i] <= 'z')
      result[i] = static_cast<char>(text[i] - 'a' + 'A');
    return true;
  });
  return result;
}

std::string LeftChars(std::string_view text, size_t count) {
  size_t end = 0;
  size_t seen = 0;
  ForEachChar(text, [&](size_t i, size_t width) {
    if (seen == count) return false;
    ++seen;
    end = i + width;
    return true;
  });
  return std::string(text.substr(0, end));
}

}  // namespace ssi::cp932
