// GATHER.dll: the shared effect frame around the gather plugin.
#include "effects/gather/gather.h"
#include "effects/effect_library.h"

const EffectPlugin& effect_library() { return gather_plugin(); }
