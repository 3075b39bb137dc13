#pragma once
#include "Coordinates.h"
#include "ElementReader.h"
#include "TextDecoder.h"

#include <OdString.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace dgn {

// A tag set definition (an application element on level 24): its id, which tag values name it
// by, its name, and the tags it defines.
struct TagSet {
  struct Tag {
    int id = 0;
    OdString name, prompt;
  };
  uint32_t id = 0;
  OdString name;
  std::vector<Tag> tags;
  const Tag* tag(int id) const;
};
bool isTagSet(const Element& e);
bool readTagSet(const Element& e, TagSet& out);

// A tag value (37): the element it is attached to (by that element's id), its set and tag, its
// value as text, and where it is displayed.
struct TagValue {
  uint32_t hostId = 0, setId = 0;
  int tagId = 0;
  OdString value;
  OdGePoint3d origin;
  double height = 0.0;
};
bool readTagValue(const Element& e, const CoordinateMap& map, TextDecoder& decoder, TagValue& out);

} // namespace dgn
