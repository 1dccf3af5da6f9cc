#include "viewer/view_window.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

namespace view {

namespace {

// Copies text into a buffer of kBufferSize, cut to fit.
void copy_bounded(char* dest, const char* text) {
  std::snprintf(dest, kBufferSize, "%s", text ? text : "");
}

// Cuts a path after its last backslash, colon or slash (nothing stays when it has none).
void cut_after_separator(char* path) {
  char* cut = path;
  for (char* p = path; *p; ++p)
    if (*p == '\\' || *p == ':' || *p == '/') cut = p + 1;
  *cut = '\0';
}

void read_string(const ProfileTable& profile, const char* key, const char* fallback, char* buf) {
  // The fallback may be buf's own neighbour (the full path buffer); copy it first.
  char def[kBufferSize];
  copy_bounded(def, fallback);
  buf[0] = '\0';
  profile.get_string(profile.context, kSection, key, def, buf, kBufferSize);
  buf[kBufferSize - 1] = '\0';
}

// Puts the program's own path (at most 255 characters) into the full path buffer and cuts
// it after its last backslash, colon or slash, so only the folder and its separator stay.
void TakeProgramFolder(ViewerState& s, const char* program_path) {
  copy_bounded(s.full_path, program_path);
  cut_after_separator(s.full_path);
}

}  // namespace

int ResolutionTextId(int32_t screen_width) {
  switch (screen_width) {
    case 640: return 301;
    case 800: return 302;
    case 1024: return 303;
    default: return 304;
  }
}

int ColourTextId(int32_t bits_per_pixel) {
  if (bits_per_pixel < 8) return 306;
  switch (bits_per_pixel) {
    case 8: return 307;
    case 16: return 308;
    case 24: return 309;
    default: return 310;
  }
}

bool BeginOpenDialog(ViewerState& s, const char* program_path, const ProfileTable& profile) {
  s.front_request = false;
  s.folder[0] = '\0';
  s.file_name[0] = '\0';
  TakeProgramFolder(s, program_path);
  read_string(profile, "LASTFILE", kAnyFile, s.file_name);
  read_string(profile, "LASTPATH", s.full_path, s.folder);
  s.kind = profile.get_int(profile.context, kSection, "LASTTYPE", s.kind);
  // Folder + name, cut to the buffer (each part is at most 255 characters).
  size_t n = 0;
  for (const char* part : {s.folder, s.file_name})
    for (const char* p = part; *p && n < size_t(kBufferSize) - 1; ++p) s.full_path[n++] = *p;
  s.full_path[n] = '\0';
  return s.folder[0] != '\0';
}

std::string OpenDialogFilter() {
  std::string filter = "(*.GIF)|*.gif|(*.TGA)|*.tga|(*.CEL)|*.cel|(*.BMP)|*.bmp|";
  for (char& c : filter)
    if (c == '|') c = '\0';
  filter.push_back('\0');
  return filter;
}

uint32_t OpenFilterIndex(int32_t kind) { return kind >= 0 && kind <= 3 ? uint32_t(kind) + 1 : 0; }

void FinishOpenDialog(ViewerState& s, const ProfileTable& profile) {
  profile.write_string(profile.context, kSection, "LASTFILE", s.file_name);
  cut_after_separator(s.full_path);
  profile.write_string(profile.context, kSection, "LASTPATH", s.full_path);
  char number[16];
  std::snprintf(number, sizeof number, "%ld", long(s.kind));
  profile.write_string(profile.context, kSection, "LASTTYPE", number);
}

bool BeginHostRequest(ViewerState& s, intptr_t lparam, const char* program_path, const ProfileTable& profile) {
  s.front_request = lparam == 1;
  s.folder[0] = '\0';
  s.file_name[0] = '\0';
  TakeProgramFolder(s, program_path);
  read_string(profile, "FILE", kAnyFile, s.file_name);
  read_string(profile, "PATH", s.full_path, s.folder);
  return s.folder[0] != '\0';
}

void TakeMapFile(ViewerState& s, const ProfileTable& profile) {
  read_string(profile, "MAPFILE", kAnyFile, s.file_name);
}

std::string ViewCaption(const char* file_name, int32_t width, int32_t height, int32_t bits) {
  char caption[kBufferSize + 64];
  std::snprintf(caption, sizeof caption, "%s (%s %ldx%ldx%ld)", "View", file_name ? file_name : "", long(width),
                long(height), long(bits));
  return caption;
}

KeyScroll ScrollForKey(uint32_t virtual_key) {
  switch (virtual_key) {
    case kKeyPrior: return {true, true, kPageUp};
    case kKeyNext: return {true, true, kPageDown};
    case kKeyEnd: return {true, false, kPageDown};
    case kKeyHome: return {true, false, kPageUp};
    case kKeyLeft: return {true, false, kLineUp};
    case kKeyUp: return {true, true, kLineUp};
    case kKeyRight: return {true, false, kLineDown};
    case kKeyDown: return {true, true, kLineDown};
    default: return {false, false, 0};
  }
}

int32_t ScrollChange(int code, int32_t extent) {
  int32_t up = 0;
  switch (code) {
    case kLineDown: return extent / 16 + 1;
    case kPageDown: return extent / 2 + 1;
    case kLineUp: up = -(extent / 16) + 1; break;
    case kPageUp: up = -(extent / 2) + 1; break;
    default: return 0;
  }
  return up < 0 ? up : -1;
}

int32_t ScrollTarget(int code, int32_t position, int32_t extent, int32_t thumb, int32_t minimum,
                     int32_t maximum) {
  int64_t target = code == kThumbPosition || code == kThumbTrack ? thumb : int64_t(position) + ScrollChange(code, extent);
  if (target < minimum) return minimum;
  if (target >= maximum) return maximum;
  return int32_t(target);
}

ScrollRanges ScrollRangesFor(int32_t extent_width, int32_t extent_height, int32_t client_width,
                             int32_t client_height, int32_t horizontal_pos, int32_t vertical_pos) {
  ScrollRanges r;
  r.vertical_max = extent_height > client_height ? extent_height - client_height : 0;
  r.horizontal_max = extent_width > client_width ? extent_width - client_width : 0;
  r.erase = vertical_pos > r.vertical_max || horizontal_pos > r.horizontal_max;
  return r;
}

ClientSize ClientWithoutBars(ClientSize client, bool has_horizontal, bool has_vertical, int32_t bar_height,
                             int32_t bar_width) {
  if (has_horizontal) client.height += bar_height;
  if (has_vertical) client.width += bar_width;
  return client;
}

}  // namespace view
