#include "plugin/ReturnedBlocks.h"

#include "framework/Handles.h"

void FreeReturnedBlock(HLOCAL block) {
    if (!block) return;
    bool isBlock = false;
    {
        LocalLockGuard probe(block);
        isBlock = probe.data() != nullptr;
    }
    if (isBlock) LocalFree(block);  // anything else is not ours to free
}

void FreeReturnedBlocks(HLOCAL* info, HLOCAL* bits) {
    HLOCAL first = info ? *info : nullptr;
    HLOCAL second = bits ? *bits : nullptr;
    FreeReturnedBlock(first);
    if (second != first) FreeReturnedBlock(second);
    if (info) *info = nullptr;
    if (bits) *bits = nullptr;
}
