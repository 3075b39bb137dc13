#include "CommandDGNImport.h"

#include <QCoreApplication>

namespace {
// The host reads this flag; the module only sets it.
constexpr long kCommandFlag = 0x2000000;
} // namespace

CommandDGNImport::CommandDGNImport()
{
  AddFlags(kCommandFlag);
}

const OdString CommandDGNImport::globalName() const
{
  return OdString("_IMPORTDGN");
}

const OdString CommandDGNImport::localName() const
{
  return CFxString(QCoreApplication::translate("CommandDGNImport", "IMPORTDGN",
                                               "Command Name: Needs to be unique and all uppercase."));
}

int CommandDGNImport::executeCommand(OdEdCommandContext*)
{
  // The host's menu and ribbon texts for this command, kept in this command's translations.
  QCoreApplication::translate("CommandDGNImport", "DGN Import...");
  QCoreApplication::translate("CommandDGNImport", "Insert DGN file as block: IMPORTDGN");
  QCoreApplication::translate("CommandDGNImport", "DGN Import");
  return kNormal;
}
