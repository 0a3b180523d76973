// Message boxes for errors, fatal failures and developer notices.
#include "framework/errorbox.h"

#include <shlwapi.h>

#include "framework/language.h"

namespace {

// Formats the text and shows the box; a box that cannot be shown returns 0.
int ShowBox(HWND owner, const wchar_t* caption, UINT style, const wchar_t* format, va_list args) {
    wchar_t text[kErrorTextUnits];
    FormatErrorText(text, format, args);
    return MessageBoxW(owner, text, caption, style);
}

}  // namespace

void FormatErrorText(wchar_t* out, const wchar_t* format, va_list args) {
    // The bounded form of wvsprintfW: same conversions, no overrun on a long
    // path or a long format.
    if (wvnsprintfW(out, kErrorTextUnits, format, args) < 0) out[kErrorTextUnits - 1] = L'\0';
}

int ShowError(HWND owner, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = ShowBox(owner, ByLanguage(L"Error", L"ｴﾗｰ"), MB_OK | MB_ICONERROR, format, args);
    va_end(args);
    return result;
}

int ShowFatal(HWND owner, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = ShowBox(owner, ByLanguage(L"Fatal", L"致命的なｴﾗｰ"), MB_OK | MB_ICONERROR, format, args);
    va_end(args);
    return result;
}

int ShowDebug(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int result = ShowBox(GetActiveWindow(), L"Debug", MB_OK | MB_ICONERROR | MB_SETFOREGROUND, format, args);
    va_end(args);
    return result;
}
