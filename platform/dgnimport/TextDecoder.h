#pragma once
#include <OdString.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace dgn {

// Turns the characters of a text element into Unicode. Eight-bit text follows MicroStation's
// character set: fractions in 0x81-0x9F, Latin-1 from 0xA0. Two-byte text (it starts with FF FD)
// holds one character per little-endian word in the file's double-byte code page: a word below
// 0x100 is a single-byte character, any other word a lead and a trail byte. No control character
// comes through (a tab becomes a blank); what Big5 cannot decode is tried as Big5-HKSCS; what
// cannot be decoded becomes U+FFFD, one per character.
class TextDecoder {
public:
  // `codePage` is an iconv name; empty, or one iconv does not know, decodes no two-byte character.
  explicit TextDecoder(const std::string& codePage);
  ~TextDecoder();
  TextDecoder(const TextDecoder&) = delete;
  TextDecoder& operator=(const TextDecoder&) = delete;

  OdString decode(const uint8_t* bytes, size_t count);

  static bool isTwoByte(const uint8_t* bytes, size_t count) { return count >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFD; }
  // The characters of two-byte text as the code page writes them (lead byte first).
  static void appendCodePageBytes(const uint8_t* bytes, size_t count, std::string& out);

private:
  void appendTwoByte(const uint8_t* bytes, size_t count, std::u16string& out);
  char32_t codePageCharacter(unsigned word);

  void* m_iconv;    // iconv_t, or (iconv_t)-1
  void* m_hongKong; // Big5-HKSCS, for what Big5 cannot decode; or (iconv_t)-1
};

// The double-byte code page two-byte texts were written in, as an iconv name, from their bytes
// (lead byte first) or, when the bytes do not tell, from the system's locale; empty when neither
// names one.
std::string detectCodePage(const std::string& twoByteText);

} // namespace dgn
