// Module files that must be refused, chosen at compile time: another API version, or no entry
// point that creates the module object.
#include <OdaCommon.h>

extern "C" ODRX_EXPORT void odrxGetAPIVersion(int& major, int& minor, int& majorBuild, int& minorBuild)
{
#ifdef OLD_VERSION
  major = 22;
  minor = 0;
#else
  major = 23;
  minor = 1;
#endif
  majorBuild = 0;
  minorBuild = 0;
}
