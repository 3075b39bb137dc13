#pragma once
#include <OdString.h>

#include <QString>

#include <vector>

// The host's string: what crosses every boundary between the host, the SDK and Qt.
class CFxString {
public:
  CFxString() = default;
  CFxString(const QString& text) : m_text(text) {}
  CFxString(const OdString& text);
  CFxString(const char16_t* utf16);
  CFxString(const char* utf8) : m_text(QString::fromUtf8(utf8)) {}

  const QString& toQString() const { return m_text; }
  operator const QString&() const { return m_text; }
  OdString toOdString() const;
  operator OdString() const { return toOdString(); }
  // UTF-16 text, valid while this string is unchanged.
  const char16_t* c_str() const { return reinterpret_cast<const char16_t*>(m_text.utf16()); }

  bool isEmpty() const { return m_text.isEmpty(); }
  int length() const { return m_text.length(); }

  // Pieces between separators, in order. Empty pieces inside are kept; the empty text after a
  // final separator is not a piece, so "a;b;" gives a and b, and "" gives nothing.
  std::vector<CFxString> SplitW(char16_t separator) const;

  // <0, 0, >0 as this sorts before, with, or after other.
  int compare(const CFxString& other) const;
  int compareNoCase(const CFxString& other) const;
  bool equalNoCase(const CFxString& other) const { return compareNoCase(other) == 0; }
  CFxString& makeUpper();

  CFxString& operator+=(const CFxString& other)
  {
    m_text += other.m_text;
    return *this;
  }
  friend CFxString operator+(CFxString a, const CFxString& b) { return a += b; }
  friend bool operator==(const CFxString& a, const CFxString& b) { return a.m_text == b.m_text; }
  friend bool operator!=(const CFxString& a, const CFxString& b) { return a.m_text != b.m_text; }

private:
  QString m_text;
};
