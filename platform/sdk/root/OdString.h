#pragma once
#include "OdaCommon.h"

#include <string>

// The SDK string: UTF-16 text. Narrow text handed in or out is UTF-8.
class OdString {
public:
  static const OdString kEmpty;

  OdString() = default;
  OdString(const OdChar* text) : m_text(text ? text : u"") {}
  OdString(const OdChar* text, size_t length) : m_text(text, length) {}
  OdString(std::u16string text) : m_text(std::move(text)) {}
  OdString(const char* utf8);

  const OdChar* c_str() const { return m_text.c_str(); }
  const std::u16string& str() const { return m_text; }
  int getLength() const { return static_cast<int>(m_text.size()); }
  bool isEmpty() const { return m_text.empty(); }
  std::string toUtf8() const;

  int compare(const OdString& other) const;
  // Case-insensitive, as CAD users type names.
  int iCompare(const OdString& other) const;
  OdString& makeUpper();

  OdString& operator+=(const OdString& other)
  {
    m_text += other.m_text;
    return *this;
  }
  friend OdString operator+(OdString a, const OdString& b) { return a += b; }
  friend bool operator==(const OdString& a, const OdString& b) { return a.m_text == b.m_text; }
  friend bool operator!=(const OdString& a, const OdString& b) { return a.m_text != b.m_text; }
  friend bool operator<(const OdString& a, const OdString& b) { return a.m_text < b.m_text; }

private:
  std::u16string m_text;
};
