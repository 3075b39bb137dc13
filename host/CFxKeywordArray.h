#pragma once
#include "CFxString.h"

#include <vector>

// The keywords a command-line prompt accepts besides its value ("Scale", "Angle", ...).
class CFxKeywordArray {
public:
  void append(const CFxString& keyword) { m_keywords.push_back(keyword); }
  bool isEmpty() const { return m_keywords.empty(); }
  const std::vector<CFxString>& keywords() const { return m_keywords; }

private:
  std::vector<CFxString> m_keywords;
};
