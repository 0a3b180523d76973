// The single-file changes the program makes to the file system. Each does
// one platform call and, when it fails, shows the user a message over
// `owner` that fits the platform's error code; callers learn only success
// or failure and never show a second message. Files that live in ROM are
// passed over as done: the handheld cannot change them.
//
// The message is in the interface language at the moment of the failure;
// texts that name the failing call ("Error CopyFile %d") are the same in both.
#pragma once

#include <windows.h>

// The copy, move and delete primitives read the attributes of their file
// (for the in-ROM bit) unless the caller passes them as it has just listed
// them (ce::FindFirstFileW gives the in-ROM bit too): a walk over thousands
// of files then asks the file system once per file, not three times.
inline constexpr DWORD kUnknownAttributes = INVALID_FILE_ATTRIBUTES;

// Copies a file, overwriting an existing target.
[[nodiscard]] bool CopyFileChecked(HWND owner, const wchar_t* source, const wchar_t* target,
                                   DWORD sourceAttributes = kUnknownAttributes);
// Moves or renames a file (or a folder, within one drive).
[[nodiscard]] bool MoveFileChecked(HWND owner, const wchar_t* source, const wchar_t* target,
                                   DWORD sourceAttributes = kUnknownAttributes);
// Moves a file onto an existing target in one step, as MoveFileChecked with
// the same messages: the target is never gone while the source is still
// where it was.
[[nodiscard]] bool MoveFileReplacing(HWND owner, const wchar_t* source, const wchar_t* target,
                                     DWORD sourceAttributes = kUnknownAttributes);
// Deletes a file, clearing read-only, hidden and system first.
[[nodiscard]] bool DeleteFileChecked(HWND owner, const wchar_t* path, DWORD attributes = kUnknownAttributes);
// Removes an empty folder, clearing its attributes first.
[[nodiscard]] bool RemoveFolderChecked(HWND owner, const wchar_t* path);
[[nodiscard]] bool SetAttributesChecked(HWND owner, const wchar_t* path, DWORD attributes);
// Creates one folder whose parent exists.
[[nodiscard]] bool CreateFolderChecked(HWND owner, const wchar_t* path);
// Creates a folder and every missing folder above it. An existing folder is
// success; an existing file, or a file in the way above, is failure without
// a message (nothing failed that the user could act on).
[[nodiscard]] bool CreateFolderPath(HWND owner, const wchar_t* path);
