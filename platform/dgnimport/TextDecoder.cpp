#include "TextDecoder.h"

#include <iconv.h>
#include <uchardet.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include <strings.h>

namespace dgn {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

void appendCharacter(char32_t c, std::u16string& out)
{
  if (c == 0)
    return; // padding
  if (c == u'\t')
    c = u' ';
  else if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000))
    c = kReplacement;
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
    return;
  }
  c -= 0x10000;
  out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
}

// MicroStation fonts hold fractions in the control range, ordered by denominator: 0x81 is 1/2,
// 0x82 and 0x83 the quarters, 0x84 to 0x87 the eighths, then sixteenths and thirty-seconds.
void appendFraction(uint8_t code, std::u16string& out)
{
  const unsigned v = code - 0x80u;
  if (v == 0) {
    out.push_back(static_cast<char16_t>(kReplacement));
    return;
  }
  unsigned power = 1;
  while (power * 2 <= v)
    power *= 2;
  const unsigned numerator = 2 * (v - power) + 1, denominator = 2 * power;
  static const struct {
    unsigned numerator, denominator;
    char16_t glyph;
  } kVulgar[] = {{1, 2, u'\u00BD'}, {1, 4, u'\u00BC'}, {3, 4, u'\u00BE'}, {1, 8, u'\u215B'},
                 {3, 8, u'\u215C'}, {5, 8, u'\u215D'}, {7, 8, u'\u215E'}};
  for (const auto& f : kVulgar)
    if (f.numerator == numerator && f.denominator == denominator) {
      out.push_back(f.glyph);
      return;
    }
  for (char c : std::to_string(numerator))
    out.push_back(static_cast<char16_t>(c));
  out.push_back(u'\u2044'); // fraction slash
  for (char c : std::to_string(denominator))
    out.push_back(static_cast<char16_t>(c));
}

// What uchardet names, as iconv's name for the Windows form of the same code page, which MicroStation on
// Windows wrote. Only double-byte code pages count: anything else is no answer.
const char* iconvName(const std::string& detected)
{
  static const struct {
    const char* detected;
    const char* iconv;
  } kPages[] = {{"BIG5", "CP950"},    {"SHIFT_JIS", "CP932"}, {"GB18030", "GB18030"}, {"EUC-KR", "CP949"},
                {"UHC", "CP949"},     {"EUC-JP", "EUC-JP"},   {"EUC-TW", "EUC-TW"},   {"ISO-2022-JP", "CP932"}};
  for (const auto& page : kPages)
    if (detected == page.detected)
      return page.iconv;
  return nullptr;
}

// The double-byte code page of the system's locale, from the usual environment variables.
const char* localeCodePage()
{
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"})
    if ((locale = std::getenv(name)) && *locale)
      break;
  if (!locale)
    return nullptr;
  static const struct {
    const char* prefix;
    const char* iconv;
  } kLocales[] = {{"zh_TW", "CP950"}, {"zh_HK", "BIG5-HKSCS"}, {"zh", "GB18030"}, {"ja", "CP932"}, {"ko", "CP949"}};
  for (const auto& l : kLocales)
    if (std::strncmp(locale, l.prefix, std::strlen(l.prefix)) == 0)
      return l.iconv;
  return nullptr;
}

// Big5 files from Hong Kong hold characters of its supplementary set (HKSCS) beside Big5's own,
// which Big5 as Windows writes it lacks.
bool isBig5(const std::string& codePage)
{
  return strcasecmp(codePage.c_str(), "CP950") == 0 || strcasecmp(codePage.c_str(), "BIG5") == 0;
}

// The one character `bytes` are in `converter`'s code page, or U+FFFD.
char32_t convert(void* converter, char* bytes, size_t count)
{
  if (converter == kNoConverter)
    return kReplacement;
  uint8_t out[8];
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outLeft = sizeof out;
  iconv_t cd = static_cast<iconv_t>(converter);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  const size_t done = iconv(cd, &bytes, &count, &outPtr, &outLeft);
  if (done == size_t(-1) || count != 0 || outLeft != sizeof out - 4)
    return kReplacement;
  return char32_t(out[0]) | (char32_t(out[1]) << 8) | (char32_t(out[2]) << 16) | (char32_t(out[3]) << 24);
}

} // namespace

TextDecoder::TextDecoder(const std::string& codePage)
  : m_iconv(codePage.empty() ? kNoConverter : iconv_open("UTF-32LE", codePage.c_str())),
    m_hongKong(isBig5(codePage) ? iconv_open("UTF-32LE", "BIG5-HKSCS") : kNoConverter)
{
}

TextDecoder::~TextDecoder()
{
  for (void* converter : {m_iconv, m_hongKong})
    if (converter != kNoConverter)
      iconv_close(static_cast<iconv_t>(converter));
}

char32_t TextDecoder::codePageCharacter(unsigned word)
{
  if (word < 0x80)
    return word;
  char in[2];
  size_t count = 0;
  if (word > 0xFF)
    in[count++] = static_cast<char>(word >> 8);
  in[count++] = static_cast<char>(word & 0xFF);
  const char32_t c = convert(m_iconv, in, count);
  return c == kReplacement ? convert(m_hongKong, in, count) : c;
}

void TextDecoder::appendTwoByte(const uint8_t* bytes, size_t count, std::u16string& out)
{
  size_t i = 2;
  for (; i + 1 < count; i += 2)
    appendCharacter(codePageCharacter(bytes[i] | (unsigned(bytes[i + 1]) << 8)), out);
  if (i < count) // an odd count leaves a byte of no character
    appendCharacter(bytes[i] < 0x80 ? bytes[i] : kReplacement, out);
}

OdString TextDecoder::decode(const uint8_t* bytes, size_t count)
{
  std::u16string text;
  text.reserve(count);
  if (isTwoByte(bytes, count)) {
    appendTwoByte(bytes, count, text);
    return OdString(std::move(text));
  }
  for (size_t i = 0; i < count; ++i) {
    if (bytes[i] >= 0x80 && bytes[i] < 0xA0)
      appendFraction(bytes[i], text);
    else
      appendCharacter(bytes[i], text);
  }
  return OdString(std::move(text));
}

void TextDecoder::appendCodePageBytes(const uint8_t* bytes, size_t count, std::string& out)
{
  for (size_t i = 2; i + 1 < count; i += 2) {
    if (bytes[i + 1] != 0)
      out.push_back(static_cast<char>(bytes[i + 1]));
    out.push_back(static_cast<char>(bytes[i]));
  }
}

std::string detectCodePage(const std::string& twoByteText)
{
  if (twoByteText.empty())
    return {};
  std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(uchardet_new(), uchardet_delete);
  const char* page = nullptr;
  if (detector && uchardet_handle_data(detector.get(), twoByteText.data(), twoByteText.size()) == 0) {
    uchardet_data_end(detector.get());
    page = iconvName(uchardet_get_charset(detector.get()));
  }
  if (!page)
    page = localeCodePage();
  return page ? page : std::string();
}

} // namespace dgn
