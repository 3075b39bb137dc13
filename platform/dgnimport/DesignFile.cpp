#include "DesignFile.h"

#include "DgnFormat.h"
#include "ElementGeometry.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>

namespace dgn {

namespace {

// Two-byte text enough to tell its code page by; more only takes longer.
constexpr size_t kCodePageSample = 64 * 1024;
// The control element reaches at least to the global origin.
constexpr uint32_t kControlBytes = 1264;

struct NamedUnit {
  const char* name;
  OdDb::UnitsValue units;
};

// Unit names are two characters in a design file; these are the spellings in common use.
constexpr NamedUnit kNames[] = {
  {"m", OdDb::kUnitsMeters},       {"mt", OdDb::kUnitsMeters},      {"me", OdDb::kUnitsMeters},
  {"mm", OdDb::kUnitsMillimeters}, {"cm", OdDb::kUnitsCentimeters}, {"dm", OdDb::kUnitsDecimeters},
  {"km", OdDb::kUnitsKilometers},  {"um", OdDb::kUnitsMicrons},
  {"ft", OdDb::kUnitsFeet},        {"fe", OdDb::kUnitsFeet},        {"'", OdDb::kUnitsFeet},
  {"in", OdDb::kUnitsInches},      {"\"", OdDb::kUnitsInches},      {"yd", OdDb::kUnitsYards},
  {"ya", OdDb::kUnitsYards},       {"mi", OdDb::kUnitsMiles},       {"ml", OdDb::kUnitsMils},
  {"th", OdDb::kUnitsMils},        {"sf", OdDb::kUnitsUSSurveyFeet},
};

// Metres per unit, for checking a file's names against its ratio.
double metres(OdDb::UnitsValue u)
{
  switch (u) {
  case OdDb::kUnitsMeters: return 1.0;
  case OdDb::kUnitsMillimeters: return 1e-3;
  case OdDb::kUnitsCentimeters: return 1e-2;
  case OdDb::kUnitsDecimeters: return 1e-1;
  case OdDb::kUnitsKilometers: return 1e3;
  case OdDb::kUnitsMicrons: return 1e-6;
  case OdDb::kUnitsFeet: return 0.3048;
  case OdDb::kUnitsInches: return 0.0254;
  case OdDb::kUnitsYards: return 0.9144;
  case OdDb::kUnitsMiles: return 1609.344;
  case OdDb::kUnitsMils: return 2.54e-5;
  case OdDb::kUnitsUSSurveyFeet: return 1200.0 / 3937.0;
  default: return 0.0;
  }
}

bool sameSize(double a, double b)
{
  return a > 0.0 && b > 0.0 && std::fabs(a - b) <= 1e-6 * std::max(a, b);
}

// The unit of the given size, if one of the named units has it.
OdDb::UnitsValue unitOfSize(double size)
{
  for (const NamedUnit& n : kNames)
    if (sameSize(metres(n.units), size))
      return n.units;
  return OdDb::kUnitsUndefined;
}

std::string nameAt(const Element& e, uint32_t offset)
{
  const uint32_t end = e.textEnd(offset, offset + 2);
  return end > offset ? std::string(reinterpret_cast<const char*>(e.data()) + offset, end - offset) : std::string();
}

} // namespace

OdDb::UnitsValue unitFromName(const std::string& raw)
{
  std::string name;
  for (char c : raw)
    if (!std::isspace(static_cast<unsigned char>(c)))
      name.push_back(c);
  for (char& c : name)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  // MicroStation's placeholders for a unit given no name ("master unit", "sub unit").
  if (name == "mu" || name == "su")
    return OdDb::kUnitsUndefined;
  for (const NamedUnit& n : kNames)
    if (name == n.name)
      return n.units;
  return OdDb::kUnitsUndefined;
}

FileUnits resolveUnits(const ControlData& control)
{
  const FileUnits named{unitFromName(control.masterName), unitFromName(control.subName)};
  const double ratio = control.subUnitsPerMaster;
  const bool bothKnown = named.master != OdDb::kUnitsUndefined && named.sub != OdDb::kUnitsUndefined;
  if (!bothKnown || sameSize(metres(named.master), metres(named.sub) * ratio))
    return named;
  // The names contradict the stored ratio: keep the name the ratio agrees with, taking the
  // other unit from the ratio; when neither reading fits, keep the master name alone.
  const FileUnits byMaster{named.master, unitOfSize(metres(named.master) / ratio)};
  if (byMaster.sub != OdDb::kUnitsUndefined)
    return byMaster;
  const FileUnits bySub{unitOfSize(metres(named.sub) * ratio), named.sub};
  if (bySub.master != OdDb::kUnitsUndefined)
    return bySub;
  return {named.master, OdDb::kUnitsUndefined};
}

bool DesignFile::readControl(const Element& e, ControlData& control)
{
  if (e.type() != ElementType::DesignFileHeader || (e.level() != 8) || e.size() < kControlBytes)
    return false;
  control.is3d = (e.u8(1214) & 0x40) != 0;
  // A ratio of zero or less cannot scale anything; read such files as if it were one.
  control.subUnitsPerMaster = std::max<int32_t>(1, e.i32(1112));
  control.uorPerSubUnit = std::max<int32_t>(1, e.i32(1116));
  control.masterName = nameAt(e, 1120);
  control.subName = nameAt(e, 1122);
  control.originX = e.f64(1240);
  control.originY = e.f64(1248);
  control.originZ = e.f64(1256);
  for (double v : {control.originX, control.originY, control.originZ})
    if (!std::isfinite(v))
      return false;
  return e.intact();
}

DesignFile::Identity DesignFile::identityOf(const std::string& path)
{
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return {};
  return {uint64_t(info.st_ino), uint64_t(info.st_size),
          int64_t(info.st_mtim.tv_sec) * 1000000000 + int64_t(info.st_mtim.tv_nsec)};
}

bool DesignFile::unchanged(const std::string& path) const
{
  return m_exists && identityOf(path) == m_identity;
}

DesignFile DesignFile::inspect(const std::string& path)
{
  DesignFile file;
  struct stat info {};
  file.m_exists = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  if (!file.m_exists)
    return file;
  file.m_identity = identityOf(path);
  ElementReader reader(path);
  Element element;
  if (reader.next(element) != ElementReader::Status::Element || !readControl(element, file.m_control))
    return file;
  ElementReader::Status status = ElementReader::Status::Element;
  std::string twoByteText;
  std::array<TypeCount, 128> byType{}; // types are 7 bits; the map is filled once at the end
  do {
    ++file.m_elements;
    TypeCount& count = byType[size_t(element.type())];
    ++(element.isDeleted() ? count.deleted : count.live);
    if (element.type() == ElementType::GroupData && element.level() == 1 && !element.isDeleted())
      if (std::optional<ColorTable> colors = colorTableOf(element))
        file.m_colorTable = colors;
    if (element.type() == ElementType::Text && !element.isDeleted() && twoByteText.size() < kCodePageSample) {
      uint32_t characters = 0;
      const uint32_t at = textCharacters(element, file.m_control.is3d, characters);
      if (TextDecoder::isTwoByte(element.data() + at, characters)) {
        TextDecoder::appendCodePageBytes(element.data() + at, characters, twoByteText);
        twoByteText.push_back('\n');
      }
    }
  } while ((status = reader.next(element)) == ElementReader::Status::Element);
  for (size_t type = 0; type < byType.size(); ++type)
    if (byType[type].live || byType[type].deleted)
      file.m_byType[int(type)] = byType[type];
  file.m_valid = status == ElementReader::Status::End;
  file.m_codePage = detectCodePage(twoByteText);
  return file;
}

} // namespace dgn
