#pragma once
// The library's one exception type and the sign convention every call takes.

#include <stdexcept>
#include <string>
#include <vector>

namespace marevert {

// A failure, with the programs' own message text (lines joined by "\n").
class CError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The sign convention of the values carried: heights positive up (the default), or
// depths positive down.
enum class Sign { HeightsPositive, DepthsPositive };

// The vertical references by display name, in the programs' list order: the thirteen
// tidal surfaces and AHD, HAT first, then "Ellipsoid (GDA94/WGS84)" and "Ellipsoid
// (GDA2020)". Every function that takes a reference name matches these ignoring case,
// and also "ellipsoid" (the GDA94 one) and "gda2020".
std::vector<std::string> GetReferenceNames();

}  // namespace marevert
