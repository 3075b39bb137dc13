#pragma once
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

// The report of one batch run: a heading, one line per failure, the totals. Labels are bold in
// the document; the file gets its plain text with CR LF line ends, in UTF-8 without a BOM.
class BatchReport {
public:
  BatchReport();

  // A file that yielded no design model.
  void addFileFailure(const QString& path, const QString& reason);
  // A model whose conversion returned the nonzero `code`.
  void addModelFailure(const QString& path, const QString& model, int code);
  void addTotals(int convertedFiles, int convertedModels, int failures);

  QString plainText() const { return m_document.toPlainText(); }
  // Replaces the file `path` with the report, whole, or leaves what is there (see replaceFile);
  // where no new file may be made beside it, writes over it in place. False when the report was
  // not written.
  bool write(const QString& path) const;

  // The error text for a conversion result code; empty for codes without one.
  static QString errorText(int code);

private:
  void label(const QString& text);
  void value(const QString& text);
  void newLine() { m_cursor.insertBlock(); }

  QTextDocument m_document;
  QTextCursor m_cursor;
  QTextCharFormat m_plain, m_bold;
};
