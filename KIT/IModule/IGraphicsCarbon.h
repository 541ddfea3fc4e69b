// The host-window road: IGraphicsCarbon puts a view of the view layer into
// the window the host hands over (an X window id) and is that view's client.
// It is owned by IGraphicsMac, made by its four-argument OpenWindow and
// deleted by CloseWindow. What it shares with the factory road is in
// IGraphicsViewBinding (IGraphicsCocoa.h); here it differs:
// - a right click reports L as well as R, right clicks count towards double
//   clicks, and keys are reported where the pointer last moved;
// - menus: an empty model shows nothing; separators are tested before
//   submenus; an entry with a submenu keeps its disabled, title and checked
//   flags; a title item is a section header that cannot be chosen;
// - text entry: the field covers r exactly, in the style's own face and
//   size and its text-entry colours; only number kinds are filtered (bool, int, enum:
//   digits, "+", "-"; double: also "."), and every field, free ones
//   included, holds at most the control's text entry length in bytes.
#pragma once

#include "KIT/IModule/IGraphicsCocoa.h"

class IGraphicsCarbon : public IGraphicsViewBinding {
 public:
  // The view inside window (0: none; the view then waits to be placed) with
  // its redraw timer running. The parent control and the two offsets are
  // not used. Check GetView: null when no view could be made.
  IGraphicsCarbon(IGraphicsMac* graphics, void* window, void* parentControl, short leftOffset,
                  short topOffset);
  // Drops an open text entry (nothing is taken), stops the timer and lets
  // go of the view.
  ~IGraphicsCarbon() override;
  IGraphicsCarbon(const IGraphicsCarbon&) = delete;
  IGraphicsCarbon& operator=(const IGraphicsCarbon&) = delete;

  // The user pane: the view, handed to the host as its control.
  View* GetView() const { return mView; }
  // Views in a host's window here are always composited.
  bool GetIsComposited() const { return true; }
  // Gives the view the new size; false without a view.
  bool Resize(int w, int h);

  // The menu a model gives on this road; null for a model without items.
  static std::unique_ptr<ViewMenu> CreateMenu(IPopupMenu* model);
  // The menu opens 5 pixels below r's bottom edge at its left edge.
  IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r);
  // Ends an open entry, with commit taking its text; the whole pane is
  // painted again.
  void EndUserInput(bool commit);
  void CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param);
  // What a text field for a parameter of kind type accepts on this road;
  // null for no filter.
  static const char* CharactersForType(int type);

 private:
  View* mView = nullptr;
};
