#pragma once
#include "CommandLine.h"

#include <CFxDocument.h>
#include <CFxSystemServices.h>

#include <RxObjectImpl.h>

#include <QStringList>

#include <memory>

namespace hostapp {

// One running host: its document, its command line, the services it offers modules, and the
// modules it loaded. Modules are unloaded when the session ends.
class HostSession {
public:
  HostSession();
  ~HostSession();
  HostSession(const HostSession&) = delete;
  HostSession& operator=(const HostSession&) = delete;

  CommandLine& commandLine() { return m_commandLine; }
  CFxDocument& document() { return m_document; }
  void setMainWindow(QWidget* window) { m_services.window = window; }

  // Loads every ".tx" file of the folder, by name order; a file that fails gives one line on
  // the command line and is left out.
  void loadModules(const QString& folder);

  // "GLOBAL<TAB>LOCAL<TAB>module file" for every registered command.
  static QStringList commandTable();

private:
  class UserIO : public OdStaticRxObject<CFxUserIO> {
  public:
    explicit UserIO(CommandLine& commandLine) : m_commandLine(commandLine) {}
    void putString(const OdString& text) override;

  private:
    CommandLine& m_commandLine;
  };

  class Services : public CFxSystemServices {
  public:
    explicit Services(CommandLine& commandLine) : m_commandLine(commandLine) {}
    QWidget* mainWindow() const override { return window; }
    OdResBufPtr invokeCommand(OdRxObject* reserved, const OdResBuf* command) override;
    CFxString defaultFolder() const override;
    QWidget* window = nullptr;

  private:
    CommandLine& m_commandLine;
  };

  bool execute(const QString& name);

  CommandLine m_commandLine;
  UserIO m_userIO;
  CFxDocument m_document;
  OdStaticRxObject<CFxCommandContext> m_context;
  Services m_services;
};

} // namespace hostapp
