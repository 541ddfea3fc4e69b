// Text displays: a control that shows a text in a text style (value and
// name displays, the librarian's rows), and the caption that shows its
// parameter's display text and opens the parameter's prompt when clicked
// (drop-down menus, the name display).
#pragma once

#include <mutex>

#include "KIT/IModule/IControl.h"
#include "KIT/kitstring.h"

class ITextControl : public IControl {
 public:
  // Bound to no parameter; the style is copied whole (null: the default
  // style); the text is taken when not empty.
  ITextControl(IModuleBase* plug, IRECT rect, const IText* style, const char* text = "");

  // Any thread (the editor core, the MIDI protocol and the librarian show
  // names and values from their own threads): when text differs from the
  // current text, the control is marked dirty (no push) and takes a copy.
  // Null reads as "".
  void SetTextFromPlug(const char* text);
  // A copy of the current text.
  void GetTextCopy(KIT_String* out);
  // True when the current text equals text byte for byte.
  bool TextEquals(const char* text);

  // Draws the text in the style over the rectangle; true for an empty text.
  bool Draw(IGraphics* graphics) override;

 protected:
  // The text and the lock that lets other threads replace it while the GUI
  // draws it; the lock is only ever the last one taken.
  std::mutex mTextLock;
  KIT_String mStr;
};

class ICaptionControl : public ITextControl {
 public:
  // An empty text display bound to paramIdx; with showParamLabel the
  // parameter's label follows its display text after one blank.
  ICaptionControl(IModuleBase* plug, IRECT rect, int paramIdx, const IText* style,
                  bool showParamLabel = false);

  // Left or right button, not grayed: PromptUserInput().
  void OnMouseDown(int x, int y, IMouseMod* mod) override;
  // Not grayed: PromptUserInput().
  void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
  // Shows the parameter's own value (not the control's), read under the
  // plug-in's lock; a control whose parameter is missing draws its text as
  // it stands.
  bool Draw(IGraphics* graphics) override;

 protected:
  bool mShowParamLabel;
};
