#pragma once
// The folder of the running program, with its trailing '/' (native build only): the `zel`
// host and the benchmarks find the glyph-name table built beside them there.
#include <unistd.h>

#include <climits>
#include <string>

inline std::string program_folder() {
  char exe[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  if (n <= 0) return "";
  const std::string path(exe, size_t(n));
  return path.substr(0, path.rfind('/') + 1);
}
