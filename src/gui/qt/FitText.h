#pragma once
// Controls laid out in dialog units, widened where the font needs more room than the
// units give, so that every text shows whole.

#include <QList>
#include <climits>

class QWidget;

// Widens `control` (a label, check box or combobox) to its size hint, so that its text
// (for a combobox: its widest entry) shows whole, but never past the x coordinate
// `limit`. Never narrows it.
void WidenToContents(QWidget* control, int limit = INT_MAX);

// A column of labels with the controls they name to their right, row by row: each label
// widens to its text, and when the widest would come closer than `gap` pixels to the
// controls, the controls move right together, keeping their widths.
void PlaceAfterLabels(const QList<QWidget*>& labels, const QList<QWidget*>& controls, int gap);
