#include "CDgnImportDlg.h"

#include <DgnImporter.h>
#include <ImporterProperties.h>

#include <CFxSystemServices.h>

#include <QCoreApplication>
#include <QListWidget>
#include <QVBoxLayout>

using namespace importer_properties;

namespace {
// Warning icon and OK button, in Windows message-box styles.
constexpr unsigned kWarningOk = 0x30;
} // namespace

CDgnImportDlg::CDgnImportDlg(QWidget* parent) : QDialog(parent)
{
  setObjectName(QStringLiteral("CDgnImportDlg"));
  auto* layout = new QVBoxLayout(this);
  lwDesignModel = new QListWidget(this);
  lwDesignModel->setObjectName(QStringLiteral("lwDesignModel"));
  layout->addWidget(lwDesignModel);
  initDgnImporter();
}

CDgnImportDlg::~CDgnImportDlg() = default;

bool CDgnImportDlg::initDgnImporter()
{
  m_pDgnImporter = createDgnImporter();
  if (m_pDgnImporter.isNull())
    return false;
  putObject(m_pDgnImporter.get(), OdString("Services"), GetFxSystemServices()->getHostAppServices());
  return true;
}

bool CDgnImportDlg::resetDgnImporter()
{
  m_pDgnImporter.release();
  return initDgnImporter();
}

bool CDgnImportDlg::loadDgnFile(QString path)
{
  if (m_pDgnImporter.isNull())
    return false;
  putString(m_pDgnImporter.get(), OdString("DgnPath"), CFxString(path));
  if (!getBool(m_pDgnImporter.get(), OdString("IsValidDgnDatabase"))) {
    const QString text = QCoreApplication::translate(
      "CFxQtCommandDGNAttachBase",
      "\"%1\" file can not be loaded. \n The problem may be caused by: \n - Data in file are corrupted \n - File has "
      "an earlier format that is not supported \n - File format is not supported")
                           .arg(path, 0, QLatin1Char(' '));
    const QString caption = QCoreApplication::translate("CFxQtCommandDGNAttachBase", "Invalid file");
    GetFxSystemServices()->showMessage(text, caption, kWarningOk);
    return false;
  }
  const std::vector<CFxString> models =
    splitDesignModelList(getString(m_pDgnImporter.get(), OdString("DesignModelList")));
  if (models.empty()) {
    const QString text =
      QCoreApplication::translate("CFxDlgDGNAttach", "%1\ncontains no Design Model.").arg(path, 0, QLatin1Char(' '));
    const QString caption = QCoreApplication::translate("CDgnImportDlg", "Information");
    GetFxSystemServices()->showMessage(text, caption, kWarningOk);
    return false;
  }
  lwDesignModel->clear();
  for (const CFxString& name : models)
    lwDesignModel->addItem(name);
  if (lwDesignModel->count() == 0)
    return false;
  lwDesignModel->setCurrentRow(0);
  return true;
}
