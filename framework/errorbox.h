// The three ways the program reports a problem: modal boxes built from a
// wsprintf-style format (%s wide text, %d signed number, %% percent sign).
//
// None of them ends the program; each returns the box's result (IDOK), which
// callers may ignore. The text is cut to kErrorTextUnits units.
#pragma once

#include <windows.h>

inline constexpr int kErrorTextUnits = 520;

// Something the user can act on. Caption "Error" in the interface language.
int ShowError(HWND owner, const wchar_t* format, ...);
// Something that should never happen (a missing resource, an exception in a
// message handler). Caption "Fatal" in the interface language.
int ShowFatal(HWND owner, const wchar_t* format, ...);
// A developer notice, owned by the active window and brought to the front.
int ShowDebug(const wchar_t* format, ...);

// Formats into a caller buffer of kErrorTextUnits units, always terminated.
void FormatErrorText(wchar_t* out, const wchar_t* format, va_list args);
