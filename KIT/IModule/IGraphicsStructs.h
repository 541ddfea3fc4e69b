// The GUI framework's value types: rectangle, colour, blend, text style,
// bitmap with frames, mouse modifiers, drag direction, key codes, and the
// wrapper for values that one thread writes while another reads them.
//
// Contents, in reading order:
//   IRECT          rectangle and the rules the dirty-area walk uses
//   IColor         colour and its pixel word; the colour constants
//   IChannelBlend  blend method and weight
//   IText          text style
//   IBitmap        a cached bitmap with its frame layout
//   IMouseMod      mouse modifier flags
//   EDirection, EGUIKey
//   ISharedValue   a value shared between threads
#pragma once

#include <atomic>
#include <cstdint>

#include "KIT/pix/pix-bitmap.h"

class PIX_IFont;

// ---- IRECT -----------------------------------------------------------------
// A rectangle of window pixels; right and bottom are exclusive for points.
struct IRECT {
  int L = 0, T = 0, R = 0, B = 0;

  IRECT() = default;
  IRECT(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  int W() const { return R - L; }
  int H() const { return B - T; }
  // Empty means all four fields are 0; (5, 5, 5, 5) is not empty but holds
  // no point.
  bool Empty() const { return L == 0 && T == 0 && R == 0 && B == 0; }
  // L <= x < R and T <= y < B.
  bool Contains(int x, int y) const { return x >= L && x < R && y >= T && y < B; }
  // Neither is empty, and other's left and top edges lie on or inside this
  // one's right and bottom edges and this one's left and top lie before
  // other's right and bottom: touching at the right or bottom edge counts.
  bool Meets(const IRECT& other) const {
    return !Empty() && !other.Empty() && R >= other.L && L < other.R && B >= other.T && T < other.B;
  }
  // The common part when the two meet, else the empty rectangle.
  IRECT Intersect(const IRECT& other) const;
  // This rectangle as the accumulator of a union: an empty accumulator
  // becomes other; an empty other changes nothing; else the bounding box.
  IRECT Union(const IRECT& other) const;

  bool operator==(const IRECT& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const IRECT& o) const { return !(*this == o); }
};

// ---- IColor ----------------------------------------------------------------
// A colour as four channels 0..255.
struct IColor {
  int A = 255, R = 0, G = 0, B = 0;

  constexpr IColor() = default;
  constexpr IColor(int a, int r, int g, int b) : A(a), R(r), G(g), B(b) {}

  // The raster library's pixel word A | R << 8 | G << 16 | B << 24; each
  // channel is cut to its low 8 bits, so a channel outside 0..255 cannot
  // spill into its neighbour.
  PIX_pixel ToPixel() const {
    return (static_cast<PIX_pixel>(A) & 0xff) | (static_cast<PIX_pixel>(R) & 0xff) << 8 |
           (static_cast<PIX_pixel>(G) & 0xff) << 16 | (static_cast<PIX_pixel>(B) & 0xff) << 24;
  }
  // The colour of a pixel word.
  static IColor FromPixel(PIX_pixel p) {
    return IColor(static_cast<int>(p & 0xff), static_cast<int>((p >> 8) & 0xff),
                  static_cast<int>((p >> 16) & 0xff), static_cast<int>(p >> 24));
  }

  bool operator==(const IColor& o) const { return A == o.A && R == o.R && G == o.G && B == o.B; }
  bool operator!=(const IColor& o) const { return !(*this == o); }
};

inline constexpr IColor COLOR_TRANSPARENT(0, 0, 0, 0);
inline constexpr IColor COLOR_BLACK(255, 0, 0, 0);
inline constexpr IColor COLOR_GRAY(255, 127, 127, 127);
inline constexpr IColor COLOR_WHITE(255, 255, 255, 255);
inline constexpr IColor COLOR_RED(255, 255, 0, 0);
inline constexpr IColor COLOR_GREEN(255, 0, 255, 0);
inline constexpr IColor COLOR_BLUE(255, 0, 0, 255);
inline constexpr IColor COLOR_YELLOW(255, 255, 255, 0);
inline constexpr IColor COLOR_ORANGE(255, 255, 127, 0);
inline constexpr IColor DEFAULT_TEXT_COLOR = COLOR_BLACK;
inline constexpr IColor DEFAULT_TEXT_ENTRY_BGCOLOR = COLOR_WHITE;
inline constexpr IColor DEFAULT_TEXT_ENTRY_FGCOLOR = COLOR_BLACK;

// ---- IChannelBlend ---------------------------------------------------------
// How a control's pixels go onto the window: a method and a weight (1.0 is
// full strength). The drawing operations turn it into the raster library's
// weight and mode word (IGraphics.h).
struct IChannelBlend {
  enum EBlendMethod {
    kBlendNone = 0,        // copy over, using the source's alpha
    kBlendClobber = 1,     // plain copy, the source's alpha ignored
    kBlendAdd = 2,         // additive, using the source's alpha
    kBlendColorDodge = 3,  // colour dodge, using the source's alpha
  };
  int mMethod = kBlendNone;
  float mWeight = 1.0f;

