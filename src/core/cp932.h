// Path and text helpers for code page 932 strings. A CP932 character is one byte, or two when the
// first is a lead byte (0x81-0x9F, 0xE0-0xFC); the second byte may be 0x5C ('\\') or an ASCII
// letter, so every search here walks characters, never bytes.
#pragma once

#include <string>
#include <string_view>

namespace ssi::cp932 {

bool IsLeadByte(unsigned char byte);

// Index of the first byte of the last character, or npos for an empty text.
size_t LastCharStart(std::string_view text);
// Index of the last character equal to the single-byte character c, or npos.
size_t FindLastChar(std::string_view text, char c);
// Index of the first single-byte character c at or after from, or npos.
size_t FindChar(std::string_view text, char c, size_t from = 0);

bool EndsWithBackslash(std::string_view text);
std::string WithTrailingBackslash(std::string_view folder);
// The part after the last backslash or colon.
std::string FileNamePart(std::string_view path);
// Everything up to and including the last backslash; empty without one.
std::string FolderPart(std::string_view path);
// From the last dot of the file name part on (".scr"), or empty without one.
std::string Extension(std::string_view path);
std::string ChangeExtension(std::string_view path, std::string_view extension);
// ASCII letters compared without case; other bytes and double-byte characters exactly.
bool EqualsIgnoreAsciiCase(std::string_view a, std::string_view b);
std::string ToAsciiLower(std::string_view text);
std::string ToAsciiUpper(std::string_view text);
// The first count characters (never splits a double-byte character).
std::string LeftChars(std::string_view text, size_t count);

}  // namespace ssi::cp932
