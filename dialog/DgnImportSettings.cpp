#include "DgnImportSettings.h"

namespace {
DgnImportSettings g_settings;
bool g_tempFolderPrepared = false;
unsigned g_importOptions = 0;
} // namespace

DgnImportSettings& rememberedSettings()
{
  return g_settings;
}

bool& tempFolderPrepared()
{
  return g_tempFolderPrepared;
}

unsigned& rememberedImportOptions()
{
  return g_importOptions;
}
