// Blocking file choosers and the message box of the layer, on the window
// model's save and open panels and alerts (platform/window/WindowPanels.h).
//
// Extension filters are Win32 style: pairs of NUL-terminated strings, a
// description then ";"-separated patterns (*.syx;*.mid), ended by an empty
// string. At most 2047 bytes of a path are handled; a chosen path that is
// longer, or does not fit the caller's buffer, is a failure (the buffer is
// left as it was).
#pragma once

#include <string>
#include <vector>

#include "KIT/winl/winl-wnd.h"

// The allowed types of a filter list: of each pattern the text after its
// first "." (at most 31 bytes), unless empty or beginning with "*".
std::vector<std::string> WINL_ExtensionsFromList(const char* list);
// The initial folder and file of a panel: a file with a "/" gives both (the
// folder "/" when the part before it is empty); else the folder comes from
// folder when it is not empty.
void WINL_SplitInitialPath(const char* folder, const char* file, std::string* outFolder,
                           std::string* outFile);

// An accessory dialog for the next file chooser only: the record named
// resid in the list at reshead, run by proc.
void BrowseFile_SetTemplate(const char* resid, DLGPROC proc, WINL_DialogResourceIndex* reshead);

// A save panel; true with the chosen path in buffer.
bool BrowseForSaveFile(const char* text, const char* initialdir, const char* initialfile, const char* extlist,
                       char* buffer, int size);
// An open panel for files; a buffer from malloc (free it): one file as its
// path and two NULs; several as an empty string, each path with its NUL,
// then a final NUL. Null when cancelled.
char* BrowseForFiles(const char* text, const char* initialdir, const char* initialfile, bool allowmul,
                     const char* extlist);
// A folder chooser; true with the chosen folder in buffer.
bool BrowseForDirectory(const char* text, const char* initialdir, char* buffer, int size);

enum {
  MB_OK = 0,
  MB_OKCANCEL = 1,
  MB_ABORTRETRYIGNORE = 2,
  MB_YESNOCANCEL = 3,
  MB_YESNO = 4,
  MB_RETRYCANCEL = 5,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONWARNING = 0x30,
  MB_ICONINFORMATION = 0x40,
};
enum { IDRETRY = 4, IDYES = 6, IDNO = 7 };
// An alert with caption as title and text as message (null texts are
// empty). The buttons by the low 4 bits of type (the icon bits are not
// shown): MB_OK "OK"; MB_OKCANCEL "OK", "Cancel"; MB_YESNOCANCEL "Yes",
// "Cancel", "No"; MB_YESNO "Yes", "No"; MB_RETRYCANCEL "Retry", "Cancel"
// (the first the default). Returns the button's IDOK, IDCANCEL, IDYES,
// IDNO or IDRETRY; 0 for another kind (nothing shown) or no answer.
int MessageBox(HWND parent, const char* text, const char* caption, int type);
