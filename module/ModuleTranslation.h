#pragma once
#include <QLocale>
#include <QString>
#include <QTranslator>

// The module's texts in the host's language. While installed, the translation for the locale's
// language, looked up in `folder` (the one embedded in the module file by default), serves every
// text the module translates; a language without one, or a file that does not load, leaves the
// texts English.
class ModuleTranslation {
public:
  explicit ModuleTranslation(QString folder = QStringLiteral(":/translations"));

  // The host's language is the application's default locale. True when a translation was found
  // and installed.
  bool install(const QLocale& locale = QLocale());
  void remove();

private:
  QString m_folder;
  QTranslator m_translator;
  bool m_installed = false;
};
