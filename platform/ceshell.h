// The handheld shell's special folders and shortcut files, under the
// shell's own names so that calling code reads as it would on the device.
#pragma once

#include <windows.h>

namespace ce {

// The desktop folder of the handheld shell. (The desktop headers give
// CSIDL_DESKTOP the same value; the handheld's meaning is a real folder.)
inline constexpr int kCsidlDesktop = 0x0000;
inline constexpr int kCsidlPersonal = 0x0005;

// Writes the folder of `csidl` into `path` (at least MAX_PATH units):
// "\Windows\Desktop" for the desktop and "\My Documents" for personal files.
// With `create` the folder is made when missing. FALSE (and an empty text)
// for any other csidl, or when `create` is asked and the folder cannot be
// made. `owner` is not used.
BOOL SHGetSpecialFolderPath(HWND owner, wchar_t* path, int csidl, BOOL create);

// Reads the target of the shortcut file `shortcut` into `target` of `units`
// units. A handheld shortcut is a text file "<count>#<command line>", such as
// 19#"\Windows\calc.exe", in the device's ANSI code page; the command line
// (to the end of its first line, quotes and arguments kept) is the target.
// FALSE, with an empty text when there is room for one, when the file cannot
// be read, is not of that form, or the target does not fit.
BOOL SHGetShortcutTarget(const wchar_t* shortcut, wchar_t* target, int units);

}  // namespace ce
