#pragma once
// A scratch folder for one native test, removed afterwards. Lower case throughout: frame
// files are opened under lower-cased names.
#include <unistd.h>

#include <filesystem>
#include <string>

struct TempDir {
  std::string path;
  explicit TempDir(const char* stem = "anim_test") {
    static int serial = 0;
    path = "/tmp/" + std::string(stem) + "_" + std::to_string(getpid()) + "_" + std::to_string(serial++);
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  std::string operator/(const std::string& name) const { return path + "/" + name; }
};
