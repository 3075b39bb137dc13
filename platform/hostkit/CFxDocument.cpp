#include "FxHostSetup.h"

#include <CFxDocument.h>

#include <RxObjectImpl.h>

ODRX_DEFINE_MEMBERS(CFxDatabase, OdDbDatabase)
ODRX_DEFINE_MEMBERS(CFxCommandContext, OdEdCommandContext)

CFxDatabasePtr createFxDatabase()
{
  return OdRxObjectImpl<CFxDatabase>::createObject();
}

CFxDocument::CFxDocument(CFxDatabase* database, CFxUserIO* userIO) : m_database(database), m_userIO(userIO) {}

OdEdUserIO* CFxCommandContext::userIO()
{
  return m_document ? m_document->userIO() : nullptr;
}

OdRxObject* CFxCommandContext::baseDatabase()
{
  return m_document ? m_document->database().get() : nullptr;
}

CFxDocument* ACTIVE_DOCUMENT(OdEdCommandContext* context)
{
  OdSmartPtr<CFxCommandContext> fx = CFxCommandContext::cast(context);
  return fx ? fx->document() : nullptr;
}
