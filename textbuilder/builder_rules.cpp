#include "textbuilder/builder_rules.h"

#include <algorithm>
#include <cstring>

namespace {

// Hold point of each radio button 127..133, in id order.
constexpr int32_t kHoldPointOfButton[7] = {4, 0, 1, 5, 2, 6, 3};

const ScrollBarRule kScrollBars[] = {
    {qel_id::AngleBar, qel_id::AngleValue, 5, 80, &TextBuildSettings::bevel_angle},
    {qel_id::DepthBar, qel_id::DepthValue, 0, 100, &TextBuildSettings::bevel_depth},
    {qel_id::WidthBar, qel_id::WidthValue, 0, 100, &TextBuildSettings::extrusion_width},
};

std::string fit_folder(std::string s) {
  if (s.size() > kFolderChars - 1) s.resize(kFolderChars - 1);
  return s;
}

}  // namespace

int32_t hold_point_of_button(int id) {
  if (id < qel_id::FirstHoldPoint || id > qel_id::LastHoldPoint) return -1;
  return kHoldPointOfButton[id - qel_id::FirstHoldPoint];
}

int button_of_hold_point(int32_t hold_point) {
  for (int i = 0; i < 7; ++i)
    if (kHoldPointOfButton[i] == hold_point) return qel_id::FirstHoldPoint + i;
  return 0;
}

int32_t scroll_value(int code, int32_t value, int32_t min, int32_t max, uint16_t thumb) {
  switch (code) {
    case scroll::LineLeft:
    case scroll::PageLeft:
      return std::min(std::max(value > INT32_MIN ? value - 1 : value, min), max);
    case scroll::LineRight:
    case scroll::PageRight:
      return std::max(std::min(value < INT32_MAX ? value + 1 : value, max), min);
    case scroll::ThumbPosition:
    case scroll::ThumbTrack:
      return thumb;
    default:
      return value;
  }
}

const ScrollBarRule* scroll_bar_rule(int bar) {
  for (const ScrollBarRule& r : kScrollBars)
    if (r.bar == bar) return &r;
  return nullptr;
}

uint32_t apply_scroll(TextBuildSettings* settings, const ScrollBarRule& rule, int code, uint16_t thumb) {
  int32_t& field = settings->*rule.field;
  const int32_t value = scroll_value(code, field, rule.min, rule.max, thumb);
  if (value == field) return 0;
  field = value;
  if (rule.bar != qel_id::DepthBar) return follow::RepaintProfile;
  const bool bevelled = settings->bevel_front || settings->bevel_back;
  return follow::RepaintProfile | (bevelled ? follow::RepaintShape : 0);
}

uint32_t apply_setting_command(TextBuildSettings* settings, int id, const char* preview_text) {
  constexpr uint32_t both = follow::RepaintShape | follow::RepaintProfile;
  switch (id) {
    case qel_id::Front:
      settings->bevel_front = settings->bevel_front ? 0 : 1;
      return both;
    case qel_id::Back:
      settings->bevel_back = settings->bevel_back ? 0 : 1;
      return both;
    case qel_id::Fill:
      settings->fill_faces = 1;
      return 0;
    case qel_id::DontFill:
      settings->fill_faces = 0;
      return 0;
    case qel_id::LeftToRight:
      settings->direction = 1;
      return 0;
    case qel_id::RightToLeft:
      settings->direction = -1;
      return 0;
    case qel_id::PreviewEdit: {
      if (!preview_text || !preview_text[0]) return 0;
      const int32_t code = int32_t(int8_t(preview_text[0]));
      if (code == settings->preview_char) return 0;
      settings->preview_char = code;
      return follow::RefreshPreview | both;
    }
    default: {
      const int32_t h = hold_point_of_button(id);
      if (h >= 0) settings->hold_point = h;
      return 0;
    }
  }
}

ColourCommand colour_command(TextBuildSettings* settings, int id) {
  switch (id) {
    case qel_id::FaceSwatch: return {settings->face_color, "Set Face Color"};
    case qel_id::BevelSwatch: return {settings->bevel_color, "Set Bevel Color"};
    case qel_id::SideSwatch: return {settings->side_color, "Set Side Color"};
    default: return {nullptr, nullptr};
  }
}

void store_make_text(TextBuildSettings* settings, const char* edit_text) {
  size_t n = 0;
  while (n < kMakeTextMax && edit_text[n]) ++n;
  std::memcpy(settings->text, edit_text, n);
  settings->text[n] = '\0';
}

std::string folder_of(const char* path, LeadByteTest is_lead_byte) {
  size_t cut = 0;
  bool found = false;
  for (size_t i = 0; path[i];) {
    const unsigned char c = static_cast<unsigned char>(path[i]);
    if (c == '\\' || c == ':' || c == '/') {
      cut = i;
      found = true;
    }
    i += (is_lead_byte && is_lead_byte(c) && path[i + 1]) ? 2 : 1;
  }
  return found ? fit_folder(std::string(path, cut)) : std::string();
}

std::string font_folder_for(const char* host_folder, const TextBuildSettings& settings, LeadByteTest is_lead_byte) {
  // The path field is read only up to its own size, NUL or not.
  const std::string path(settings.font_path, strnlen(settings.font_path, sizeof settings.font_path));
  if (!path.empty()) return folder_of(path.c_str(), is_lead_byte);
  return fit_folder(std::string(host_folder ? host_folder : "") + "fonts");
}

std::string help_file_path(const char* host_folder) {
  return fit_folder(std::string(host_folder ? host_folder : "") + kHelpFile);
}
