#include "InsertCommand.h"

#include <DgnConversion.h>

namespace {
QString number(const QString& format, double value)
{
  return format.arg(value, 0, 'g', -1, QLatin1Char(' '));
}
} // namespace

CFxString makeBlockName(const CFxString& dgnPath, const CFxString& modelName, OdDb::UnitsValue modelUnit)
{
  return CFxString(convertedBaseName(dgnPath.toQString(), modelName.toQString(), modelUnit));
}

CFxString makeInsertCommand(const CFxString& dwgPath, const InsertPointChoice& point, const InsertValueChoice& rotation,
                            const InsertValueChoice& scale)
{
  CFxString command = QString::fromLatin1("_-INSERTBLOCK;%1;").arg(dwgPath.toQString(), 0, QLatin1Char(' '));
  if (!scale.specifyLater)
    command += number(QString::fromLatin1("_Scale;%1;"), scale.value);
  if (!rotation.specifyLater)
    command += number(QString::fromLatin1("_Angle;%1r;"), rotation.value);
  if (!point.specifyLater)
    command += QString::fromLatin1("%1,%2,%3;")
                 .arg(point.x, 0, 'g', -1, QLatin1Char(' '))
                 .arg(point.y, 0, 'g', -1, QLatin1Char(' '))
                 .arg(point.z, 0, 'g', -1, QLatin1Char(' '));
  return command;
}

OdResBufPtr makeCommandChain(const CFxString& command)
{
  OdResBufPtr head;
  for (const CFxString& piece : command.SplitW(u';')) {
    OdResBufPtr buffer = OdResBuf::newRb(OdResBuf::kRtString, piece.toOdString());
    if (head.isNull())
      head = buffer;
    else
      head->last()->setNext(buffer.get());
  }
  OdResBufPtr end = OdResBuf::newRb(OdResBuf::kRtNone);
  if (head.isNull())
    return end;
  head->last()->setNext(end.get());
  return head;
}
