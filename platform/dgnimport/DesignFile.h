#pragma once
#include "ElementReader.h"

#include <OdDb.h>

#include <array>
#include <map>
#include <string>

namespace dgn {

// What the control element (the first element of every V7 design file) says about the file.
struct ControlData {
  bool is3d = false;
  int32_t subUnitsPerMaster = 1;
  int32_t uorPerSubUnit = 1;
  std::string masterName, subName;
  double originX = 0.0, originY = 0.0, originZ = 0.0; // in units of resolution
};

// Drawing units of a file's master and sub units, from their names checked against the ratio
// the file stores.
struct FileUnits {
  OdDb::UnitsValue master = OdDb::kUnitsUndefined;
  OdDb::UnitsValue sub = OdDb::kUnitsUndefined;
  // The model's default choice: master units, unless only the sub unit is known.
  bool defaultIsMaster() const { return master != OdDb::kUnitsUndefined || sub == OdDb::kUnitsUndefined; }
};

OdDb::UnitsValue unitFromName(const std::string& name);
FileUnits resolveUnits(const ControlData& control);

// A design file as inspection sees it: valid or not, its control data and its element counts.
class DesignFile {
public:
  // Reads the whole file once, element headers and the control element only.
  static DesignFile inspect(const std::string& path);

  bool exists() const { return m_exists; }
  bool isValid() const { return m_valid; }
  const ControlData& control() const { return m_control; }
  FileUnits units() const { return resolveUnits(m_control); }
  uint64_t elementCount() const { return m_elements; }
  const std::map<int, uint64_t>& countsByType() const { return m_byType; }

  // True when `element` is a usable control element; fills `control`.
  static bool readControl(const Element& element, ControlData& control);

private:
  bool m_exists = false;
  bool m_valid = false;
  ControlData m_control;
  uint64_t m_elements = 0;
  std::map<int, uint64_t> m_byType;
};

} // namespace dgn
