#pragma once
#include <cstring>

#include "mesh/mesh_export.h"
#include "textbuilder/text_build.h"

// The settings `zel text` starts from, the builder dialog's usual values: thickness 20,
// bevel depth 20 and angle 45 (no bevel chosen), filled faces, hold point 0, left to right,
// gold faces on brown sides with a pale bevel. Font and text are left empty.
inline TextBuildSettings mesh_text_settings() {
  TextBuildSettings s{};
  s.bevel_angle = 45;
  s.bevel_depth = 20;
  s.extrusion_width = 20;
  s.preview_char = 'A';
  s.fill_faces = 1;
  s.direction = 1;
  const uint8_t face[3] = {0xE8, 0xB8, 0x30}, side[3] = {0x7A, 0x4E, 0x24}, bevel[3] = {0xF6, 0xDC, 0x8A};
  std::memcpy(s.face_color, face, 3);
  std::memcpy(s.side_color, side, 3);
  std::memcpy(s.bevel_color, bevel, 3);
  return s;
}

// The material names for the colours the settings give each part.
inline MeshColourNames mesh_colour_names(const TextBuildSettings& s) {
  MeshColourNames names;
  std::memcpy(names.face, s.face_color, 3);
  std::memcpy(names.side, s.side_color, 3);
  std::memcpy(names.bevel, s.bevel_color, 3);
  return names;
}
