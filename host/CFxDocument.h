#pragma once
#include "CFxDatabase.h"
#include "CFxUserIO.h"

#include <EdCommandContext.h>

// An open drawing: its database and its command line.
class CFxDocument {
public:
  CFxDocument(CFxDatabase* database, CFxUserIO* userIO);
  CFxDocument(const CFxDocument&) = delete;
  CFxDocument& operator=(const CFxDocument&) = delete;

  CFxDatabasePtr database() const { return m_database; }
  CFxUserIO* userIO() const { return m_userIO; }
  void setUserIO(CFxUserIO* userIO) { m_userIO = userIO; }

private:
  CFxDatabasePtr m_database;
  CFxUserIO* m_userIO;
};

// The context the host runs a command in: the document it was started from.
class CFxCommandContext : public OdEdCommandContext {
  ODRX_DECLARE_MEMBERS(CFxCommandContext);

public:
  explicit CFxCommandContext(CFxDocument* document) : m_document(document) {}
  CFxDocument* document() const { return m_document; }
  OdEdUserIO* userIO() override;
  OdRxObject* baseDatabase() override;

private:
  CFxDocument* m_document;
};

// The document a command runs on, or null when the context has none.
CFxDocument* ACTIVE_DOCUMENT(OdEdCommandContext* context);
