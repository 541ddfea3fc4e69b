// The view-factory road: the editor is one view of the view layer,
// IGraphicsCocoa_vVivivI_au, made by IGraphicsMac::OpenWindow(parentView)
// without a window of the host's; the host places it and takes it out
// again (ViewPane::AddToParent, RemoveFromParent).
//
// IGraphicsViewBinding holds what both roads share (the host-window road,
// IGraphicsCarbon.h, differs only where it says): the view's client calls
// reach the GUI's handlers with the GUI's modifier record, the redraw cycle
// asks the GUI for its dirty area and has it draw, a text entry remembers
// its control and parameter and hands its text on when it is taken, and a
// popup menu's choice is written into the menu model it came from.
#pragma once

#include <memory>

#include "platform/view/View.h"

class IControl;
class IGraphicsMac;
class IParam;
class IPopupMenu;
struct IRECT;
struct IText;

class IGraphicsViewBinding : public ViewClient {
 public:
  IGraphicsMac* Graphics() const { return mGraphics; }

  // ViewClient: each does nothing once the binding is detached from its GUI.
  bool IsDirty(ViewRect* r) override;
  void Draw(const ViewRect& r) override;
  void OnMouseDown(int x, int y, const ViewMouseMod& mod) override;
  void OnMouseUp(int x, int y, const ViewMouseMod& mod) override;
  void OnMouseDrag(int x, int y, const ViewMouseMod& mod) override;
  void OnMouseDblClick(int x, int y, const ViewMouseMod& mod) override;
  void OnMouseOver(int x, int y, const ViewMouseMod& mod) override;
  void OnMouseWheel(int x, int y, const ViewMouseMod& mod, int delta) override;
  bool OnKeyDown(int x, int y, int key) override;
  // With a parameter the GUI's SetFromStringAfterPrompt takes the text, else
  // the control's TextFromTextEntry.
  void OnTextEntryCommit(const char* text) override;
  // An entry of a parameter closed without its text taken tells the
  // plug-in (IModuleBase::OnTextEntryDropped).
  void OnTextEntryClosed() override;
  bool GetDrawBitmap(const uint32_t** pixels, int* rowSpan, int* width, int* height) override;

  // Runs menu (built from model) on view with its top left at (x, y); the
  // model of the (sub)menu holding the chosen entry, its chosen index set,
  // or null.
  static IPopupMenu* RunMenu(View* view, const ViewMenu* menu, int x, int y);
  // An entry's title: the model's numbering ("%1d: ", "%02d: ", "%03d: " of
  // index + 1, by its prefix mode 1, 2, 3) before the item's text.
  static std::string MenuTitle(IPopupMenu* model, int index);

 protected:
  explicit IGraphicsViewBinding(IGraphicsMac* graphics) : mGraphics(graphics) {}

  // Opens a text field of request on view for the control and parameter;
  // nothing without a control or while one is open.
  void OpenField(View* view, const ViewTextEntryRequest& request, IControl* control, IParam* param);

  // The fill behind selected text of a field in these colours: the text
  // colour laid faintly over the field's.
  static PIX_pixel SelectionColour(PIX_pixel foreground, PIX_pixel background);

  IGraphicsMac* mGraphics;  // null once detached
  IControl* mEdControl = nullptr;
  IParam* mEdParam = nullptr;
  bool mEdTaken = false;  // the open entry's text was handed on
};

// The view of the factory road. It is referenced by the GUI while open and
// by the host's window once placed there; the last reference frees it.
class IGraphicsCocoa_vVivivI_au : public View, public IGraphicsViewBinding {
 public:
  // initWithIGraphics: a view of the GUI's size on a new back end (Xlib
  // with a display, else headless) with its redraw timer running. Check
  // IsOpen: false when no window could be made.
  explicit IGraphicsCocoa_vVivivI_au(IGraphicsMac* graphics);
  bool IsOpen() const { return mOpen; }

  void killTimer() { KillTimer(); }
  // Ends an open text entry (dropped); then, while attached to the GUI,
  // detaches and closes the GUI's window. The view stays where the host
  // placed it, inert, until the host takes it out.
  void removeFromSuperview();
  // Called by the GUI when it lets go of the view.
  void Detach() { mGraphics = nullptr; }

  // The menu opens 5 pixels below r's bottom edge at its left edge.
  IPopupMenu* createIPopupMenu(IPopupMenu* menu, const IRECT& r);
  // A field over r, one pixel wider and taller (it covers r's right column
  // and bottom row), in "Monaco" at 0.9 of the style's size, the style's
  // alignment and text-entry colours; a parameter limits the characters by
  // its kind and the length to the control's text entry length.
  void createTextEntry(IControl* control, IParam* param, IText* text, const char* str, const IRECT& r);
  // Drops an open text entry.
  void endUserInput();

  // The menu a model gives on this road: one entry per model item; an item
  // with a submenu is only its title and submenu; a separator; else a title
  // (indented for a title item), check mark and enabled state.
  static std::unique_ptr<ViewMenu> BuildMenu(IPopupMenu* model);
  // What a text field for a parameter of kind type accepts (Cocoa road):
  // bool, int and enum "0123456789-+", double "0123456789.-+", text the 80
  // characters of names, any other kind nothing.
  static const char* CharactersForType(int type);

  // ViewClient: the host took the view out of its window.
  void OnRemovedFromParent() override { removeFromSuperview(); }

 private:
  ~IGraphicsCocoa_vVivivI_au() override = default;
  bool mOpen = false;
};
