#pragma once
// Every test process works in a temporary-files location of its own. The conversion folder
// lives there, and a process that empties it (every import does, and every dialog test's end)
// must not empty another's while that one still copies from it: cases run side by side as
// separate processes under `ctest -j`.
#include <gtest/gtest.h>

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
    std::string pattern = std::string(parent && *parent ? parent : "/tmp") + "/test-" + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(pattern.data())) {
      m_path = pattern;
      ::chmod(m_path.c_str(), 0755); // the fault tests' unprivileged user reaches its own folder inside
      ::setenv("TMPDIR", m_path.c_str(), 1);
      // Qt's runtime folder too, which it would otherwise make under the temporary folder, with a
      // warning, whenever none is set.
      const std::string runtime = m_path + "/runtime";
      if (::mkdir(runtime.c_str(), 0700) == 0)
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
  }
  ~OwnTempFolder()
  {
    std::error_code ignored;
    if (!m_path.empty())
      std::filesystem::remove_all(m_path, ignored);
  }
  OwnTempFolder(const OwnTempFolder&) = delete;
  OwnTempFolder& operator=(const OwnTempFolder&) = delete;

private:
  std::string m_path;
};
