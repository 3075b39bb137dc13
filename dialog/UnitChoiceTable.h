#pragma once
#include <CFxString.h>

#include <map>

// Orders the host's strings as CFxString::compare does.
struct CFxStringLess {
  bool operator()(const CFxString& a, const CFxString& b) const { return a.compare(b) < 0; }
};

// The unit choices made in the batch tree: by upper-cased file name, by upper-cased design model
// name, true for master units.
using ModelUnitChoices = std::map<CFxString, bool, CFxStringLess>;
using UnitChoiceTable = std::map<CFxString, ModelUnitChoices, CFxStringLess>;
