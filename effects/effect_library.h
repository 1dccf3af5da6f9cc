#pragma once
#include "effects/effect_frame.h"

// Each effect DLL names its plugin record here (one line in its *_dll.cpp); the shared frame
// in effect_dll.cpp builds the exports and the dialog procedure around it.
const EffectPlugin& effect_library();
