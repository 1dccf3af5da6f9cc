// spring.dll: the shared effect frame around the spring plugin.
#include "effects/spring/spring.h"
#include "effects/effect_library.h"

const EffectPlugin& effect_library() { return spring_plugin(); }
