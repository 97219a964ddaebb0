#pragma once
// Finds the texts of a window that its controls cannot show whole in their font: labels,
// buttons, check boxes, combobox entries, table header sections and table cells. Each finding names
// the text and the room it had, in pixels.

#include <string>

class QWidget;

// The texts of `window` and its visible children that do not fit, one line each; ""
// when every text fits.
std::string CutTexts(const QWidget* window);
