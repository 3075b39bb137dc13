#include "EdCommandContext.h"
#include "EdCommandStack.h"

#include "OdError.h"
#include "RxDynamicLinker.h"
#include "RxObjectImpl.h"

#include <algorithm>
#include <mutex>

ODRX_DEFINE_MEMBERS(OdEdCommand, OdRxObject)
ODRX_DEFINE_MEMBERS(OdEdUserIO, OdRxObject)
ODRX_DEFINE_MEMBERS(OdEdCommandContext, OdRxObject)
ODRX_DEFINE_MEMBERS(OdEdCommandStack, OdRxObject)

namespace {
std::recursive_mutex g_stackMutex;
}

void OdEdCommandStack::addCommand(OdEdCommand* pCommand)
{
  if (!pCommand)
    throw OdError(eInvalidInput);
  std::lock_guard<std::recursive_mutex> lock(g_stackMutex);
  const OdString group = pCommand->groupName();
  const OdString name = pCommand->globalName();
  for (const OdEdCommandPtr& c : m_commands)
    if (c->groupName().iCompare(group) == 0 && c->globalName().iCompare(name) == 0)
      throw OdError(eDuplicateKey, OdString("Command already defined: ") + name);
  pCommand->m_module = odrxDynamicLinker()->moduleBeingInitialised();
  m_commands.emplace_back(pCommand);
}

bool OdEdCommandStack::removeCmd(OdEdCommand* pCommand)
{
  std::lock_guard<std::recursive_mutex> lock(g_stackMutex);
  auto it = std::find_if(m_commands.begin(), m_commands.end(),
                         [&](const OdEdCommandPtr& c) { return c.get() == pCommand; });
  if (it == m_commands.end())
    return false;
  m_commands.erase(it);
  return true;
}

bool OdEdCommandStack::removeCmd(const OdString& groupName, const OdString& globalName)
{
  std::lock_guard<std::recursive_mutex> lock(g_stackMutex);
  auto it = std::find_if(m_commands.begin(), m_commands.end(), [&](const OdEdCommandPtr& c) {
    return c->groupName().iCompare(groupName) == 0 && c->globalName().iCompare(globalName) == 0;
  });
  if (it == m_commands.end())
    return false;
  m_commands.erase(it);
  return true;
}

OdEdCommandPtr OdEdCommandStack::lookupCmd(const OdString& name) const
{
  std::lock_guard<std::recursive_mutex> lock(g_stackMutex);
  for (const OdEdCommandPtr& c : m_commands)
    if (c->globalName().iCompare(name) == 0)
      return c;
  for (const OdEdCommandPtr& c : m_commands)
    if (c->localName().iCompare(name) == 0)
      return c;
  return OdEdCommandPtr();
}

std::vector<OdEdCommandPtr> OdEdCommandStack::commands() const
{
  std::lock_guard<std::recursive_mutex> lock(g_stackMutex);
  return m_commands;
}

OdEdCommandStackPtr odedRegCmds()
{
  static OdStaticRxObject<OdEdCommandStack> s_stack;
  return OdEdCommandStackPtr(&s_stack);
}
