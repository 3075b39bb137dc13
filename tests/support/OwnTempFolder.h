#pragma once
// Every test process works in a temporary-files location of its own, made under the one it was
// given: the conversion folder lives there, and a process that empties it (every import does, and
// every dialog test's end) must not empty another's, as cases run side by side under `ctest -j`.
// Qt's runtime folder goes there too, instead of being made in /tmp with a warning.
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

class OwnTempFolder {
public:
  OwnTempFolder()
  {
    const char* parent = std::getenv("TMPDIR");
    m_path = std::string(parent && *parent ? parent : "/tmp") + "/test-" + std::to_string(::getpid()) + "-XXXXXX";
    if (!::mkdtemp(m_path.data())) {
      m_path.clear();
      return;
    }
    ::chmod(m_path.c_str(), 0755); // the fault tests' unprivileged user reaches its own folder inside
    ::setenv("TMPDIR", m_path.c_str(), 1);
    if (::mkdir((m_path + "/runtime").c_str(), 0700) == 0)
      ::setenv("XDG_RUNTIME_DIR", (m_path + "/runtime").c_str(), 1);
  }
  ~OwnTempFolder()
  {
    std::error_code ignored;
    if (!m_path.empty())
      std::filesystem::remove_all(m_path, ignored);
  }

private:
  std::string m_path;
};
