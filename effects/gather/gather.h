#pragma once
#include "effects/effect_frame.h"

// GATHER (build-to): a dialog and a parameter string "3", but no per-frame work; the model
// is left as it is.
const EffectPlugin& gather_plugin();
