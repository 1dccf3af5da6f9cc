#include "textures/dots/dots.h"
#include "textures/texture_dll.h"

const TextureLibrary& texture_library() { return dots_library(); }
