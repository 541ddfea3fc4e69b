#include "KIT/IModule/IGraphicsCarbon.h"

#include <cstdint>

#include "KIT/IModule/IControl.h"
#include "KIT/IModule/IGraphicsMac.h"
#include "KIT/IModule/IParam.h"
#include "KIT/IModule/IPopupMenu.h"

namespace {

// As on the factory road: deeper submenus are left out.
const int kMaxMenuDepth = 16;

std::unique_ptr<ViewMenu> BuildCarbonMenu(IPopupMenu* model, int depth) {
  if (!model || model->GetNItems() == 0) return nullptr;
  std::unique_ptr<ViewMenu> menu(new ViewMenu);
  menu->model = model;
  for (int i = 0; i < model->GetNItems(); ++i) {
    IPopupMenuItem* item = model->GetItem(i);
    ViewMenuItem entry;
    if (item->GetIsSeparator()) {
      entry.separator = true;
    } else {
      entry.title = IGraphicsViewBinding::MenuTitle(model, i);
      entry.enabled = item->GetEnabled();
      entry.header = item->GetIsTitle();
      entry.checked = item->GetChecked();
      if (item->GetSubmenu() && depth < kMaxMenuDepth)
        entry.submenu = BuildCarbonMenu(item->GetSubmenu(), depth + 1);
    }
    menu->items.push_back(std::move(entry));
  }
  return menu;
}

}  // namespace

IGraphicsCarbon::IGraphicsCarbon(IGraphicsMac* graphics, void* window, void*, short, short)
    : IGraphicsViewBinding(graphics) {
  View* view = new View(MakeViewBackend(), graphics->Width(), graphics->Height(), graphics->FPS());
  ViewRules rules;
  rules.rightClickReportsLeft = true;
  rules.rightDoubleClicks = true;
  rules.keysAtLastMove = true;
  // Deactivating the window drops a text entry; only Return and Enter take it.
  rules.focusLossDropsEntry = true;
  rules.onlyReturnEndsEntry = true;
  view->SetRules(rules);
  view->SetClient(this);
  if (!view->Open(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)))) {
    view->Release();
    return;
  }
  view->StartTimer();
  mView = view;
}

IGraphicsCarbon::~IGraphicsCarbon() {
  if (!mView) return;
  mView->EndTextEntry(false);
  mView->KillTimer();
  mView->SetClient(nullptr);
  mView->Release();
}

bool IGraphicsCarbon::Resize(int w, int h) {
  if (!mView) return false;
  mView->Resize(w, h);
  return true;
}

std::unique_ptr<ViewMenu> IGraphicsCarbon::CreateMenu(IPopupMenu* model) { return BuildCarbonMenu(model, 0); }

IPopupMenu* IGraphicsCarbon::CreateIPopupMenu(IPopupMenu* menu, IRECT* r) {
  if (!mView || !r) return nullptr;
  std::unique_ptr<ViewMenu> built = CreateMenu(menu);
  if (!built) return nullptr;
  return RunMenu(mView, built.get(), r->L, r->B + 5);
}

void IGraphicsCarbon::EndUserInput(bool commit) {
  if (!mView) return;
  mView->EndTextEntry(commit);
  mView->Invalidate(ViewRect(0, 0, mView->Width(), mView->Height()));
}

void IGraphicsCarbon::CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str,
                                      IParam* param) {
  if (!mView || !control || !r || mView->TextEntry()) return;
  ViewTextEntryRequest request;
  request.rect = ViewRect(r->L, r->T, r->R, r->B);
  request.text = str ? str : "";
  if (text) {
    request.font = text->mFont;
    request.fontSize = text->mSize;
    request.bold = text->mStyle == IText::kStyleBold;
    request.align = text->mAlign == 0 ? 0 : text->mAlign == 2 ? 2 : 1;
    // The field looks like the display it opens over: the style's
    // text-entry colours, as on the view road.
    request.foreground = text->mTextEntryFGColor.ToPixel();
    request.background = text->mTextEntryBGColor.ToPixel();
    request.selection = SelectionColour(request.foreground, request.background);
  }
  if (const char* allowed = param ? CharactersForType(param->Type()) : nullptr) {
    request.filtered = true;
    request.allowed = allowed;
  }
  request.maxLength = control->GetTextEntryLength();
  request.lengthInBytes = true;
  OpenField(mView, request, control, param);
}

const char* IGraphicsCarbon::CharactersForType(int type) {
  switch (type) {
    case IParam::kTypeBool:
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
      return "0123456789+-";
    case IParam::kTypeDouble:
      return "0123456789+-.";
    default:
      return nullptr;
  }
}
