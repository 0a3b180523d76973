// The handheld's command bar, under its own names so that calling code reads
// as it would on the device.
//
// A command bar is a real toolbar control (ToolbarWindow32): TB_* messages
// go to it directly, a button's command reaches the parent as the toolbar's
// WM_COMMAND (low word the button id), and notifications such as
// TBN_DROPDOWN reach the parent as WM_NOTIFY from the bar's id. It starts
// flat, in list style (a button's text beside its image), with tooltips and
// split drop-down arrows (BTNS_DROPDOWN; BTNS_WHOLEDROPDOWN always shows its
// arrow), at the top of its parent and as wide as the parent. Adding
// CCS_NOPARENTALIGN to its style (SetWindowLongPtrW, GWL_STYLE) lets the
// caller place it anywhere with SetWindowPos: TB_AUTOSIZE then keeps its
// position and only fits its size to the buttons.
//
// The bar owns what these calls give it: the image list grown by
// CommandBar_AddBitmap, the copied tooltip texts and any tooltip control it
// had to make; all go with the window.
#pragma once

#include <windows.h>

#include <commctrl.h>

// Creates a command bar as a visible child of `parent` with control id `id`.
// Null when the parent is not a window or the toolbar cannot be made.
[[nodiscard]] HWND CommandBar_Create(HINSTANCE instance, HWND parent, int id);

// Appends the images of bitmap strip `bitmapId` from `module` (null: the
// executable) to the bar's image list and returns the index of the first
// of them, or -1 when the bar or the strip is missing. Images are square
// and as high as the strip, so a high-density strip gives larger images;
// `cx` and `cy` are the images' logical size and only sanity-checked. The
// first strip fixes the list's image size; a later strip of another height
// is scaled to it. Exactly `imageCount` images are added: a strip holding
// fewer gets blank (clear) ones, a strip holding more is cut, so that the
// numbering of the next strip is predictable. Magenta (255, 0, 255) is
// clear. Two strips of 9 and 12 images give images 0..8 and 9..20.
int CommandBar_AddBitmap(HWND bar, HINSTANCE module, int bitmapId, int imageCount, int cx, int cy);

// TB_ADDBUTTONSW on the bar.
BOOL CommandBar_AddButtons(HWND bar, UINT count, const TBBUTTON* buttons);

// Gives the bar's buttons tooltips: texts are taken in order for the
// buttons in their order, separators skipped; buttons beyond `count` keep
// none. The texts are copied. Works as well on a menu bar made by
// SHCreateMenuBar (its toolbar gets a tooltip control) and on any other
// toolbar. FALSE when `bar` is none of those or `tips` is null with a
// non-zero count.
BOOL CommandBar_AddToolTips(HWND bar, UINT count, const wchar_t* const* tips);

// Height of the bar's window in pixels, 0 when `bar` is not a window.
int CommandBar_Height(HWND bar);

// Destroys the bar and what it owns.
void CommandBar_Destroy(HWND bar);

namespace ce {

// Appends the images of a bitmap strip (square images as high as the
// strip, magenta clear) to `list`, creating the list, with the strip's
// image size, when it is null. With `imageCount` > 0 exactly that many
// images are added (blank ones when the strip runs short, the rest cut);
// with 0 as many as the strip holds. A strip of another height than the
// list's images is scaled to them. Returns the index of the first added
// image, or -1 (leaving `list` as it was) when the strip cannot be loaded.
int AddImageStrip(HIMAGELIST& list, HINSTANCE module, int bitmapId, int imageCount);

}  // namespace ce
