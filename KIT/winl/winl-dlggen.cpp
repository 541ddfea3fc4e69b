// Dialogs generated from compiled lists of control rows, through the
// control creators.
#include <cstring>

#include "KIT/winl/winl-creators.h"
#include "KIT/winl/winl-dlg.h"

namespace {
// Styles are 32-bit words; bit 31 (hidden) must not spread into a long.
long Style(int32_t style) { return static_cast<long>(static_cast<uint32_t>(style)); }

void MakeRow(const WINL_DialogControlRow& r) {
  if (!r.kind) return;
  const char* text = r.text ? r.text : "";
  if (!strcmp(r.kind, "__WINL_BUTTON")) {
    WINL_MakeButton(r.param, text, r.id, r.x, r.y, r.width, r.height, Style(r.style));
  } else if (!strcmp(r.kind, "__WINL_EDIT")) {
    WINL_MakeEditField(r.id, r.x, r.y, r.width, r.height, Style(r.style));
  } else if (!strcmp(r.kind, "__WINL_COMBO")) {
    WINL_MakeCombo(r.id, r.x, r.y, r.width, r.height, Style(r.style));
  } else if (!strcmp(r.kind, "__WINL_LISTBOX")) {
    WINL_MakeControl("", r.id, "SysListView32_LB", Style(r.style), r.x, r.y, r.width, r.height, 0);
  } else if (!strcmp(r.kind, "__WINL_GROUP")) {
    WINL_MakeGroupBox(text, r.id, r.x, r.y, r.width, r.height, Style(r.style));
  } else if (!strcmp(r.kind, "__WINL_CHECKBOX")) {
    WINL_MakeControl(text, r.id, "Button", Style(r.style) | 3, r.x, r.y, r.width, r.height, 0);
  } else if (!strcmp(r.kind, "__WINL_LABEL")) {
    WINL_MakeLabel(r.param, text, r.id, r.x, r.y, r.width, r.height, Style(r.style));
  } else if (*text) {
    // Any other row: the kind is the text, param the id, the text the class
    // name, id the style and style the extended style.
    WINL_MakeControl(r.kind, r.param, text, Style(r.id), r.x, r.y, r.width, r.height, Style(r.style));
  }
}
}  // namespace

void WINL_GenerateDialogFromList(const void* rows, int count) {
  if (!rows || count <= 0) return;
  const auto* row = static_cast<const WINL_DialogControlRow*>(rows);
  for (int i = 0; i < count; ++i) MakeRow(row[i]);
}
