// The overlay control the UI configuration's own controls derive from: a
// bitmap overlay (drawn from value 0.5 on, else taking the mouse only over
// its target area) with nothing added, so that the editor's custom controls
// share one base.
#pragma once

#include "KIT/IModule/IBitmapControls.h"

class CustomOverlayControl : public IBitmapOverlayControl {
 public:
  using IBitmapOverlayControl::IBitmapOverlayControl;
};
