#include "KIT/IModule/IGraphicsCocoa.h"

#include <cstdio>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphicsMac.h"
#include "KIT/IModule/IModuleBase.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/IPopupMenu.h"
#include "KIT/pix/pix-sysbitmap.h"

namespace {

// Submenus nested deeper than this are left out: a model whose submenus
// lead back to itself would otherwise be built without end.
const int kMaxMenuDepth = 16;

IMouseMod ModOf(const ViewMouseMod& m) { return IMouseMod(m.L, m.R, m.S, m.C, m.A); }

std::unique_ptr<ViewMenu> BuildCocoaMenu(IPopupMenu* model, int depth) {
  std::unique_ptr<ViewMenu> menu(new ViewMenu);
  menu->model = model;
  for (int i = 0; i < model->GetNItems(); ++i) {
    IPopupMenuItem* item = model->GetItem(i);
    ViewMenuItem entry;
    if (item->GetSubmenu()) {
      entry.title = IGraphicsCocoa_vVivivI_au::MenuTitle(model, i);
      if (depth < kMaxMenuDepth) entry.submenu = BuildCocoaMenu(item->GetSubmenu(), depth + 1);
    } else if (item->GetIsSeparator()) {
      entry.separator = true;
    } else {
      entry.title = IGraphicsCocoa_vVivivI_au::MenuTitle(model, i);
      entry.indent = item->GetIsTitle() ? 1 : 0;
      entry.checked = item->GetChecked();
      entry.enabled = item->GetEnabled();
    }
    menu->items.push_back(std::move(entry));
  }
  return menu;
}

}  // namespace

// ---- Shared by both roads --------------------------------------------------------

bool IGraphicsViewBinding::IsDirty(ViewRect* r) {
  IRECT dirty;
  if (!mGraphics || !mGraphics->IsDirty(&dirty)) return false;
  *r = ViewRect(dirty.L, dirty.T, dirty.R, dirty.B);
  return true;
}

void IGraphicsViewBinding::Draw(const ViewRect& r) {
  if (!mGraphics) return;
  IRECT area(r.L, r.T, r.R, r.B);
  mGraphics->Draw(&area);
}

void IGraphicsViewBinding::OnMouseDown(int x, int y, const ViewMouseMod& mod) {
  IMouseMod m = ModOf(mod);
  if (mGraphics) mGraphics->OnMouseDown(x, y, &m);
}

void IGraphicsViewBinding::OnMouseUp(int x, int y, const ViewMouseMod& mod) {
  IMouseMod m = ModOf(mod);
  if (mGraphics) mGraphics->OnMouseUp(x, y, &m);
}

void IGraphicsViewBinding::OnMouseDrag(int x, int y, const ViewMouseMod& mod) {
  IMouseMod m = ModOf(mod);
  if (mGraphics) mGraphics->OnMouseDrag(x, y, &m);
}

void IGraphicsViewBinding::OnMouseDblClick(int x, int y, const ViewMouseMod& mod) {
  IMouseMod m = ModOf(mod);
  if (mGraphics) mGraphics->OnMouseDblClick(x, y, &m);
}

void IGraphicsViewBinding::OnMouseOver(int x, int y, const ViewMouseMod& mod) {
  IMouseMod m = ModOf(mod);
  if (mGraphics) mGraphics->OnMouseOver(x, y, &m);
}

void IGraphicsViewBinding::OnMouseWheel(int x, int y, const ViewMouseMod& mod, int delta) {
  IMouseMod m = ModOf(mod);
  if (mGraphics) mGraphics->OnMouseWheel(x, y, &m, delta);
}

bool IGraphicsViewBinding::OnKeyDown(int x, int y, int key) {
  return mGraphics && mGraphics->OnKeyDown(x, y, key);
}

void IGraphicsViewBinding::OnTextEntryCommit(const char* text) {
  if (!mGraphics || !mEdControl) return;
  mEdTaken = true;
  if (mEdParam)
    mGraphics->SetFromStringAfterPrompt(mEdControl, mEdParam, text);
  else
    mEdControl->TextFromTextEntry(text);
}

void IGraphicsViewBinding::OnTextEntryClosed() {
  IControl* control = mEdControl;
  const bool dropped = !mEdTaken && mEdParam;
  mEdControl = nullptr;
  mEdParam = nullptr;
  mEdTaken = false;
  IModuleBase* plug = mGraphics ? mGraphics->GetPlug() : nullptr;
  if (dropped && control && plug) plug->OnTextEntryDropped(control->ParamIdx());
}

