#include "Linkages.h"

namespace dgn {

namespace {
constexpr uint16_t kUserData = 0x1000;     // flag of the first word of a user data linkage
constexpr uint32_t kDatabaseBytes = 8;     // a linkage without it: four words
constexpr uint32_t kFillColorAt = 8;       // in an area fill linkage
} // namespace

std::optional<uint32_t> Linkages::find(uint16_t id) const
{
  const Element& e = m_element;
  if (!e.has(30, 2))
    return std::nullopt;
  // The index counts words from byte 32; each step moves on by at least a word, so a linkage
  // area of any content ends within the element.
  for (uint32_t at = 32 + 2u * e.u16(30); e.has(at, 4);) {
    const uint16_t flags = e.u16(at);
    if (!(flags & kUserData)) {
      at += kDatabaseBytes; // and padding
      continue;
    }
    if (e.u16(at + 2) == id)
      return at;
    at += 2u * ((flags & 0xFFu) + 1u);
  }
  return std::nullopt;
}

std::optional<int> Linkages::fillColor() const
{
  const std::optional<uint32_t> at = find(kFill);
  if (!at || !m_element.has(*at + kFillColorAt, 1))
    return std::nullopt;
  return m_element.u8(*at + kFillColorAt);
}

std::optional<uint32_t> Linkages::elementId() const
{
  // Plainly little-endian, unlike the element's own integers.
  const std::optional<uint32_t> at = find(kElementId);
  if (!at || !m_element.has(*at + 4, 4))
    return std::nullopt;
  return uint32_t(m_element.le32(*at + 4));
}

} // namespace dgn