  IChannelBlend() = default;
  explicit IChannelBlend(int method, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// ---- IText -----------------------------------------------------------------
// A text style. The cached font is filled by IGraphics::CacheFont on first
// use and belongs to the process-wide font cache; copies share it.
struct IText {
  static constexpr int kFontNameSize = 32;  // terminating NUL included
  enum EStyle { kStyleNormal = 0, kStyleBold = 1, kStyleItalic = 2 };
  enum EAlign { kAlignNear = 0, kAlignCenter = 1, kAlignFar = 2 };        // any value but 0, 1: right
  enum EVAlign { kVAlignTop = 0, kVAlignBottom = 1, kVAlignMiddle = 2 };  // any value but 0, 1: middle
  enum EQuality {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3
  };

  char mFont[kFontNameSize];  // face name, NUL-terminated
  int mSize;
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  int mStyle;
  int mAlign;
  int mVAlign;
  int mOrientation;  // degrees
  int mQuality;
  PIX_IFont* mCached = nullptr;

  // A null colour or font name takes the default ("Consolas", black text on
  // a white entry box); a longer face name is cut to 31 characters.
  explicit IText(int size = 12, const IColor* color = nullptr, const char* font = nullptr,
                 int style = kStyleNormal, int align = kAlignCenter, int orientation = 0,
                 int quality = kQualityClearType, const IColor* textEntryBGColor = nullptr,
                 const IColor* textEntryFGColor = nullptr);
  void SetFont(const char* font);
};

// ---- IBitmap ---------------------------------------------------------------
// A bitmap as the caches hand it out: the pixels (owned by the bitmap cache,
// never by the IBitmap), the full size, and how many frames it holds, side
// by side or stacked. A missing image has no pixels and a size of 0 x 0.
struct IBitmap {
  PIX_IBitmap* mData = nullptr;
  int W = 0, H = 0, N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  IBitmap(PIX_IBitmap* data, int w, int h, int n = 1, bool framesAreHorizontal = false)
      : mData(data), W(w), H(h), N(n), mFramesAreHorizontal(framesAreHorizontal) {}

  // The size of one frame; a frame count below 1 counts as 1.
  int FrameWidth() const { return mFramesAreHorizontal && N > 1 ? W / N : W; }
  int FrameHeight() const { return !mFramesAreHorizontal && N > 1 ? H / N : H; }
  // The 1-based frame shown at a 0..1 value: 1 + (int)((N - 1) x value + 0.5),
  // limited to 1..N; 1 with fewer than 2 frames.
  int FrameOfValue(double value) const;
};

// ---- IMouseMod -------------------------------------------------------------
// Left and right button, Shift, Control, Option.
struct IMouseMod {
  bool L = false, R = false, S = false, C = false, A = false;

  IMouseMod() = default;
  IMouseMod(bool l, bool r = false, bool s = false, bool c = false, bool a = false)
      : L(l), R(r), S(s), C(c), A(a) {}
};

// Direction of faders, radio groups and knob drags.
enum EDirection { kVertical = 0, kHorizontal = 1 };

// Key codes the views deliver to IGraphics::OnKeyDown: the digits and the
// letters (either case) in runs.
enum EGUIKey {
  KEY_SPACE = 0,
  KEY_UPARROW = 1,
  KEY_DOWNARROW = 2,
  KEY_LEFTARROW = 3,
  KEY_RIGHTARROW = 4,
  KEY_DIGIT_0 = 5,   // .. KEY_DIGIT_0 + 9
  KEY_ALPHA_A = 15,  // .. KEY_ALPHA_A + 25
};

// ---- ISharedValue ----------------------------------------------------------
// A plain value that the MIDI input, worker and render threads write while
// the GUI thread reads it. Every load and store is atomic, so readers see a
// whole value; += and -= are a load and a store, not one step, which is
// enough because only the GUI thread edits a value in place (mouse gestures).
template <class T>
class ISharedValue {
 public:
  ISharedValue(T value = T()) : mValue(value) {}
  ISharedValue(const ISharedValue&) = delete;
  ISharedValue& operator=(const ISharedValue& other) {
    mValue.store(other.mValue.load());
    return *this;
  }

  operator T() const { return mValue.load(); }
  T Load() const { return mValue.load(); }
  ISharedValue& operator=(T value) {
    mValue.store(value);
    return *this;
  }
  ISharedValue& operator+=(T delta) {
    mValue.store(mValue.load() + delta);
    return *this;
  }
  ISharedValue& operator-=(T delta) {
    mValue.store(mValue.load() - delta);
    return *this;
  }
  T Exchange(T value) { return mValue.exchange(value); }

 private:
  std::atomic<T> mValue;
};
