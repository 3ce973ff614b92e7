#include "desktop/DesktopStyleValues.h"

DesktopStyleValues DesktopValuesFor(DisplayStyle style) {
    switch (style) {
    case kStyleTile: return {"1", "0"};
    case kStyleStretch: return {"0", "2"};
    default: return {"0", "0"};
    }
}
