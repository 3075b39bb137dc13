#include "OdString.h"

#include <WinPort.h>

#include <cwctype>

const OdString OdString::kEmpty;

namespace {
OdChar upper(OdChar c)
{
  if (c < 0x80)
    return (c >= u'a' && c <= u'z') ? OdChar(c - 32) : c;
  return static_cast<OdChar>(std::towupper(static_cast<wint_t>(c)));
}
} // namespace

OdString::OdString(const char* utf8) : m_text(winport::utf8ToUtf16(utf8 ? utf8 : "")) {}

std::string OdString::toUtf8() const
{
  return winport::utf16ToUtf8(m_text);
}

int OdString::compare(const OdString& other) const
{
  return m_text.compare(other.m_text);
}

int OdString::iCompare(const OdString& other) const
{
  const size_t n = std::min(m_text.size(), other.m_text.size());
  for (size_t i = 0; i < n; ++i) {
    const OdChar a = upper(m_text[i]);
    const OdChar b = upper(other.m_text[i]);
    if (a != b)
      return a < b ? -1 : 1;
  }
  if (m_text.size() == other.m_text.size())
    return 0;
  return m_text.size() < other.m_text.size() ? -1 : 1;
}

OdString& OdString::makeUpper()
{
  for (OdChar& c : m_text)
    c = upper(c);
  return *this;
}
