#pragma once
// The texts of a window that its controls cannot show whole in their font: labels,
// buttons, check boxes, combobox entries and table header sections, each with the width
// it needs and the room it has, in pixels.

#include <string>

class QWidget;

// One line per cut text of `window` and its visible children; "" when every text fits.
std::string CutTexts(const QWidget* window);
