#pragma once
#include "effects/effect_frame.h"

// shake: sways the model sideways along x, not at all at its bottom (minimum z) and most at
// its top, one sine period per unit of phase. Parameter string "9", no values.
const EffectPlugin& shake_plugin();

// One frame of the sway. A model without height (maximum z equal to minimum z) stays as it
// is. A phase that is not a finite number leaves the model alone too.
void shake_vertices(const EffectInfo& info, EffectVertex* vertices);
