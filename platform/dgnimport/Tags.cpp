#include "Tags.h"

#include "DgnFormat.h"
#include "Linkages.h"

#include <cstdio>
#include <string>

namespace dgn {

namespace {

constexpr int kTagSetLevel = 24;
// Values are typed: text, a 32-bit integer, or a double.
constexpr int kText = 1, kInteger = 3, kReal = 4;
// Text sizes are stored as multiples of 6/1000 of a unit of resolution, as text elements store them.
constexpr double kSizeUnit = 6.0 / 1000.0;

// Reads the NUL-terminated text at `at`, leaving `at` after its NUL; false when the element ends first.
bool readText(const Element& e, uint32_t& at, std::string& out)
{
  const uint32_t end = e.textEnd(at, e.size());
  if (!e.has(end, 1))
    return false;
  out.assign(reinterpret_cast<const char*>(e.data()) + at, end - at);
  at = end + 1;
  return true;
}

// Plain little-endian, as tags store their numbers.
uint32_t le32(const Element& e, uint32_t at)
{
  return uint32_t(e.le32(at));
}

std::string number(double value)
{
  char text[32];
  std::snprintf(text, sizeof text, "%.15g", value);
  return text;
}

} // namespace

const TagSet::Tag* TagSet::tag(int wanted) const
{
  for (const Tag& t : tags)
    if (t.id == wanted)
      return &t;
  return nullptr;
}

bool isTagSet(const Element& e)
{
  return e.type() == ElementType::ApplicationData && e.level() == kTagSetLevel;
}

bool readTagSet(const Element& e, TagSet& out)
{
  const std::optional<uint32_t> id = Linkages(e).elementId();
  if (!id || !e.has(48, 1))
    return false;
  out.id = *id;
  const int count = e.u16(44);
  uint32_t at = 48;
  std::string text;
  if (!readText(e, at, text))
    return false;
  out.name = OdString(text.c_str());
  ++at; // a byte after the name, always 0
  // Each tag, packed: its name, id, prompt, value type, five option bytes and default value.
  for (int i = 0; i < count; ++i) {
    TagSet::Tag tag;
    if (!readText(e, at, text))
      return false;
    tag.name = OdString(text.c_str());
    tag.id = e.u16(at);
    at += 2;
    if (!readText(e, at, text))
      return false;
    tag.prompt = OdString(text.c_str());
    const int type = e.u16(at);
    at += 2 + 5;
    if (type == kText && !readText(e, at, text))
      return false;
    at += type == kInteger ? 4 : type == kReal ? 8 : 0;
    out.tags.push_back(tag);
  }
  return e.intact();
}

bool readTagValue(const Element& e, const CoordinateMap& map, TextDecoder& decoder, TagValue& out)
{
  if (!e.has(154, 1))
    return false;
  out.hostId = le32(e, 44);
  out.setId = le32(e, 68);
  out.tagId = e.u16(72);
  const int type = e.u16(74);
  const uint32_t length = e.u16(150);
  switch (type) {
  case kText: {
    out.value = decoder.decode(e.data() + 154, e.textEnd(154, 154 + length) - 154);
    break;
  }
  case kInteger: out.value = OdString(std::to_string(e.le32(154)).c_str()); break;
  case kReal: out.value = OdString(number(e.f64(154)).c_str()); break;
  default: return false;
  }
  // The range block is where the tag's text is displayed: its origin lies half a text height
  // above the low corner, as a text element's does.
  const double height = double(e.le32(112)) * kSizeUnit;
  out.origin = map.point(e.range(4), e.range(8) + height / 2.0, e.range(12));
  out.height = map.length(height);
  return e.intact() && height > 0.0;
}

} // namespace dgn
