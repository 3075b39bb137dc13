#include "FxHostSetup.h"

#include <OdError.h>
#include <RxObjectImpl.h>

#include <QDir>
#include <QMessageBox>

#include <utility>

namespace {

CFxSystemServices* g_installed = nullptr;

// Windows message-box styles: buttons in the low nibble, the icon in the next one.
struct MessageStyle {
  QMessageBox::Icon icon;
  QMessageBox::StandardButtons buttons;
};

MessageStyle messageStyle(unsigned flags)
{
  MessageStyle style{QMessageBox::NoIcon, QMessageBox::Ok};
  switch (flags & 0xF0) {
  case 0x10: style.icon = QMessageBox::Critical; break;
  case 0x20: style.icon = QMessageBox::Question; break;
  case 0x30: style.icon = QMessageBox::Warning; break;
  case 0x40: style.icon = QMessageBox::Information; break;
  default: break;
  }
  switch (flags & 0x0F) {
  case 1: style.buttons = QMessageBox::Ok | QMessageBox::Cancel; break;
  case 2: style.buttons = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore; break;
  case 3: style.buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel; break;
  case 4: style.buttons = QMessageBox::Yes | QMessageBox::No; break;
  case 5: style.buttons = QMessageBox::Retry | QMessageBox::Cancel; break;
  default: break;
  }
  return style;
}

int windowsButtonId(int button)
{
  switch (button) {
  case QMessageBox::Ok: return 1;
  case QMessageBox::Cancel: return 2;
  case QMessageBox::Abort: return 3;
  case QMessageBox::Retry: return 4;
  case QMessageBox::Ignore: return 5;
  case QMessageBox::Yes: return 6;
  case QMessageBox::No: return 7;
  default: return 2; // closed without a button: Windows answers as for Cancel
  }
}

} // namespace

QWidget* CFxSystemServices::mainWindow() const
{
  return nullptr;
}

int CFxSystemServices::showMessage(const CFxString& text, const CFxString& caption, unsigned flags)
{
  const MessageStyle style = messageStyle(flags);
  QMessageBox box(style.icon, caption, text, style.buttons, mainWindow());
  return windowsButtonId(box.exec());
}

OdDbHostAppServices* CFxSystemServices::getHostAppServices()
{
  static OdStaticRxObject<CFxHostAppServices> s_services;
  return &s_services;
}

OdResBufPtr CFxSystemServices::invokeCommand(OdRxObject*, const OdResBuf*)
{
  throw OdError(eNotApplicable, OdString("This host has no command line to run commands on."));
}

CFxString CFxSystemServices::defaultFolder() const
{
  return QDir::homePath();
}

CFxDocument* CFxSystemServices::activeDocument() const
{
  return nullptr;
}

CFxSystemServices* GetFxSystemServices()
{
  static CFxSystemServices s_builtIn;
  return g_installed ? g_installed : &s_builtIn;
}

void setFxSystemServices(CFxSystemServices* services)
{
  g_installed = services;
}

OdDbDatabasePtr CFxHostAppServices::createDatabase() const
{
  return createFxDatabase();
}

OdString CFxHostAppServices::product() const
{
  return OdString("DGN Host");
}