PIX_pixel IGraphicsViewBinding::SelectionColour(PIX_pixel foreground, PIX_pixel background) {
  PIX_pixel mixed = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const unsigned f = (foreground >> shift) & 0xFF, b = (background >> shift) & 0xFF;
    mixed |= static_cast<PIX_pixel>((f * 2 + b * 3) / 5) << shift;
  }
  return mixed;
}

bool IGraphicsViewBinding::GetDrawBitmap(const uint32_t** pixels, int* rowSpan, int* width, int* height) {
  PIX_SysBitmap* bitmap = mGraphics ? mGraphics->GetDrawBitmap() : nullptr;
  if (!bitmap || !bitmap->getBits()) return false;
  *pixels = bitmap->getBits();
  *rowSpan = bitmap->getRowSpan();
  *width = bitmap->getWidth();
  *height = bitmap->getHeight();
  return true;
}

void IGraphicsViewBinding::OpenField(View* view, const ViewTextEntryRequest& request, IControl* control,
                                     IParam* param) {
  if (!control || view->TextEntry()) return;
  if (!view->OpenTextEntry(request)) return;
  mEdControl = control;
  mEdParam = param;
  mEdTaken = false;
}

IPopupMenu* IGraphicsViewBinding::RunMenu(View* view, const ViewMenu* menu, int x, int y) {
  const ViewMenu* chosen = nullptr;
  int index = -1;
  if (!menu || !view->PopupMenu(*menu, x, y, &chosen, &index) || !chosen || !chosen->model || index < 0)
    return nullptr;
  IPopupMenu* model = static_cast<IPopupMenu*>(chosen->model);
  model->SetChosenItemIdx(index);
  return model;
}

std::string IGraphicsViewBinding::MenuTitle(IPopupMenu* model, int index) {
  static const char* const kFormats[] = {"", "%1d: ", "%02d: ", "%03d: "};
  const int prefix = model->GetPrefix();
  char number[32] = {0};
  if (prefix >= 1 && prefix <= 3) snprintf(number, sizeof number, kFormats[prefix], index + 1);
  return std::string(number) + model->GetItemText(index);
}

// ---- The factory road's view ----------------------------------------------------------

IGraphicsCocoa_vVivivI_au::IGraphicsCocoa_vVivivI_au(IGraphicsMac* graphics)
    : View(MakeViewBackend(), graphics->Width(), graphics->Height(), graphics->FPS()),
      IGraphicsViewBinding(graphics) {
  SetClient(this);
  mOpen = Open(0);
  if (mOpen) StartTimer();
}

void IGraphicsCocoa_vVivivI_au::removeFromSuperview() {
  if (TextEntry()) endUserInput();
  if (IGraphicsMac* graphics = mGraphics) {
    mGraphics = nullptr;
    graphics->CloseWindow();
  }
}

IPopupMenu* IGraphicsCocoa_vVivivI_au::createIPopupMenu(IPopupMenu* menu, const IRECT& r) {
  if (!menu) return nullptr;
  std::unique_ptr<ViewMenu> built = BuildMenu(menu);
  // The rectangle in the view's bottom-up coordinates is (L, H - 1 - B,
  // R - L + 1, B - T + 1); the menu's top left sits 4 below its bottom edge,
  // which is row B + 5 from the top.
  return RunMenu(this, built.get(), r.L, r.B + 5);
}

void IGraphicsCocoa_vVivivI_au::createTextEntry(IControl* control, IParam* param, IText* text,
                                                const char* str, const IRECT& r) {
  if (!control || TextEntry() || !text) return;
  ViewTextEntryRequest request;
  request.rect = ViewRect(r.L, r.T, r.R + 1, r.B + 1);
  request.text = str ? str : "";
  request.font = "Monaco";
  request.fontSize = static_cast<int>(text->mSize * 0.9);
  if (text->mAlign >= 0 && text->mAlign <= 2) request.align = text->mAlign;
  if (param) {
    request.filtered = true;
    request.allowed = CharactersForType(param->Type());
    request.maxLength = control->GetTextEntryLength();
  }
  request.foreground = text->mTextEntryFGColor.ToPixel();
  request.background = text->mTextEntryBGColor.ToPixel();
  request.selection = SelectionColour(request.foreground, request.background);
  OpenField(this, request, control, param);
}

void IGraphicsCocoa_vVivivI_au::endUserInput() { EndTextEntry(false); }

std::unique_ptr<ViewMenu> IGraphicsCocoa_vVivivI_au::BuildMenu(IPopupMenu* model) {
  return BuildCocoaMenu(model, 0);
}

const char* IGraphicsCocoa_vVivivI_au::CharactersForType(int type) {
  switch (type) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return "0123456789-+";
    case IParam::kTypeDouble:
      return "0123456789.-+";
    case IParam::kTypeText:
      return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 \"!#$%&'()*+,-./[]";
    default:
      return "";
  }
}
