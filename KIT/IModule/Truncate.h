// Truncation of a double toward zero into an int, defined for every input:
// values beyond the int range give the nearest end, NaN gives 0. (A plain
// cast is undefined behaviour outside the range.)
#pragma once

#include <climits>
#include <cmath>

inline int TruncateToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}
