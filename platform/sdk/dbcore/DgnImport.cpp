#include "DgnImport.h"

// Defined here, once per process, so that every module casts to the same class.
ODRX_DEFINE_MEMBERS(OdDgnImport, OdRxObject)
ODRX_DEFINE_MEMBERS(OdDgnImportModule, OdRxModule)
