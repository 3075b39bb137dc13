#pragma once
#include "ImportProperties.h"

#include <DbDatabase.h>
#include <DgnImport.h>

namespace dgn {

// One importer: its properties and the run that converts "DgnPath" into a new database.
class DgnImporter : public OdDgnImport {
public:
  DgnImporter();
  int importDgn() override;
  OdRxDictionaryPtr properties() override { return OdRxDictionaryPtr(m_properties.get()); }

private:
  int run();
  OdDbDatabasePtr newDatabase() const;

  OdSmartPtr<ImportProperties> m_properties;
};

} // namespace dgn
