// What the fuzz targets share: a failed property aborts with its reason, and a scratch folder
// for the file functions, made once per run and removed at its end.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace duskline::fuzzing {

inline void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property failed: %s\n", what);
  std::abort();
}

// A folder in memory where there is one, so that the flushes of the file functions cost
// nothing. Never destroyed before the run ends; it then goes with its settings file.
inline const std::string& ScratchFolder() {
  static const std::string& folder = *[] {
    std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    auto* pattern = new std::string(base + "/duskline-fuzz-XXXXXX");
    Check(::mkdtemp(pattern->data()) != nullptr, "no scratch folder");
    std::atexit([] {
      ::unlink((ScratchFolder() + "/Vesperon.ini").c_str());
      ::rmdir(ScratchFolder().c_str());
    });
    return pattern;
  }();
  return folder;
}

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in a folder other than the settings file, "." and "..".
inline std::vector<std::string> Strays(const std::string& folder) {
  std::vector<std::string> names;
  if (DIR* dir = ::opendir(folder.c_str())) {
    while (dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name != "." && name != ".." && name != "Vesperon.ini") names.push_back(name);
    }
    ::closedir(dir);
  }
  return names;
}

}  // namespace duskline::fuzzing
