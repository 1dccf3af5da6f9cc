// shake.dll: the shared effect frame around the shake plugin.
#include "effects/shake/shake.h"
#include "effects/effect_library.h"

const EffectPlugin& effect_library() { return shake_plugin(); }
