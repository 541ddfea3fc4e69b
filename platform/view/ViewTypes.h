// The view layer's value types: rectangles, modifier keys as the window
// system reports them, the modifier record the GUI receives, the GUI's key
// codes, and one raw input event as a back end hands it to the view.
//
// Contents, in reading order:
//   ViewRect        a rectangle of pixels, right and bottom exclusive
//   ViewModifiers   modifier-key bits of an event
//   ViewMouseMod    the GUI's left/right/Shift/Control/Option record
//   ViewKeyCode     the GUI's key codes
//   ViewEvent       one event of a back end
#pragma once

#include <cstdint>

// ---- ViewRect --------------------------------------------------------------
// A rectangle of pixels: columns L .. R - 1, rows T .. B - 1. Empty when it
// holds no pixel (R <= L or B <= T).
struct ViewRect {
  int L = 0, T = 0, R = 0, B = 0;

  ViewRect() = default;
  ViewRect(int l, int t, int r, int b) : L(l), T(t), R(r), B(b) {}

  int W() const { return R - L; }
  int H() const { return B - T; }
  bool Empty() const { return R <= L || B <= T; }
  bool Contains(int x, int y) const { return x >= L && x < R && y >= T && y < B; }
  // The smallest rectangle holding both; an empty side does not count.
  ViewRect United(const ViewRect& o) const;
  // The common part; empty (all 0) when they do not overlap.
  ViewRect Clipped(const ViewRect& o) const;
  bool operator==(const ViewRect& o) const { return L == o.L && T == o.T && R == o.R && B == o.B; }
  bool operator!=(const ViewRect& o) const { return !(*this == o); }
};

// ---- ViewModifiers ---------------------------------------------------------
// Modifier keys held during an event. Command is the "Super" key of the
// window system, Option its "Alt".
enum ViewModifiers : uint32_t {
  kViewShift = 1u << 0,
  kViewControl = 1u << 1,
  kViewOption = 1u << 2,
  kViewCommand = 1u << 3,
  // Buttons held during a pointer movement.
  kViewButton1Held = 1u << 8,
  kViewButton3Held = 1u << 10,
};

// ---- ViewMouseMod ----------------------------------------------------------
// What the GUI learns of the buttons and keys with each mouse event: left
// button, right button, Shift, Control, Option.
struct ViewMouseMod {
  bool L = false, R = false, S = false, C = false, A = false;
};

// ---- ViewKeyCode -----------------------------------------------------------
// Key codes handed to the GUI: 0 space, 1..4 the arrows up, down, left,
// right, 5..14 the digits 0..9, 15..40 the letters A..Z of either case.
enum ViewKeyCode {
  kViewKeySpace = 0,
  kViewKeyUp = 1,
  kViewKeyDown = 2,
  kViewKeyLeft = 3,
  kViewKeyRight = 4,
  kViewKeyDigit0 = 5,
  kViewKeyLetterA = 15,
  kViewKeyNone = -1,  // a key the GUI is not given
};

// Keys that carry no text of their own, as the back ends name them.
enum ViewSpecialKey {
  kViewSpecialNone = 0,
  kViewSpecialLeft,
  kViewSpecialRight,
  kViewSpecialUp,
  kViewSpecialDown,
  kViewSpecialSpace,
  kViewSpecialReturn,
  kViewSpecialEnter,  // the keypad's
  kViewSpecialTab,
  kViewSpecialBackspace,
  kViewSpecialDelete,
  kViewSpecialEscape,
  kViewSpecialHome,
  kViewSpecialEnd,
};

// ---- ViewEvent -------------------------------------------------------------
// One input or window event. Which window of the view it concerns is given
// by target; x and y are relative to that window, rootX and rootY to the
// screen. Times are the window system's milliseconds (they wrap).
struct ViewEvent {
  enum Kind {
    kNone = 0,
    kButtonPress,  // button: 1 left, 2 middle, 3 right, 4/5 wheel up/down, 6/7 wheel left/right
    kButtonRelease,
    kMotion,        // modifiers tell which buttons are held
    kKeyPress,      // special or text
    kExpose,        // area of the target to paint again: x, y, width, height
    kFocusOut,      // the window lost the keyboard (the host window was deactivated)
    kCloseRequest,  // the user asked to close a top-level window
    kDestroyed,     // the window is gone (its parent was destroyed)
    kTick,          // a timer firing (scripted in headless runs)
  };
  enum Target { kMainWindow = 0, kTextField = 1, kMenu = 2 };

  Kind kind = kNone;
  Target target = kMainWindow;
  int menuLevel = 0;  // with target kMenu
  int x = 0, y = 0;
  int rootX = 0, rootY = 0;
  int width = 0, height = 0;  // kExpose
  int button = 0;
  uint32_t modifiers = 0;  // ViewModifiers
  uint32_t time = 0;
  ViewSpecialKey special = kViewSpecialNone;
  // The key's text as typed without Control, Option or Command (Shift
  // counts), UTF-8, NUL-terminated; textCharacters counts its characters.
  char text[8] = {0};
  int textCharacters = 0;
  // The window system's own key code and state, kept so that an unhandled
  // key can be handed on to the window that holds the view.
  uint32_t nativeKeyCode = 0;
  uint32_t nativeState = 0;
};
