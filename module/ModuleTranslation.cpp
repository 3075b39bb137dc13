#include "ModuleTranslation.h"

#include <QCoreApplication>

ModuleTranslation::ModuleTranslation(QString folder) : m_folder(std::move(folder)) {}

bool ModuleTranslation::install(const QLocale& locale)
{
  remove();
  m_installed = m_translator.load(locale, QStringLiteral("DGNImport"), QStringLiteral("_"), m_folder) &&
                QCoreApplication::installTranslator(&m_translator);
  return m_installed;
}

void ModuleTranslation::remove()
{
  if (m_installed)
    QCoreApplication::removeTranslator(&m_translator);
  m_installed = false;
}
