#pragma once
#include <QString>

// What the import dialog remembers between runs of the command while the module is loaded;
// never written to disk.
struct DgnImportSettings {
  enum SpecifyLater : unsigned { kPoint = 1, kRotation = 2, kScale = 4 };

  unsigned specifyLaterFlags = kPoint;
  double rotationAngle = 0.0; // radians
  double scaleFactor = 1.0;
  double insertX = 0.0, insertY = 0.0, insertZ = 0.0;
  QString dgnPath;
  bool masterUnits = true;
  bool explodeTextNodes = false;
  bool useGlobalSettings = false;
  QString sourceFolder, destinationFolder;
};

// The module's one set of remembered settings.
DgnImportSettings& rememberedSettings();

// Whether the conversion folder has been prepared for the open dialog: its first file or folder
// prompt prepares it; closing the dialog clears the flag.
bool& tempFolderPrepared();

// The options dialog's remembered value: bit 0 is its check box.
unsigned& rememberedImportOptions();
