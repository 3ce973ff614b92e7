#pragma once
// Local memory blocks a plug-in hands back.  A block that comes back with a
// failed call is still the caller's to free; what a plug-in hands back may
// also be no block at all, which is never freed.
#include <windows.h>

// Frees `block` when it is a local memory block.
void FreeReturnedBlock(HLOCAL block);
// Frees the two blocks of a decoder call (once, when both are the same
// handle) and clears both handles.  Either pointer may be null.
void FreeReturnedBlocks(HLOCAL* info, HLOCAL* bits);
