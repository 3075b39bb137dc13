#pragma once
#include <DbDatabase.h>

// The host's drawing database.
class CFxDatabase : public OdDbDatabase {
  ODRX_DECLARE_MEMBERS(CFxDatabase);
};
typedef OdSmartPtr<CFxDatabase> CFxDatabasePtr;
