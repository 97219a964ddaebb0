#pragma once
// Window placement kept in the per-user profile, one section per window (the main
// window's class name, a progress or message window's title, "CDlgMap"). The section
// holds the integers "Wnd Left", "Wnd Top", "Wnd Right" and "Wnd Bottom": the top-left
// corner of the window on the screen, frame included, and right = left + width,
// bottom = top + height of its client area. Storing the client size (rather than the
// frame's) lets a window be placed before it is shown, when the frame the window
// manager will add is not yet known, and still come back at exactly the size it had.

#include <string>

class QWidget;

// Writes the window's rectangle to `section`. Does nothing when the section name is
// empty, no profile is installed or there is no window.
void SaveWindowPlacement(const std::string& section, QWidget* window);

// Reads the rectangle stored in `section` (each value -1 when missing). When it lies on
// the primary screen (0 <= left <= right <= W and 0 <= top <= bottom <= H for a screen
// of W x H) the window moves there; with `keepSize` only its top-left corner moves,
// otherwise it also takes the stored size. Otherwise (nothing stored, or off the screen)
// the window is centred on its owner (parent window), or on the screen without one.
// Same preconditions as SaveWindowPlacement.
void RestoreWindowPlacement(const std::string& section, QWidget* window, bool keepSize);

// Centres `window` on its owner, or on the screen's available area without one.
void CentreWindow(QWidget* window);
