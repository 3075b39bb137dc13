#pragma once
#include "ConversionProgress.h"
#include "DesignFile.h"

#include <RxDictionary.h>

#include <optional>

namespace dgn {

// The importer's property dictionary: stores what the client puts, and answers the computed
// keys ("IsValidDgnDatabase", "DesignModelList", "ConversionUnits", "MeasurementUnits", and
// "ElementStatistics" for dgninfo) from the current "DgnPath", "DesignModel" and "MasterUnit". The
// file is inspected once per path. "ImportProgress", "ELEMENTS;BYTES;FILEBYTES" of the current or
// latest run, may be read from another thread while the importer runs; nothing else may.
class ImportProperties : public OdRxDictionary {
public:
  OdRxObjectPtr getAt(const OdString& key) const override;
  OdRxObjectPtr putAt(const OdString& key, OdRxObject* value, OdUInt32* retId = nullptr) override;
  bool has(const OdString& key) const override;
  OdUInt32 numEntries() const override;
  std::vector<OdString> keys() const override;

  // The inspection of the current "DgnPath" (an empty one when none is set).
  const DesignFile& file() const;
  // The inspection, made again for a run if the file has changed since it was inspected.
  const DesignFile& reinspectedFile() const;
  OdString stringValue(const char* key) const;
  // What the latest run of `path` could not convert; "ElementStatistics" adds it while "DgnPath"
  // still names that file.
  void setRunStatistics(const std::string& path, std::string text) { m_run = {path, std::move(text)}; }
  // Filled by the run; kept here, as a client may hold the dictionary longer than the importer.
  ConversionProgress& progress() const { return m_progress; }
  std::atomic<uint64_t>& progressFileBytes() const { return m_fileBytes; }

private:
  OdRxObjectPtr computed(const OdString& key) const;

  OdRxDictionaryPtr m_stored = odrxCreateRxDictionary(); // what the client put
  mutable std::optional<std::pair<std::string, DesignFile>> m_inspected;
  std::pair<std::string, std::string> m_run;
  mutable ConversionProgress m_progress;
  mutable std::atomic<uint64_t> m_fileBytes{0};
};

} // namespace dgn
