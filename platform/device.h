// The device as the program sees it: "\" is the root of the device drive.
//
// On the handheld, paths have no drive letters. Here the device is a folder
// mapped to a drive; these calls keep the rest of the program unaware of it.
#pragma once

#include <windows.h>

namespace ce {

// Makes the root of the executable's drive the current directory, so that
// "\" names the device root. Returns false when it cannot.
bool EnterDeviceRoot();

// Like the desktop call, but without the drive letter when the module sits
// on the current (device) drive: "\Program Files\Pebblora\pebblora.exe".
// Returns the units written, excluding the terminator; 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, wchar_t* buffer, DWORD units);

// Removes a leading "X:" that names the current drive, in place. Returns
// true when it did.
bool StripDeviceDrive(wchar_t* path);

}  // namespace ce
