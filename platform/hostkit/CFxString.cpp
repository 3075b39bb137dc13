#include <CFxString.h>

static_assert(sizeof(char16_t) == sizeof(QChar), "QString holds UTF-16 code units");

CFxString::CFxString(const OdString& text)
  : m_text(reinterpret_cast<const QChar*>(text.c_str()), text.getLength())
{
}

CFxString::CFxString(const char16_t* utf16) : m_text(QString::fromUtf16(utf16)) {}

OdString CFxString::toOdString() const
{
  return OdString(c_str(), static_cast<size_t>(m_text.size()));
}

std::vector<CFxString> CFxString::SplitW(char16_t separator) const
{
  std::vector<CFxString> pieces;
  const QChar sep(separator);
  int start = 0;
  while (start < m_text.size()) {
    const int at = m_text.indexOf(sep, start);
    if (at < 0) {
      pieces.emplace_back(m_text.mid(start));
      break;
    }
    pieces.emplace_back(m_text.mid(start, at - start));
    start = at + 1;
  }
  return pieces;
}

int CFxString::compare(const CFxString& other) const
{
  return QString::compare(m_text, other.m_text, Qt::CaseSensitive);
}

int CFxString::compareNoCase(const CFxString& other) const
{
  return QString::compare(m_text, other.m_text, Qt::CaseInsensitive);
}

CFxString& CFxString::makeUpper()
{
  m_text = m_text.toUpper();
  return *this;
}
