// The viewer window's portable part: settings steps over a profile held in a map, the
// screen-information texts, the caption and the scroll arithmetic.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "viewer/view_window.h"

namespace {

using namespace view;

// A private profile file held in a map ("SECTION|KEY" -> value).
struct FakeProfile {
  std::map<std::string, std::string> values;

  ProfileTable table() { return ProfileTable{this, get_string, get_int, write_string}; }

  static std::string* find(void* c, const char* section, const char* key) {
    auto& values = static_cast<FakeProfile*>(c)->values;
    auto it = values.find(std::string(section) + "|" + key);
    return it == values.end() ? nullptr : &it->second;
  }
  static uint32_t get_string(void* c, const char* section, const char* key, const char* fallback, char* buf,
                             uint32_t size) {
    const std::string* v = find(c, section, key);
    const std::string text = (v ? *v : std::string(fallback)).substr(0, size - 1);
    std::memcpy(buf, text.c_str(), text.size() + 1);
    return uint32_t(text.size());
  }
  static int32_t get_int(void* c, const char* section, const char* key, int32_t fallback) {
    const std::string* v = find(c, section, key);
    return v ? int32_t(std::strtol(v->c_str(), nullptr, 10)) : fallback;
  }
  static bool write_string(void* c, const char* section, const char* key, const char* value) {
    static_cast<FakeProfile*>(c)->values[std::string(section) + "|" + key] = value;
    return true;
  }
};

TEST(ScreenInformation, TextChosenByWidthAndDepth) {
  struct Case {
    bool colours;
    int32_t value;
    int id;
  };
  const Case cases[] = {
      {false, 640, 301}, {false, 800, 302}, {false, 1024, 303}, {false, 1280, 304}, {false, 639, 304},
      {true, 1, 306},    {true, 4, 306},    {true, 7, 306},     {true, 8, 307},     {true, 16, 308},
      {true, 24, 309},   {true, 15, 310},   {true, 32, 310},
  };
  for (const Case& c : cases)
    EXPECT_EQ(c.colours ? ColourTextId(c.value) : ResolutionTextId(c.value), c.id)
        << (c.colours ? "depth " : "width ") << c.value;
}

TEST(Scroll, PositionAfterEachCode) {
  struct Case {
    int code;
    int32_t position, extent, thumb, maximum;
    int32_t expected;
  };
  // Line and page steps of a 320 x 200 client and the clamp at 0 are walked through by
  // the keys of the Wine test.
  const Case cases[] = {
      // Clamped to the range; reaching the maximum exactly stays there.
      {kPageDown, 950, 200, 0, 1000, 1000},
      {kLineDown, 979, 320, 0, 1000, 1000},
      // The thumb sets the position itself.
      {kThumbTrack, 10, 320, 77, 1000, 77},
      {kThumbPosition, 10, 320, 5000, 1000, 1000},
      // Codes without a move.
      {kEndScroll, 40, 320, 99, 1000, 40},
      // Small clients: an upward step never turns into a downward one.
      {kLineUp, 50, 31, 0, 1000, 49},
      {kLineUp, 50, 64, 0, 1000, 47},
      {kPageUp, 50, 4, 0, 1000, 49},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ScrollTarget(c.code, c.position, c.extent, c.thumb, 0, c.maximum), c.expected)
        << "code " << c.code << " at " << c.position << " over " << c.extent;
}

TEST(Scroll, RangesForClientAndExtent) {
  struct Case {
    int32_t ew, eh, cw, ch, hpos, vpos;
    ScrollRanges expected;
  };
  const Case cases[] = {
      {100, 80, 512, 384, 0, 0, {0, 0, false}},
      {640, 480, 320, 200, 0, 0, {320, 280, false}},
      {640, 480, 320, 200, 321, 0, {320, 280, true}},
      {640, 480, 700, 500, 10, 0, {0, 0, true}},
  };
  for (const Case& c : cases) {
    ScrollRanges r = ScrollRangesFor(c.ew, c.eh, c.cw, c.ch, c.hpos, c.vpos);
    EXPECT_EQ(r.horizontal_max, c.expected.horizontal_max);
    EXPECT_EQ(r.vertical_max, c.expected.vertical_max);
    EXPECT_EQ(r.erase, c.expected.erase) << c.hpos << "," << c.vpos;
  }
}

TEST(Caption, NameSizeAndDepth) {
  EXPECT_EQ(ViewCaption("CAR.TGA", 320, 200, 24), "View (CAR.TGA 320x200x24)");
  const std::string long_name(255, 'N');
  EXPECT_EQ(ViewCaption(long_name.c_str(), 1, 2, 1), "View (" + long_name + " 1x2x1)");
}

TEST(OpenDialog, FilterPairsAndIndexOfEachKind) {
  const std::string filter = OpenDialogFilter();
  std::vector<std::string> parts;
  for (size_t at = 0; at < filter.size() && filter[at]; at += parts.back().size() + 1)
    parts.push_back(filter.c_str() + at);
  const std::vector<std::string> expected = {"(*.GIF)", "*.gif", "(*.TGA)", "*.tga",
                                             "(*.CEL)", "*.cel", "(*.BMP)", "*.bmp"};
  EXPECT_EQ(parts, expected);
  EXPECT_EQ(filter.substr(filter.size() - 2), std::string(2, '\0'));
  const int32_t kinds[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {-1, 0}, {1000, 0}};
  for (const auto& k : kinds) EXPECT_EQ(OpenFilterIndex(k[0]), uint32_t(k[1])) << k[0];
}

struct SettingsCase {
  const char* name;
  const char* program;
  std::map<std::string, std::string> ini;
  int32_t kind_before;
  // Expected after BeginOpenDialog.
  const char* file;
  const char* folder;
  const char* full_path;
  int32_t kind;
  bool change_directory;
};

TEST(OpenDialog, SettingsAndTheirDefaults) {
  const std::string long_dir = "C:\\" + std::string(260, 'd') + "\\viewer.exe";
  const SettingsCase cases[] = {
      {"defaults", "C:\\ZEL\\VIEWER.EXE", {}, 3, "*.*", "C:\\ZEL\\", "C:\\ZEL\\*.*", 3, true},
      {"remembered", "C:\\ZEL\\VIEWER.EXE",
       {{"VIEWER|LASTFILE", "CAR.GIF"}, {"VIEWER|LASTPATH", "D:\\PICS\\"}, {"VIEWER|LASTTYPE", "2"}}, 0,
       "CAR.GIF", "D:\\PICS\\", "D:\\PICS\\CAR.GIF", 2, true},
      {"slashes, other section", "Z:/opt/viewer.exe", {{"OTHER|LASTFILE", "X.GIF"}}, 1, "*.*", "Z:/opt/",
       "Z:/opt/*.*", 1, true},
      {"no folder", "viewer.exe", {}, 0, "*.*", "", "*.*", 0, false},
      // The program path is cut to 255 characters before its folder is taken: the cut leaves
      // "C:\" and the run of d's, whose last separator is the first backslash.
      {"long program path", long_dir.c_str(), {}, 0, "*.*", "C:\\", "C:\\*.*", 0, true},
  };
  for (const SettingsCase& c : cases) {
    FakeProfile profile;
    profile.values = c.ini;
    ViewerState s;
    s.kind = c.kind_before;
    s.front_request = true;
    std::strcpy(s.file_name, "OLD.GIF");
    EXPECT_EQ(BeginOpenDialog(s, c.program, profile.table()), c.change_directory) << c.name;
    EXPECT_STREQ(s.file_name, c.file) << c.name;
    EXPECT_STREQ(s.folder, c.folder) << c.name;
    EXPECT_STREQ(s.full_path, c.full_path) << c.name;
    EXPECT_EQ(s.kind, c.kind) << c.name;
    EXPECT_FALSE(s.front_request) << c.name;
  }
}

// The named file and path, and lParam 0, are loaded by the Wine test.
TEST(HostRequest, FileAndPathDefaultsWithTheFrontWindowRequest) {
  struct Case {
    intptr_t lparam;
    std::map<std::string, std::string> ini;
    bool front;
    const char* file;
    const char* folder;
  };
  const Case cases[] = {
      {1, {}, true, "*.*", "C:\\ZEL\\"},
      {1, {{"VIEWER|LASTFILE", "NOT.GIF"}, {"VIEWER|MAPFILE", "NOT.BMP"}}, true, "*.*", "C:\\ZEL\\"},
  };
  for (const Case& c : cases) {
    FakeProfile profile;
    profile.values = c.ini;
    ViewerState s;
    std::strcpy(s.folder, "OLD\\");
    EXPECT_TRUE(BeginHostRequest(s, c.lparam, "C:\\ZEL\\VIEWER.EXE", profile.table()));
    EXPECT_EQ(s.front_request, c.front) << c.lparam;
    EXPECT_STREQ(s.file_name, c.file);
    EXPECT_STREQ(s.folder, c.folder);
  }
}

TEST(HostRequest, MapFileOrItsDefault) {
  FakeProfile profile;
  ViewerState s;
  s.front_request = true;
  TakeMapFile(s, profile.table());
  EXPECT_STREQ(s.file_name, "*.*");
  profile.values["VIEWER|MAPFILE"] = "C:\\MAPS\\STONE.BMP";
  profile.values["VIEWER|FILE"] = "OTHER.GIF";
  TakeMapFile(s, profile.table());
  EXPECT_STREQ(s.file_name, "C:\\MAPS\\STONE.BMP");
  EXPECT_TRUE(s.front_request);
}

}  // namespace
