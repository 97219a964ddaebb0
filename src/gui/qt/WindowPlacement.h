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

// Whether the profile holds any placement value in `section`.
bool HasWindowPlacement(const std::string& section);

// Moves `window`, not yet shown, beside `owner` on the owner's screen so that it covers
// none of it: to its right where the screen's available area has room for the whole
// window, else to its left. Where neither side has room, the window goes against the
// screen's edge on the side with more room (the right when both have the same),
// covering as little of the owner as the screen allows. The top edges line up unless
// that would leave the screen. The window's frame is taken to be like the owner's.
void PlaceBeside(QWidget* window, const QWidget* owner);
