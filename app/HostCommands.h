#pragma once
#include <CFxDocument.h>

#include <EdCommand.h>

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace hostapp {

class CommandLine;
class DrawingScene;

// The host's own commands, on the SDK's command stack for as long as this object lives:
// -INSERTBLOCK (a drawing file as a block), SAVEAS, PNGOUT (a picture of model space), ZOOM, and
// FILEDIA, which sets the system variable of that name (0 or 1) as CAD users type it.
class HostCommands {
public:
  // Called after a command changed the drawing; the view zooms to its extents.
  using Changed = std::function<void()>;

  HostCommands(CommandLine& commandLine, CFxDocument& document, DrawingScene& scene, int& fileDialogSetting,
               Changed changed);
  ~HostCommands();
  HostCommands(const HostCommands&) = delete;
  HostCommands& operator=(const HostCommands&) = delete;

  // "x,y" or "x,y,z" as a point; nothing for anything else.
  static std::optional<OdGePoint3d> parsePoint(const QString& text);
  // An angle in degrees, or in radians with a trailing r; nothing for anything else.
  static std::optional<double> parseAngle(const QString& text);

private:
  void insertBlock();
  void saveAs();
  void pictureOut();
  void zoom();
  void setFileDialog();

  // The block of the file's base name: the drawing's own if it has one, else read from the file.
  // Null, with one line printed, when the file cannot be read.
  OdDbObjectId blockFor(const QString& path);

  CommandLine& m_commandLine;
  CFxDocument& m_document;
  DrawingScene& m_scene;
  int& m_fileDialogSetting;
  Changed m_changed;
  std::vector<OdEdCommandPtr> m_commands;
};

} // namespace hostapp
