// The names the file dialog makes and checks: a free name for a new folder
// and the check of a name the user typed.
#pragma once

#include <windows.h>

// The characters no file name may hold, in the order the message lists them:
// backslash, slash, colon, comma, semicolon, asterisk, question mark, double
// quote, less-than, greater-than, vertical bar.
inline constexpr wchar_t kForbiddenNameCharacters[] = L"\\/:,;*?\"<>|";

// Writes into `out` (kMaxPath units) a path in `folder` where nothing exists
// yet: "New Folder", else "New Folder (2)", "New Folder (3)" and so on, in
// the interface language of the moment. Returns false, with `out` empty,
// when the next name to try would not fit in kMaxPath units: a shortened
// name could be one that exists.
[[nodiscard]] bool MakeNewFolderName(wchar_t* out, const wchar_t* folder);

// False, after an error box over `owner` that lists every forbidden
// character, when `name` holds one of them; true otherwise.
bool CheckFileName(HWND owner, const wchar_t* name);
