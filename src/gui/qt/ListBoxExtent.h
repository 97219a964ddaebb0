#pragma once
// Horizontal scrolling of a list box whose lines may be wider than the box.

class QListWidget;

// Measures every line with the list's font and makes the horizontal scroll extent the
// widest line plus the font's average character width (0 for an empty list), so the
// horizontal scroll bar appears exactly when a line does not fit. Returns the extent
// in pixels.
int FitListBoxExtent(QListWidget* list);
