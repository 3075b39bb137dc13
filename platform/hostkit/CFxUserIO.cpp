#include <CFxUserIO.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>

namespace {

// "DGN (*.dgn)&*.dgn&&" as Qt name filters; every description gets its patterns.
QStringList nameFilters(const QString& hostFilter)
{
  QStringList filters;
  const QStringList parts = hostFilter.split(QLatin1Char('&'));
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QString patterns = parts[i + 1].trimmed();
    if (description.isEmpty() || patterns.isEmpty())
      break;
    filters << (description.contains(QLatin1Char('(')) ? description
                                                       : QStringLiteral("%1 (%2)").arg(description, patterns));
  }
  return filters;
}

QString unquoted(QString text)
{
  text = text.trimmed();
  if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
    text = text.mid(1, text.size() - 2);
  return text;
}

} // namespace

bool CFxUserIO::readLine(const CFxString&, CFxString&)
{
  return false;
}

int CFxUserIO::getFilePath(bool& forOpening, const CFxString& prompt, const CFxString& title, int, CFxString& path,
                           WId parentWindow, int, const CFxString&, const CFxString& defaultExtension,
                           const CFxString& filter, const CFxString& startFolder, int& fileDialogSetting, int, int,
                           int)
{
  if (fileDialogSetting == 0 || !qobject_cast<QApplication*>(QCoreApplication::instance())) {
    CFxString answer;
    const CFxString question =
      prompt.isEmpty() ? CFxString(QCoreApplication::translate("CFxUserIO", "Enter file name: ")) : prompt;
    if (!readLine(question, answer))
      return kCancel;
    const QString file = unquoted(answer);
    if (file.isEmpty())
      return kCancel;
    path = file;
    return kNormal;
  }

  QFileDialog dialog(QWidget::find(parentWindow),
                     title.isEmpty() ? QCoreApplication::translate("CFxUserIO", "Select File") : title.toQString(),
                     startFolder);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(forOpening ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
  dialog.setFileMode(forOpening ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultExtension);
  const QStringList filters = nameFilters(filter);
  if (!filters.isEmpty())
    dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return kCancel;
  path = dialog.selectedFiles().first();
  return kNormal;
}
