#pragma once
// The real design files that other programs wrote: ../shared/dgn-corpus beside the project, or the
// folder $DGN_CORPUS_DIR names. A clean clone has neither: tests that need them skip, saying so.
#include <cstdlib>
#include <string>

inline std::string realFile(const std::string& name = "")
{
  const char* chosen = std::getenv("DGN_CORPUS_DIR");
  return (chosen && *chosen ? chosen : DGN_SOURCE_DIR "/../shared/dgn-corpus") + ("/" + name);
}

inline std::string noRealFiles() { return "no real design files in " + realFile() + "; set DGN_CORPUS_DIR to a folder of them"; }
