// Image files into bitmaps for the skins, and the two bitmap operations the
// game's layout needs.
//
// Images of every format go through the optional decoder IMGDECMP.DLL, which
// is looked for beside the executable (and in the system folder) and loaded
// for each image; without it, or when it cannot decode a file, only
// uncompressed BMP files load. Every failure gives a null bitmap and no
// message: callers fall back to their built-in pictures.
#pragma once

#include <windows.h>

struct DecompressImageInfo;

// Reads the image file at `path` into a bitmap no larger than maxWidth x
// maxHeight (larger images are scaled down by the decoder; BMP files read
// without it keep their size), for a display of `bitDepth` bits per pixel.
// The caller owns the bitmap; null on failure.
[[nodiscard]] HBITMAP LoadImageFile(const wchar_t* path, int maxWidth, int maxHeight, int bitDepth);

// Calls DecompressImageIndirect of IMGDECMP.DLL with `info`, loading the DLL
// for this call only. E_NOTIMPL when the DLL or its entry point is missing;
// otherwise the decoder's result.
[[nodiscard]] HRESULT DecompressImage(DecompressImageInfo* info);

// The decoder's read callback: `param` is an open file handle. Reads up to
// `size` bytes into `buffer`; returns the count read, 0 at the end of the file,
// on an error, or when `param` is INVALID_HANDLE_VALUE.
DWORD CALLBACK ReadImageData(LPSTR buffer, DWORD size, LPARAM param);

// Reads an uncompressed bottom-up BMP file into a DIB section; the caller owns
// it. Null for anything else (the full contract is at the definition).
[[nodiscard]] HBITMAP LoadBmpFile(const wchar_t* path);

// Width and height of a bitmap. False, with both 0, when `bitmap` is not a
// bitmap handle.
[[nodiscard]] bool GetBitmapSize(HBITMAP bitmap, int& width, int& height);

// Covers `rect` of `dc` with copies of `bitmap`, the first at its top-left
// corner; the last row and column of copies may reach past its right and
// bottom edges. Draws nothing for an empty rectangle or a handle that is not a
// bitmap. The bitmap must not be selected into another device context.
void TileBitmap(HDC dc, const RECT& rect, HBITMAP bitmap);
