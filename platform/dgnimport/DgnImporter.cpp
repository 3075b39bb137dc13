#include "DgnImporter.h"

#include "Converter.h"

#include <RxObjectImpl.h>

#include <new>

#include <sys/stat.h>

namespace dgn {

namespace {

// What a run made of each element type, as "TYPE->ENTITY=COUNT;", then what it could not
// convert, as "NAME=COUNT;" for the counts that are not zero.
std::string runStatistics(const ConversionStats& stats)
{
  std::string text;
  for (const auto& [from, count] : stats.made)
    text += std::to_string(from.first) + "->" + from.second + "=" + std::to_string(count) + ";";
  const std::pair<const char*, uint64_t> counts[] = {{"unknown elements", stats.unknown},
                                                     {"malformed elements", stats.malformed},
                                                     {"shared cells without definition", stats.unresolvedSharedCells},
                                                     {"multi-lines not converted", stats.multiLines},
                                                     {"3D dimensions not converted", stats.threeDDimensions},
                                                     {"dimensions on elements the file lacks", stats.unresolvedDimensions},
                                                     {"truncated file", stats.truncated ? 1u : 0u}};
  for (const auto& [name, count] : counts)
    if (count)
      text += std::string(name) + "=" + std::to_string(count) + ";";
  return text;
}

} // namespace

DgnImporter::DgnImporter() : m_properties(OdRxObjectImpl<ImportProperties>::createObject()) {}

int DgnImporter::importDgn()
{
  ConversionProgress& progress = m_properties->progress();
  progress.elements = 0;
  progress.bytes = 0;
  m_properties->progressFileBytes() = 0;
  try {
    // An earlier run's database goes first: a failed run answers none, and this run has the
    // memory that it held.
    m_properties->putAt(OdString("Database"), nullptr);
    return run();
  } catch (const std::bad_alloc&) {
    return kDgnImportOutOfMemory; // what the run had made is released on the way out
  } catch (...) {
    return kDgnImportFailure;
  }
}

OdDbDatabasePtr DgnImporter::newDatabase() const
{
  OdRxObjectPtr services = m_properties->getAt(OdString("Services"));
  if (services.isNull())
    return OdRxObjectImpl<OdDbDatabase>::createObject();
  OdDbHostAppServicesPtr host = OdDbHostAppServices::cast(services.get());
  return host.isNull() ? OdDbDatabasePtr() : host->createDatabase();
}

int DgnImporter::run()
{
  const std::string path = m_properties->stringValue("DgnPath").toUtf8();
  const OdString model = m_properties->stringValue("DesignModel");
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return kDgnImportCannotOpen;
  m_properties->progressFileBytes() = uint64_t(info.st_size);
  const DesignFile& file = m_properties->reinspectedFile();
  if (!file.isValid())
    return file.exists() ? kDgnImportInvalidFile : kDgnImportCannotOpen;
  if (!model.isEmpty() && model != OdString("Default"))
    return kDgnImportFailure;
  OdDbDatabasePtr db = newDatabase();
  if (db.isNull())
    return kDgnImportFailure;
  const ImportOptions options = ImportOptions::from(*m_properties);
  const FileUnits units = file.units();
  db->setInsertionUnits(options.masterUnits ? units.master : units.sub);
  Converter converter(db.get(), file.control(), file.codePage(), file.colorTable(), options);
  if (!converter.run(path, &m_properties->progress()))
    return kDgnImportCannotOpen;
  m_properties->setRunStatistics(path, runStatistics(converter.stats()));
  m_properties->putAt(OdString("Database"), db.get());
  return kDgnImportOk;
}

} // namespace dgn
