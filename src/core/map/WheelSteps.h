#pragma once
// Wheel movements turned into whole zoom steps. A standard wheel notch is 120 units
// (eighths of a degree, 15 degrees); high-resolution wheels and touchpads report parts of
// a notch, many times a second. Their movements add up, and each whole notch is one
// step, so a plain notch still makes exactly one step.

class CWheelSteps {
 public:
  static constexpr int kNotch = 120;

  // Adds a movement (positive away from the user) and answers the whole notches it
  // completes: positive away from the user, negative towards. A movement against the
  // direction gathered so far drops what was gathered.
  int Add(int delta);
  // Forgets what was gathered (a new gesture begins).
  void Reset() { m_pending = 0; }

 private:
  long long m_pending = 0;  // less than a notch either way between calls
};
