#pragma once
#include "textures/texture_frame.h"

// Module state of the dimple texture (PITSHADE), one set per loaded library.
struct DimpleParameters {
  float radius;   // squared distance from the cell centre below which a point is in a dimple
  float depth;    // factor on the normal change
  float x_scale;  // lattice spacing along x, y and z
  float y_scale;
  float z_scale;
};

DimpleParameters& dimple_parameters();
void dimple_reset();  // back to 0.3, 1.5, 1, 1, 1
const TextureLibrary& dimple_library();

// Dimples on a lattice: inside one, the colour result takes the shader colour and the
// normal is bent by depth x make_vector(cell offsets), then finished by the host. Always 1.
int dimple_procedure(const TextureSample& sample);
