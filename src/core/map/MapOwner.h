#pragma once
// What the coast map needs from the window that owns it: somewhere to hand a position
// picked with a double right click. The point transformation page implements it.

class CMapOwner {
 public:
  virtual ~CMapOwner() = default;
  // Latitude and longitude in decimal degrees.
  virtual void SetPosition(double latitude, double longitude) = 0;
};
