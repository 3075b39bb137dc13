#pragma once
#include "CommandLine.h"
#include "DrawingScene.h"
#include "HostCommands.h"

#include <CFxDocument.h>
#include <CFxSystemServices.h>
#include <FxHostSetup.h>

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
  const DrawingScene& scene() const { return m_scene; }
  // Called whenever a command has changed the drawing.
  void setDrawingChanged(std::function<void()> changed) { m_drawingChanged = std::move(changed); }

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
    bool readLine(const CFxString& prompt, CFxString& answer) override;

  private:
    CommandLine& m_commandLine;
  };

  // The SDK services with the host's system variable FILEDIA: 1, file prompts show a file
  // dialog; 0, they read the path from the command line.
  class AppServices : public OdStaticRxObject<CFxHostAppServices> {
  public:
    int getFILEDIA() const override { return fileDialog; }
    int fileDialog = 1;
  };

  class Services : public CFxSystemServices {
  public:
    Services(CommandLine& commandLine, AppServices& appServices)
      : m_commandLine(commandLine), m_appServices(appServices)
    {
    }
    QWidget* mainWindow() const override { return window; }
    OdDbHostAppServices* getHostAppServices() override { return &m_appServices; }
    OdResBufPtr invokeCommand(OdRxObject* reserved, const OdResBuf* command) override;
    CFxString defaultFolder() const override;
    CFxDocument* activeDocument() const override { return document; }
    QWidget* window = nullptr;
    CFxDocument* document = nullptr;

  private:
    CommandLine& m_commandLine;
    AppServices& m_appServices;
  };

  bool execute(const QString& name);

  CommandLine m_commandLine;
  UserIO m_userIO;
  CFxDocument m_document;
  OdStaticRxObject<CFxCommandContext> m_context;
  AppServices m_appServices;
  Services m_services;
  DrawingScene m_scene;
  std::function<void()> m_drawingChanged;
  HostCommands m_hostCommands;
};

} // namespace hostapp
