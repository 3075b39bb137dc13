#include "CommandDGNImport.h"

#include "InsertCommand.h"
#include "SdkThreadRegistration.h"

#include <CDgnImportDlg.h>
#include <DgnConversion.h>

#include <CFxDocument.h>
#include <CFxSystemServices.h>

#include <DbSymbolTable.h>

#include <QCoreApplication>
#include <QFile>

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

int CommandDGNImport::executeCommand(OdEdCommandContext* pCmdCtx)
{
  // The host's menu and ribbon texts for this command: translated here, so that they are looked
  // up in this command's translations; the host shows them, the command does not.
  QCoreApplication::translate("CommandDGNImport", "DGN Import...");
  QCoreApplication::translate("CommandDGNImport", "Insert DGN file as block: IMPORTDGN");
  QCoreApplication::translate("CommandDGNImport", "DGN Import");

  clearTempFolder();
  const CFxDocument* document = ACTIVE_DOCUMENT(pCmdCtx);
  CDgnImportDlg dialog(document ? document->userIO() : nullptr, GetFxSystemServices()->mainWindow());
  if (!dialog.getDgnImporter().isNull() && dialog.exec() == 1 && !dialog.getDesignModel().isEmpty() &&
      insertDesignModel(pCmdCtx, dialog) == kNoUserIO)
    return kNoUserIO;
  clearTempFolder();
  return kNormal;
}

int CommandDGNImport::insertDesignModel(OdEdCommandContext* pCmdCtx, CDgnImportDlg& dialog)
{
  const CFxString modelName = dialog.getDesignModel();
  const InsertPointChoice point = dialog.getInsertionPoint();
  const InsertValueChoice scale = dialog.getScale();
  const InsertValueChoice rotation = dialog.getRotation();

  CFxDocument* document = ACTIVE_DOCUMENT(pCmdCtx);
  CFxUserIO* userIO = document ? document->userIO() : nullptr;
  if (!userIO)
    return kNoUserIO;

  const CFxString dgnFile = dialog.getDgnFile();
  const bool explodeTextNodes = dialog.isExplodeTextNodes();
  const CFxString blockName = makeBlockName(dgnFile, modelName, dialog.m_modelUnit);
  CFxString outputPath;

  CFxDatabasePtr database = document->database();
  OdDbBlockTablePtr blocks = OdDbBlockTablePtr(database->getBlockTableId().openObject(OdDb::kForRead));
  if (blocks->getAt(blockName).isValid()) {
    userIO->putMessage(QCoreApplication::translate("CommandDGNImport", "Block \"%1\" is already defined.", nullptr).arg(blockName.toQString(), 0, QLatin1Char(' ')));
    userIO->putMessage(QCoreApplication::translate("CommandDGNImport", "Using existing definition.\n", nullptr));
  }

  int result;
  {
    SdkThreadRegistration registration;
    result = convertDesignModel(dialog.getDgnImporter(), dgnFile, modelName, outputPath, explodeTextNodes,
                                dialog.m_bMasterUnits);
  }
  if (result != 0) {
    userIO->putMessage(QCoreApplication::translate("CommandDGNImport", "Failed to import the DGN design model.", nullptr));
    if (result == kDgnImportOutOfMemory)
      userIO->putMessage(QCoreApplication::translate("CommandDGNImport", "Not enough memory to convert %1.", nullptr)
                           .arg(dgnFile.toQString(), 0, QLatin1Char(' ')));
    return kNormal;
  }

  const OdDb::UnitsValue keptUnits = database->getInsertionUnits();
  database->setInsertionUnits(dialog.getSelectedUnits());
  userIO->putMessage(QCoreApplication::translate("CommandDGNImport", "\n", nullptr));
  OdResBufPtr chain = makeCommandChain(makeInsertCommand(outputPath, point, rotation, scale));
  GetFxSystemServices()->invokeCommand(nullptr, chain.get());
  userIO->putMessage(QCoreApplication::translate("CommandDGNImport", "DGN File imported as block", nullptr));
  database->setInsertionUnits(keptUnits);
  if (QFile::exists(outputPath))
    QFile::remove(outputPath);
  return kNormal;
}
