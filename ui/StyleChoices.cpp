#include "ui/StyleChoices.h"

#include "list/DisplayStyle.h"

int FillStyleChoices(ComboBoxCtrl& combo) {
    combo.ResetContent();
    for (DisplayStyle style : {kStyleStretch, kStyleTile, kStyleCentre, kStyleFit, kStyleFill})
        combo.AddString(StyleName(style), style);
    const LPARAM first = combo.GetCount() > 0 ? combo.GetItemData(0) : LPARAM(kStyleStretch);
    combo.AddString(StyleName(kStyleSpan), kStyleSpan);
    const int row = combo.FindItemByData(first);
    return row < 0 ? 0 : row;
}
