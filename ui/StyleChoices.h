#pragma once
// The display-style combo box of the entry dialog and the folder import:
// one row per named style, found again by its style value.
#include "framework/ComboBoxCtrl.h"

// Fills a (sorted) style combo box with every named style and returns the
// row a new entry starts on: the first of the five older styles in the
// control's order, as before span existed, so span sorting in front of
// them never becomes the default.
int FillStyleChoices(ComboBoxCtrl& combo);
