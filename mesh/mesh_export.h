#pragma once
#include <cstdint>
#include <string>

#include "mesh/mesh_model.h"

// Writes the model's faces as a mesh file through assimp, the format chosen by the path's
// extension: .obj (with its .mtl beside it), .ply, .stl, .gltf (glTF 2.0, JSON with its
// .bin beside it) or .glb (binary glTF 2.0). One node per object that owns faces (named
// after the object, follow points as empty child nodes), one mesh per object and colour,
// one material per colour. Coordinates are the model's divided by 32000: one unit is one
// em, Z up.

struct MeshColourNames {
  uint8_t face[3], side[3], bevel[3];  // materials of these colours are named "face", "side", "bevel"
};

// assimp's exporter id for the path's extension, or null for an extension it does not take.
const char* mesh_export_format(const std::string& path);
// The file that exporting to `path` writes beside it (a .mtl or .bin), or "" if none.
std::string mesh_export_companion(const std::string& path);

bool mesh_export(const MeshModel& m, const std::string& path, const MeshColourNames* names, std::string* error);

// Model units per exported unit.
constexpr double kMeshExportUnit = 32000.0;
