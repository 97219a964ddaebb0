#pragma once
// Town label layout and dot boxes of the coast map, in client pixels. Labels are placed
// greedily in one pass in file order: a town whose box would overlap the box of an
// earlier placed town is left out entirely (no dot, no name), so earlier towns win.

#include <vector>

#include "core/map/MapView.h"

// The space a town's dot and name claim: the dot at `anchor`, the name of the measured
// size to its right, widened by kLabelClearance on every side.
constexpr int kLabelClearance = 10;
CPixelRect TownLabelBox(const CPixelPt& anchor, int textWidth, int textHeight);

// For each box in order, whether its town is drawn.
std::vector<bool> PlaceLabels(const std::vector<CPixelRect>& boxes);

// The bounding box of the 10-pixel dot at `centre`, cut to the drawing rectangle (empty
// when the dot lies wholly outside it).
constexpr int kDotRadius = 5;
CPixelRect DotBox(const CPixelPt& centre, const CPixelRect& drawRect);
