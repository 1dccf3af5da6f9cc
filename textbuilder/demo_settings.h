#pragma once
#include <cstring>

#include "textbuilder/text_build.h"

// The settings the demo builds its text with, both through QEL.dll under Wine and through
// the native core, so that the two model-call logs can be compared line by line.
inline TextBuildSettings demo_settings(const char* font_path, const char* text) {
  TextBuildSettings s{};
  s.bevel_front = 1;
  s.bevel_angle = 45;
  s.bevel_depth = 60;
  s.extrusion_width = 40;
  s.preview_char = text[0];
  s.fill_faces = 1;
  s.hold_point = 0;
  s.direction = 1;
  std::strncpy(s.font_path, font_path, sizeof s.font_path - 1);
  std::strncpy(s.text, text, 20);
  const unsigned char face[3] = {220, 180, 40}, side[3] = {90, 60, 30}, bevel[3] = {240, 220, 120};
  std::memcpy(s.face_color, face, 3);
  std::memcpy(s.side_color, side, 3);
  std::memcpy(s.bevel_color, bevel, 3);
  return s;
}
