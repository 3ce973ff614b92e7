#pragma once
// How large a stored preview must be for a preview to draw it without
// enlarging it: plain arithmetic, tested without a window.
#include "image/PreviewLayout.h"

struct PreviewNeed {
    // The area a whole picture is stretched, fitted or filled into.
    int width = 0, height = 0;
    // The scale a centred or tiled picture is drawn at (the preview window
    // to the monitor); 0 when the picture is only ever drawn whole.
    double centreScale = 0;
};

// The larger of two needs, side by side.
PreviewNeed Widest(const PreviewNeed& a, const PreviewNeed& b);
// What the preview window of a monitorWidth x monitorHeight monitor needs
// (the window is a quarter of it each way); `centred` for centre and tile.
PreviewNeed PreviewWindowNeed(int monitorWidth, int monitorHeight, bool centred);
// The stored size of a pictureWidth x pictureHeight picture for `need`:
// aspect kept, never larger than the picture, at least 1 x 1.
PreviewSize StoredPreviewSize(int pictureWidth, int pictureHeight, const PreviewNeed& need);
// Whether a stored preview of width x height serves `need` (a pixel short
// is rounding, not enlargement).
bool StoredPreviewFits(int width, int height, int pictureWidth, int pictureHeight, const PreviewNeed& need);
