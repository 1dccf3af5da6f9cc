#include "textures/dimple/dimple.h"
#include "textures/texture_dll.h"

const TextureLibrary& texture_library() { return dimple_library(); }
