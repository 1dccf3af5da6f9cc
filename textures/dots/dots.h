#pragma once
#include "textures/texture_frame.h"

// Module state of the dots texture (SPECKLE). The scales travel in the string and the
// dialog; the procedure does not use them.
struct DotsParameters {
  float radius;  // squared distance from the cell centre below which a point is in a dot
  float x_scale;
  float y_scale;
  float z_scale;
};

DotsParameters& dots_parameters();
void dots_reset();  // back to 0.4, 1, 1, 1
const TextureLibrary& dots_library();

// Round dots on the unit lattice, coloured with the shader colour. Always 1.
int dots_procedure(const TextureSample& sample);
