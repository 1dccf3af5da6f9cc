#pragma once
// Win32 platform tables of the frame set (shell side; the header itself is portable).
#include "animation/frameset/frameset.h"

// Global-heap blocks (FLI/FLC writer) or local-heap blocks (AVI writer); stdio files;
// DeleteFileA for deletion.
const FrameSetPlatform* FrameSetGlobalHeapPlatform();
const FrameSetPlatform* FrameSetLocalHeapPlatform();
