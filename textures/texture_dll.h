#pragma once
// The texture export frame: every texture DLL compiles texture_dll.cpp and one small file
// that names its library.
#include "textures/texture_frame.h"

const TextureLibrary& texture_library();
