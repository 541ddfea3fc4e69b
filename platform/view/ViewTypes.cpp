#include "platform/view/ViewTypes.h"

#include <algorithm>

ViewRect ViewRect::United(const ViewRect& o) const {
  if (o.Empty()) return *this;
  if (Empty()) return o;
  return ViewRect(std::min(L, o.L), std::min(T, o.T), std::max(R, o.R), std::max(B, o.B));
}

ViewRect ViewRect::Clipped(const ViewRect& o) const {
  const ViewRect r(std::max(L, o.L), std::max(T, o.T), std::min(R, o.R), std::min(B, o.B));
  return r.Empty() ? ViewRect() : r;
}
