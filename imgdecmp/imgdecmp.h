// The image decoder's published interface: the parameter block and the one
// entry point of IMGDECMP.DLL. Shared by the DLL and by the program, which
// loads the DLL at run time and never links against it.
//
// The layout is the published one, member for member; its size is whatever
// this target makes of it (dwSize carries sizeof(DecompressImageInfo)).
#pragma once

#include <windows.h>

// Asks for up to `size` more bytes of the image into `buffer`; returns how
// many it stored, 0 at the end of the data or on an error.
typedef DWORD(CALLBACK* GetImageData)(LPSTR buffer, DWORD size, LPARAM param);
// Told of decoding progress; `render` is the render object when one was
// asked for (never, with this decoder), `complete` is TRUE once the image is done.
typedef void(CALLBACK* ImageProgress)(void* render, BOOL complete, LPARAM param);

struct DecompressImageInfo {
    DWORD dwSize;                    // sizeof(DecompressImageInfo)
    LPBYTE pbBuffer;                 // caller's read buffer
    DWORD dwBufferMax;               // its size in bytes
    DWORD dwBufferCurrent;           // bytes of the image already in it
    HBITMAP* phBM;                   // receives the decoded bitmap (the caller owns it)
    void** ppImageRender;            // render object for progressive drawing; not offered
    int iBitDepth;                   // bits per pixel wanted (the display's)
    LPARAM lParam;                   // passed back to both callbacks
    HDC hdc;                         // reference for palettes at 8 bits or fewer
    int iScale;                      // percentage of the image's own size, 1 to 100
    int iMaxWidth;                   // largest result width; 0 or less: no limit
    int iMaxHeight;                  // largest result height; 0 or less: no limit
    GetImageData pfnGetData;         // reads the image
    ImageProgress pfnImageProgress;  // may be null
    COLORREF crTransparentOverride;  // colour for transparent pixels; CLR_INVALID: the image's own
};

// Decodes the image read through info->pfnGetData into a DIB section stored in
// *info->phBM. S_OK on success; a failure code otherwise, *phBM then null.
extern "C" HRESULT WINAPI DecompressImageIndirect(DecompressImageInfo* info);
typedef HRESULT(WINAPI* DecompressImageIndirectProc)(DecompressImageInfo* info);
