// Pens and brushes, filling rectangles, the dialog background, system
// colours and drawing contexts of windows and views.
#pragma once

#include "KIT/winl/winl-gdi.h"
#include "KIT/winl/winl-types.h"

class WmObject;

// A pen (width max(width, 0)) or solid brush of colour 0x00RRGGBB; the pen
// style is not used. Null when no record is free.
HGDIOBJ CreatePen(int style, int width, int colour);
HGDIOBJ CreatePenAlpha(int style, int width, int colour, float alpha);
HGDIOBJ CreateSolidBrush(int colour);
HGDIOBJ CreateSolidBrushAlpha(int colour, float alpha);

// Fills left, top .. right, bottom (either vertical order) with a live
// brush's colour; the null brush and markers fill nothing.
void WINL_FillRect(HDC hdc, const RECT* rect, HGDIOBJ brush);
// Fills the rectangle with the dialog background; flags are not used.
void WINL_FillDialogBackground(HDC hdc, const RECT* rect, int flags);
// The dialog background colour (0x00RRGGBB).
enum { WINL_DIALOG_BACKGROUND = 0xE8E8E8 };
// 0..9 as the table; any other index 0.
int GetSysColor(int index);

// Shapes with the selected pen and brush (the stock null pen and brush draw
// nothing). Rectangle fills with the brush and outlines inside its edges
// with the pen (width below 2 draws 1); lines run between pixel centres, a
// pen of width w draws w pixels across; MoveToEx hands back the previous
// position when old is given.
void Rectangle(HDC hdc, int left, int top, int right, int bottom);
void MoveToEx(HDC hdc, int x, int y, POINT* old);
void WINL_LineTo(HDC hdc, int x, int y);
void WINL_SetPixel(HDC hdc, int x, int y, int colour);

// The ellipse inside left, top .. right, bottom (exclusive edges): filled
// with the brush over every pixel whose centre lies inside, outlined one
// pixel wide on its border pixels with the pen's colour.
void Ellipse(HDC hdc, int left, int top, int right, int bottom);
// Needs n >= 2 and a usable pen or brush: the closed area through the points
// is filled (nonzero winding, pixel centres) with the brush, and the open
// path through them stroked with the pen (points are pixels, both ends
// drawn). n below 2 or null points draw nothing.
void WINL_Polygon(HDC hdc, const POINT* points, int n);
// WINL_Polygon of the ten points of a rectangle whose corners are cut
// straight by w / 3 across and h / 3 down.
void RoundRect(HDC hdc, int left, int top, int right, int bottom, int w, int h);
// n polylines with the pen, the i-th of counts[i] points taken in turn from
// points (a count of 1 skips its point, 0 or below takes none).
void PolyPolyline(HDC hdc, const POINT* points, const int* counts, int n);
// Cubic curves from the current position, three points each (two control
// points and the end), while three points remain; needs n > 2 and a usable
// pen. The last end point becomes the position.
void PolyBezierTo(HDC hdc, const POINT* points, int n);

// A drawing context for a window or view: while the view paints, its paint
// context; else a new context on the window's surface at the view's place
// (null for a view in no window). ReleaseDC frees what GetDC made.
HDC GetDC(WmObject* hwnd);
HDC GetWindowDC(WmObject* hwnd);
void ReleaseDC(WmObject* hwnd, HDC hdc);
