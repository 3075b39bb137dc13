#pragma once
#include "ElementReader.h"
#include "Symbology.h"

#include <OdDb.h>

#include <array>
#include <map>
#include <optional>
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

// How many elements of one type a file holds, apart from those it marks deleted.
struct TypeCount {
  uint64_t live = 0, deleted = 0;
};

// A design file as inspection sees it: valid or not, its control data, its element counts, its
// colour table and the code page of its two-byte texts.
class DesignFile {
public:
  // Reads the whole file once: element headers, the control element, colour tables and the
  // characters of two-byte texts.
  static DesignFile inspect(const std::string& path);

  bool exists() const { return m_exists; }
  bool isValid() const { return m_valid; }
  const ControlData& control() const { return m_control; }
  FileUnits units() const { return resolveUnits(m_control); }
  uint64_t elementCount() const { return m_elements; }
  const std::map<int, TypeCount>& countsByType() const { return m_byType; }
  // An iconv name; empty when the file has no two-byte text or its code page cannot be told.
  const std::string& codePage() const { return m_codePage; }
  // The colours of the file's last colour table, which MicroStation draws the whole file in;
  // none when it has none.
  const std::optional<ColorTable>& colorTable() const { return m_colorTable; }
  // Whether the file on disk is still the one inspected: same inode, size and modification time.
  bool unchanged(const std::string& path) const;

  // True when `element` is a usable control element; fills `control`.
  static bool readControl(const Element& element, ControlData& control);

private:
  bool m_exists = false;
  bool m_valid = false;
  ControlData m_control;
  uint64_t m_elements = 0;
  std::map<int, TypeCount> m_byType;
  std::string m_codePage;
  std::optional<ColorTable> m_colorTable;
  struct Identity {
    uint64_t inode = 0, size = 0;
    int64_t modified = 0; // nanoseconds
    bool operator==(const Identity& o) const { return inode == o.inode && size == o.size && modified == o.modified; }
  } m_identity;
  static Identity identityOf(const std::string& path);
};

} // namespace dgn
