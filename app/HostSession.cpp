#include "HostSession.h"

#include <EdCommandStack.h>
#include <RxDynamicLinker.h>

#include <QDir>
#include <QFileInfo>

namespace hostapp {

HostSession::HostSession()
  : m_commandLine([this](const QString& name) { return execute(name); }),
    m_userIO(m_commandLine),
    m_document(createFxDatabase().get(), &m_userIO),
    m_context(&m_document),
    m_services(m_commandLine, m_appServices),
    m_hostCommands(m_commandLine, m_document, m_scene, m_appServices.fileDialog, [this] {
      if (m_drawingChanged)
        m_drawingChanged();
    })
{
  m_services.document = &m_document;
  setFxSystemServices(&m_services);
}

HostSession::~HostSession()
{
  odrxDynamicLinker()->unloadAll();
  setFxSystemServices(nullptr);
}

void HostSession::loadModules(const QString& folder)
{
  odrxDynamicLinker()->setModuleFolder(CFxString(folder));
  const QStringList files = QDir(folder).entryList({"*.tx"}, QDir::Files, QDir::Name);
  for (const QString& file : files) {
    const QString path = QDir(folder).absoluteFilePath(file);
    if (odrxDynamicLinker()->loadModule(CFxString(path)).isNull())
      m_commandLine.print(CFxString(odrxDynamicLinker()->lastError()));
  }
}

QStringList HostSession::commandTable()
{
  QStringList rows;
  for (const OdEdCommandPtr& command : odedRegCmds()->commands()) {
    const OdRxModule* module = command->module();
    const QString file = module ? QFileInfo(CFxString(module->moduleName())).fileName() : QStringLiteral("dgnhost");
    rows << QStringLiteral("%1\t%2\t%3").arg(CFxString(command->globalName()).toQString(),
                                              CFxString(command->localName()).toQString(), file);
  }
  return rows;
}

bool HostSession::execute(const QString& name)
{
  OdEdCommandPtr command = odedRegCmds()->lookupCmd(CFxString(name));
  if (command.isNull() || command->isUndefined())
    return false;
  command->execute(&m_context);
  return true;
}

void HostSession::UserIO::putString(const OdString& text)
{
  m_commandLine.print(CFxString(text));
}

bool HostSession::UserIO::readLine(const CFxString& prompt, CFxString& answer)
{
  const std::optional<QString> line = m_commandLine.readAnswer(prompt);
  if (!line)
    return false;
  answer = *line;
  return true;
}

OdResBufPtr HostSession::Services::invokeCommand(OdRxObject*, const OdResBuf* command)
{
  QStringList items;
  for (const OdResBuf* rb = command; rb && rb->restype() != OdResBuf::kRtNone; rb = rb->next().get())
    if (rb->restype() == OdResBuf::kRtString)
      items << CFxString(rb->getString()).toQString();
  m_commandLine.runChain(items);
  return OdResBufPtr();
}

CFxString HostSession::Services::defaultFolder() const
{
  return QDir::currentPath();
}

} // namespace hostapp
