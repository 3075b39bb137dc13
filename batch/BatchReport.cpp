#include "BatchReport.h"

#include "ReplaceFile.h"

#include <QCoreApplication>
#include <QDateTime>

namespace {
const QString kSeparator = QStringLiteral("    ");
} // namespace

BatchReport::BatchReport() : m_cursor(&m_document), m_plain(m_cursor.charFormat()), m_bold(m_plain)
{
  m_bold.setFontWeight(75);
  label(QCoreApplication::translate("DgnBatch", "DGN Import Report:"));
  newLine();
  value(QCoreApplication::translate("DgnBatch", "Created on %1")
          .arg(QDateTime::currentDateTime().toString(Qt::TextDate)));
  newLine();
  newLine();
}

void BatchReport::label(const QString& text)
{
  m_cursor.insertText(text, m_bold);
}

void BatchReport::value(const QString& text)
{
  m_cursor.insertText(text, m_plain);
}

QString BatchReport::errorText(int code)
{
  switch (code) {
  case 1: return QCoreApplication::translate("DgnBatch", "Unknown Error.");
  case 2: return QCoreApplication::translate("DgnBatch", "Invalid password.");
  case 3: return QCoreApplication::translate("DgnBatch", "Cannot open file.");
  case 4: return QCoreApplication::translate("DgnBatch", "Invalid file.");
  default: return QString();
  }
}

void BatchReport::addFileFailure(const QString& path, const QString& reason)
{
  newLine();
  label(QCoreApplication::translate("DgnBatch", "Failed DGN filename: "));
  value(path + kSeparator);
  label(QCoreApplication::translate("DgnBatch", "Error type: "));
  value(reason);
}

void BatchReport::addModelFailure(const QString& path, const QString& model, int code)
{
  newLine();
  label(QCoreApplication::translate("DgnBatch", "Failed DGN filename:"));
  value(path + kSeparator);
  label(QCoreApplication::translate("DgnBatch", "Model name:"));
  value(model + kSeparator);
  label(QCoreApplication::translate("DgnBatch", "Error type:"));
  value(errorText(code));
}

void BatchReport::addTotals(int convertedFiles, int convertedModels, int failures)
{
  newLine();
  newLine();
  value(QCoreApplication::translate("DgnBatch", "Total number of converted files: %1").arg(convertedFiles));
  newLine();
  value(QCoreApplication::translate("DgnBatch", "Total number of converted Design Model: %1").arg(convertedModels));
  newLine();
  value(QCoreApplication::translate("DgnBatch", "Total number of failed files: %1").arg(failures));
  newLine();
}

bool BatchReport::write(const QString& path) const
{
  const QByteArray bytes = plainText().replace(QLatin1String("\n"), QLatin1String("\r\n")).toUtf8();
  // A folder where the report may be overwritten but nothing created still gets its report.
  return replaceFile(path, [&bytes](QIODevice& file) { return file.write(bytes) == bytes.size(); },
                     WithoutTemporaryFile::OverwriteInPlace);
}
