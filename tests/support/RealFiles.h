#pragma once
// The real design files that other programs wrote: ../shared/dgn-corpus beside the project, or
// the folder $DGN_CORPUS_DIR names. A clean clone has neither; tests that need them say so and
// skip, in one line.
#include <cstdlib>
#include <string>

inline std::string realFilesFolder()
{
  const char* chosen = std::getenv("DGN_CORPUS_DIR");
  return chosen && *chosen ? chosen : DGN_SOURCE_DIR "/../shared/dgn-corpus";
}

inline std::string realFile(const std::string& name)
{
  return realFilesFolder() + "/" + name;
}

inline std::string noRealFiles()
{
  return "no real design files in " + realFilesFolder() + "; set DGN_CORPUS_DIR to a folder of them";
}
