#pragma once
#include "ElementReader.h"

#include <optional>

namespace dgn {

// The attribute linkages that follow an element's own data: user data linkages (a word of flags
// and length, then their id) and the older four-word database linkages.
class Linkages {
public:
  explicit Linkages(const Element& e) : m_element(e) {}

  // Where the user data linkage of `id` starts, if the element has one.
  std::optional<uint32_t> find(uint16_t id) const;
  // The colour an area fill linkage paints the element's inside with, if it has one.
  std::optional<int> fillColor() const;
  // The id tags and dimensions name the element by, if it has one.
  std::optional<uint32_t> elementId() const;

  static constexpr uint16_t kFill = 0x0041, kElementId = 0x7D2F;

private:
  const Element& m_element;
};

} // namespace dgn
