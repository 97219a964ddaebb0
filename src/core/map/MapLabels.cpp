#include "core/map/MapLabels.h"

CPixelRect TownLabelBox(const CPixelPt& anchor, int textWidth, int textHeight) {
  // The name is drawn 7 pixels right of the dot; the box starts 2 pixels left of it.
  const int half = textHeight / 2;
  return CPixelRect{anchor.x - 2 - kLabelClearance, anchor.y - half - kLabelClearance,
                    anchor.x + 7 + textWidth + kLabelClearance, anchor.y + half + kLabelClearance};
}

std::vector<bool> PlaceLabels(const std::vector<CPixelRect>& boxes) {
  std::vector<bool> drawn(boxes.size(), false);
  std::vector<CPixelRect> occupied;
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    bool free = true;
    for (const CPixelRect& taken : occupied) {
      if (boxes[i].Overlaps(taken)) {
        free = false;
        break;
      }
    }
    if (free) {
      drawn[i] = true;
      occupied.push_back(boxes[i]);
    }
  }
  return drawn;
}

CPixelRect DotBox(const CPixelPt& centre, const CPixelRect& drawRect) {
  const CPixelRect box{centre.x - kDotRadius, centre.y - kDotRadius, centre.x + kDotRadius, centre.y + kDotRadius};
  return box.Intersect(drawRect);
}
