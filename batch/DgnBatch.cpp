#include "DgnBatch.h"

#include "BatchReport.h"
#include "ReplaceFile.h"

#include <CDgnImportDlg.h>
#include <DgnConversion.h>
#include <DgnImporter.h>
#include <ImporterProperties.h>
#include <SdkThreadRegistration.h>

#include <RxVariant.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>

#include <new>

using namespace importer_properties;

namespace {

constexpr unsigned long kPausePollMs = 10;

// The model's own default unit choice; `fallback` when the importer gives no bool for it.
bool defaultUnitChoice(OdDgnImport* importer, bool fallback)
{
  OdRxObjectPtr value = importer->properties()->getAt(OdString("ConversionUnits"));
  OdSmartPtr<OdRxVariant> variant = OdRxVariant::cast(value.get());
  if (variant.isNull() || variant->varType() != OdVariant::kBool)
    return fallback;
  return variant->getBool();
}

} // namespace

DgnBatch::DgnBatch(CDgnImportDlg* owner) : QThread(nullptr), m_owner(owner)
{
  QObject::connect(this, SIGNAL(signalUpdate(int)), owner, SLOT(updatePB(int)));
}

DgnBatch::~DgnBatch() = default;

void DgnBatch::pause()
{
  m_paused = true;
  if (isRunning())
    setPriority(QThread::LowestPriority);
}

void DgnBatch::resume()
{
  m_paused = false;
  if (isRunning())
    setPriority(QThread::NormalPriority);
}

void DgnBatch::idleWhilePaused() const
{
  QThread::msleep(kPausePollMs);
}

bool DgnBatch::stopAfterConversion() const
{
  while (m_paused && !m_cancel && m_progressBar)
    idleWhilePaused();
  return m_cancel;
}

void DgnBatch::run()
{
  // A conversion reports running out of memory as its result; should the run's own bookkeeping
  // run out, the run ends as a stopped one does (no report) instead of ending the host with an
  // exception that leaves its thread.
  try {
    convertFiles();
  } catch (const std::bad_alloc&) {
    try {
      if (m_owner)
        m_owner->resetDgnImporter();
    } catch (const std::bad_alloc&) {
    }
  }
}

void DgnBatch::convertFiles()
{
  if (m_progressBar && m_owner)
    emit signalUpdate(0);
  if (m_fileNames.isEmpty())
    return;
  SdkThreadRegistration registration;
  const int fileCount = m_fileNames.size();
  if (QProgressBar* bar = m_progressBar)
    QMetaObject::invokeMethod(bar, "setMaximum", Qt::QueuedConnection, Q_ARG(int, fileCount));

  BatchReport report;
  // The cancel flag is not cleared here: a stop asked for since start() ends this run too.
  int convertedFiles = 0, convertedModels = 0, failures = 0;
  const bool globalSettings = m_owner->isGlobalSettingsChecked();
  const UnitChoiceTable& choices = m_owner->unitChoiceTable();
  const auto abandon = [this] { m_owner->resetDgnImporter(); };

  for (int i = 0; i < fileCount && m_progressBar;) {
    if (m_cancel)
      return abandon();
    m_processing = true;
    if (m_paused) {
      idleWhilePaused();
      continue;
    }
    OdDgnImportPtr importer = m_owner->getDgnImporter();
    const QString path = QDir::toNativeSeparators(m_sourcePath + QDir::separator() + m_fileNames[i]);
    std::vector<CFxString> models;
    const int modelCount = getDesignModelList(importer, path, models);
    if (modelCount == 0) {
      report.addFileFailure(path, QFileInfo(path).exists()
                                    ? QCoreApplication::translate("DgnBatch", "No model exist.")
                                    : QCoreApplication::translate("DgnBatch", "DGN file does not exist."));
      ++failures;
    } else {
      putString(importer.get(), OdString("DgnPath"), CFxString(path));
    }
    bool fileConverted = false;
    CFxString upperName(m_fileNames[i]);
    const auto stored = choices.find(upperName.makeUpper());

    for (int j = 0; j < modelCount && m_progressBar;) {
      if (m_cancel)
        return abandon();
      if (m_paused) {
        idleWhilePaused();
        continue;
      }
      const CFxString& model = models[size_t(j)];
      putString(importer.get(), OdString("DesignModel"), model);
      bool masterUnits = m_masterUnits;
      if (!globalSettings) {
        masterUnits = defaultUnitChoice(importer.get(), masterUnits);
        if (stored != choices.end()) {
          CFxString upperModel(model);
          const auto choice = stored->second.find(upperModel.makeUpper());
          if (choice != stored->second.end())
            masterUnits = choice->second;
        }
      }
      CFxString output;
      const int result = convertDesignModel(importer, path, model, output, m_explodeTextNodes, masterUnits);
      if (stopAfterConversion())
        return abandon();
      if (result != 0) {
        report.addModelFailure(path, model, result);
        ++failures;
      } else if (replaceWithCopy(output, m_destinationPath + QDir::separator() + QFileInfo(output).fileName())) {
        ++convertedModels;
        fileConverted = true;
      }
      ++j;
    }
    if (fileConverted)
      ++convertedFiles;
    importer.release();
    emit signalUpdate(++i);
  }

  if (m_progressBar && m_owner)
    emit signalUpdate(fileCount);
  m_ended = true;
  m_processing = false;
  report.addTotals(convertedFiles, convertedModels, failures);
  report.write(m_destinationPath + QDir::separator() + QStringLiteral("Report.txt"));
  m_owner->resetDgnImporter();
}
