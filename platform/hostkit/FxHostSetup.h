#pragma once
#include <CFxDatabase.h>
#include <CFxSystemServices.h>

// For host applications only: which system services GetFxSystemServices() hands out. Null puts
// back the built-in services (no window, message boxes parented to nothing, no command line).
void setFxSystemServices(CFxSystemServices* services);

// The host's SDK services: databases it makes are CFxDatabase.
class CFxHostAppServices : public OdDbHostAppServices {
public:
  OdDbDatabasePtr createDatabase() const override;
  OdString product() const override;
};

// A new, empty host database.
CFxDatabasePtr createFxDatabase();
