#include "HostCommands.h"

#include "CommandLine.h"
#include "DrawingScene.h"

#include <CFxFileBuf.h>

#include <DxfReader.h>
#include <EdCommandStack.h>
#include <OdError.h>
#include <RxObjectImpl.h>

#include <QFileInfo>
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QRegularExpression>

#include <cmath>

namespace hostapp {

namespace {

class HostCommand : public OdEdCommand {
public:
  void setUp(const char* name, std::function<void()> body)
  {
    m_name = OdString(name);
    m_body = std::move(body);
  }
  const OdString groupName() const override { return OdString("DGNHOST"); }
  const OdString globalName() const override { return OdString("_") + m_name; }
  const OdString localName() const override { return m_name; }
  void execute(OdEdCommandContext*) override { m_body(); }

private:
  OdString m_name;
  std::function<void()> m_body;
};

std::optional<double> parseNumber(const QString& text)
{
  bool ok = false;
  const double value = QLocale::c().toDouble(text.trimmed(), &ok);
  if (!ok || !std::isfinite(value))
    return std::nullopt;
  return value;
}

bool isKeyword(const QString& answer, const char* keyword)
{
  QString word = answer.trimmed();
  if (word.startsWith(QLatin1Char('_')))
    word.remove(0, 1);
  const QString full = QString::fromLatin1(keyword);
  return !word.isEmpty() && (word.compare(full, Qt::CaseInsensitive) == 0 ||
                             word.compare(full.left(1), Qt::CaseInsensitive) == 0);
}

void cancel(CommandLine& commandLine)
{
  commandLine.print(QStringLiteral("*Cancel*"));
}

template <class T>
OdSmartPtr<T> openAs(OdDbObjectId id, OdDb::OpenMode mode)
{
  return OdSmartPtr<T>(T::cast(id.openObject(mode).get()));
}

} // namespace

HostCommands::HostCommands(CommandLine& commandLine, CFxDocument& document, DrawingScene& scene,
                           int& fileDialogSetting, Changed changed)
  : m_commandLine(commandLine), m_document(document), m_scene(scene), m_fileDialogSetting(fileDialogSetting),
    m_changed(std::move(changed))
{
  const std::pair<const char*, void (HostCommands::*)()> table[] = {
    {"-INSERTBLOCK", &HostCommands::insertBlock},
    {"SAVEAS", &HostCommands::saveAs},
    {"PNGOUT", &HostCommands::pictureOut},
    {"ZOOM", &HostCommands::zoom},
    {"FILEDIA", &HostCommands::setFileDialog},
  };
  for (const auto& [name, body] : table) {
    OdSmartPtr<HostCommand> command = OdRxObjectImpl<HostCommand>::createObject();
    command->setUp(name, [this, body = body] { (this->*body)(); });
    odedRegCmds()->addCommand(command.get());
    m_commands.push_back(OdEdCommandPtr(command.get()));
  }
}

HostCommands::~HostCommands()
{
  for (const OdEdCommandPtr& command : m_commands)
    odedRegCmds()->removeCmd(command.get());
}

std::optional<OdGePoint3d> HostCommands::parsePoint(const QString& text)
{
  const QStringList parts = text.split(QLatin1Char(','));
  if (parts.size() < 2 || parts.size() > 3)
    return std::nullopt;
  OdGePoint3d point;
  double* coordinates[] = {&point.x, &point.y, &point.z};
  for (int i = 0; i < parts.size(); ++i) {
    const std::optional<double> value = parseNumber(parts[i]);
    if (!value)
      return std::nullopt;
    *coordinates[i] = *value;
  }
  return point;
}

std::optional<double> HostCommands::parseAngle(const QString& text)
{
  QString number = text.trimmed();
  const bool radians = number.endsWith(QLatin1Char('r'), Qt::CaseInsensitive);
  if (radians)
    number.chop(1);
  const std::optional<double> value = parseNumber(number);
  if (!value)
    return std::nullopt;
  return radians ? *value : *value * M_PI / 180.0;
}

OdDbObjectId HostCommands::blockFor(const QString& path)
{
  const CFxDatabasePtr db = m_document.database();
  const OdString name = CFxString(QFileInfo(path).completeBaseName());
  const OdDbObjectId existing = openAs<OdDbBlockTable>(db->getBlockTableId(), OdDb::kForRead)->getAt(name);
  if (!existing.isNull()) {
    m_commandLine.print(QStringLiteral("Block \"%1\" exists: using its definition.").arg(CFxString(name).toQString()));
    return existing;
  }
  try {
    CFxFileBufPtr stream = CFxFileBuf::createObject();
    if (!stream->Open(CFxString(path), Oda::kFileRead, Oda::kOpenExisting, Oda::kShareDenyNo))
      throw OdError(eFileAccessErr, OdString("the file cannot be opened"));
    OdDbDatabasePtr drawing = dxf::readDrawing(*stream);
    return db->insert(name, drawing.get());
  } catch (const OdError& e) {
    m_commandLine.print(
      QStringLiteral("Cannot read drawing \"%1\": %2").arg(path, CFxString(e.description()).toQString()));
  }
  return OdDbObjectId();
}

void HostCommands::insertBlock()
{
  const std::optional<QString> file = m_commandLine.readAnswer(QStringLiteral("Enter block or file name: "));
  if (!file || file->trimmed().isEmpty())
    return cancel(m_commandLine);
  double scale = 1.0, rotation = 0.0;
  std::optional<OdGePoint3d> point;
  while (!point) {
    const std::optional<QString> answer =
      m_commandLine.readAnswer(QStringLiteral("Specify insertion point or [Scale/Angle]: "));
    if (!answer)
      return cancel(m_commandLine);
    if (isKeyword(*answer, "Scale") || isKeyword(*answer, "Angle")) {
      const bool isScale = isKeyword(*answer, "Scale");
      const std::optional<QString> value = m_commandLine.readAnswer(
        isScale ? QStringLiteral("Specify scale factor <1>: ") : QStringLiteral("Specify rotation angle <0>: "));
      if (!value)
        return cancel(m_commandLine);
      if (value->trimmed().isEmpty())
        continue;
      const std::optional<double> number = isScale ? parseNumber(*value) : parseAngle(*value);
      if (!number || (isScale && *number == 0.0))
        m_commandLine.print(isScale ? QStringLiteral("Requires a nonzero number.") : QStringLiteral("Requires an angle."));
      else
        (isScale ? scale : rotation) = *number;
      continue;
    }
    point = parsePoint(*answer);
    if (!point)
      m_commandLine.print(QStringLiteral("Requires a point x,y or x,y,z, or a keyword."));
  }

  const OdDbObjectId block = blockFor(file->trimmed());
  if (block.isNull())
    return;
  OdDbBlockReferencePtr reference = OdRxObjectImpl<OdDbBlockReference>::createObject();
  reference->blockTableRecord = block;
  reference->position = *point;
  reference->scale = OdGeVector3d{scale, scale, scale};
  reference->rotation = rotation;
  openAs<OdDbBlockTableRecord>(m_document.database()->getModelSpaceId(), OdDb::kForWrite)
    ->appendOdDbEntity(reference.get());
  m_scene.build(*m_document.database());
  if (m_changed)
    m_changed();
}

void HostCommands::saveAs()
{
  const std::optional<QString> answer = m_commandLine.readAnswer(QStringLiteral("Save drawing as: "));
  const QString path = answer ? answer->trimmed() : QString();
  if (path.isEmpty())
    return cancel(m_commandLine);
  try {
    CFxFileBufPtr stream = CFxFileBuf::createObject();
    if (!stream->Open(CFxString(path), Oda::kFileWrite, Oda::kCreateAlways, Oda::kShareDenyNo))
      throw OdError(eFileAccessErr, OdString("the file cannot be created"));
    m_document.database()->writeFile(stream.get(), OdDb::kDxf, OdDb::kDHL_1032, false, 16);
    stream->Close();
    m_commandLine.print(QStringLiteral("Saved \"%1\".").arg(path));
  } catch (const OdError& e) {
    m_commandLine.print(QStringLiteral("Cannot save \"%1\": %2").arg(path, CFxString(e.description()).toQString()));
  }
}

void HostCommands::pictureOut()
{
  const std::optional<QString> answer = m_commandLine.readAnswer(QStringLiteral("Picture file [WIDTHxHEIGHT]: "));
  QString path = answer ? answer->trimmed() : QString();
  QSize size(1024, 768);
  const QRegularExpressionMatch match = QRegularExpression(QStringLiteral("\\s+(\\d{1,5})x(\\d{1,5})$")).match(path);
  if (match.hasMatch()) {
    size = QSize(match.captured(1).toInt(), match.captured(2).toInt());
    path.chop(match.capturedLength());
  }
  if (path.isEmpty() || size.width() < 16 || size.height() < 16 || size.width() > 8192 || size.height() > 8192)
    return cancel(m_commandLine);
  m_scene.build(*m_document.database());
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  m_scene.paint(painter, m_scene.fit(QRectF(QPointF(0, 0), QSizeF(size))), Qt::white);
  painter.end();
  if (image.save(path, "PNG"))
    m_commandLine.print(QStringLiteral("Wrote picture \"%1\".").arg(path));
  else
    m_commandLine.print(QStringLiteral("Cannot write picture \"%1\".").arg(path));
}

void HostCommands::zoom()
{
  const std::optional<QString> answer = m_commandLine.readAnswer(QStringLiteral("Zoom [Extents]: "));
  if (!answer || !isKeyword(*answer, "Extents"))
    return cancel(m_commandLine);
  m_scene.build(*m_document.database());
  if (m_changed)
    m_changed();
}

void HostCommands::setFileDialog()
{
  for (;;) {
    const std::optional<QString> answer =
      m_commandLine.readAnswer(QStringLiteral("Enter new value for FILEDIA <%1>: ").arg(m_fileDialogSetting));
    if (!answer)
      return cancel(m_commandLine);
    const QString value = answer->trimmed();
    if (value.isEmpty())
      return;
    if (value == QLatin1String("0") || value == QLatin1String("1")) {
      m_fileDialogSetting = value.toInt();
      return;
    }
    m_commandLine.print(QStringLiteral("Requires an integer between 0 and 1."));
  }
}

} // namespace hostapp
