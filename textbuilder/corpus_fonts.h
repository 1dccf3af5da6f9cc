#pragma once
#include <dirent.h>

#include <algorithm>
#include <string>
#include <vector>

// For the real-font checks: the names, extension left off and sorted, of the files in
// `dir` whose names end in `extension`.
inline std::vector<std::string> font_names_in(const std::string& dir, const std::string& extension) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > extension.size() && n.compare(n.size() - extension.size(), extension.size(), extension) == 0)
        names.push_back(n.substr(0, n.size() - extension.size()));
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}
