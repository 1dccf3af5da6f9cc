#pragma once
// Running commands from the animation writers' native tests: the `zel` host, ImageMagick and
// ffmpeg.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace shell {

// The `zel` host of the build under test.
inline std::string zel() {
  const char* b = std::getenv("ZEL_BUILD_DIR");
  return std::string(b ? b : ".") + "/bin/zel";
}

// Exit status of a command, its output discarded.
inline int run(const std::string& cmd) { return std::system((cmd + " >/dev/null 2>&1").c_str()); }

// Everything a command writes on stdout (its stderr discarded).
inline std::vector<uint8_t> output(const std::string& cmd) {
  std::vector<uint8_t> all;
  FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r");
  if (!p) return all;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) all.insert(all.end(), buf, buf + n);
  pclose(p);
  return all;
}

// Exit status of a command, and what it wrote on stderr.
inline int run_stderr(const std::string& cmd, std::string* err) {
  FILE* p = popen((cmd + " 2>&1 >/dev/null").c_str(), "r");
  if (!p) return -1;
  char buf[512];
  err->clear();
  while (std::fgets(buf, sizeof buf, p)) *err += buf;
  return pclose(p);
}

}  // namespace shell
