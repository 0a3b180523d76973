// The device profile: what a desktop machine cannot show about a handheld.
//
// One registry key of the Wine prefix describes the simulated device (input
// panel, and in time storage cards, in-ROM files, object-store databases and
// batteries). It is read on every call, so a test can change the device
// between two calls. docs/device-profile.md lists every value.
#pragma once

#include <windows.h>

namespace ce {

// HKEY_CURRENT_USER\<kDeviceProfileKey>
inline constexpr const wchar_t* kDeviceProfileKey = L"Software\\Pebblora Device";

// Value names.
inline constexpr const wchar_t* kProfileSipShown = L"SipShown";    // DWORD: input panel up (1) or down (0)
inline constexpr const wchar_t* kProfileSipHeight = L"SipHeight";  // DWORD: panel height in pixels

// Reads a DWORD value of the profile (or of its subkey `subkey`, when not
// null); `fallback` when the key or value is missing or not a DWORD.
DWORD ReadProfileNumber(const wchar_t* name, DWORD fallback, const wchar_t* subkey = nullptr);

// Reads a string value of the profile into `buffer` of `units` units, always
// terminated. Returns false (and an empty text) when missing or not a string.
bool ReadProfileText(const wchar_t* name, wchar_t* buffer, DWORD units, const wchar_t* subkey = nullptr);

}  // namespace ce
