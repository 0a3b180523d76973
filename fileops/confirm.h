// The questions asked before and during file operations. Each is a
// full-screen dialog from a bilingual template, shown modally over `owner`;
// the answer is the id of the button pressed.
#pragma once

#include <windows.h>

// Answers (button ids).
inline constexpr int kAnswerYes = IDYES;        // 6
inline constexpr int kAnswerNo = IDNO;          // 7
inline constexpr int kAnswerCancel = IDCANCEL;  // 2
inline constexpr int kAnswerAll = 20;

// Asked before a delete request over `sources` (a double-NUL list): several
// sources ask for their count, a single folder for its name, a single file
// nothing. False when the user answered No; the request is then not made.
bool ConfirmDelete(HWND owner, const wchar_t* sources);

// Asked by the engine. `several` selects the form with All and Cancel.
// A dialog that cannot be shown answers something that is none of the
// answers; callers take it as Yes.
int AskDeleteFile(HWND owner, const wchar_t* path, bool several);
int AskReplaceFolder(HWND owner, const wchar_t* existingFolder, bool several);
int AskReplaceFile(HWND owner, const wchar_t* newFile, const wchar_t* existingFile, bool several);
