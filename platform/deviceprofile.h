// The device profile: what a desktop machine cannot show about a handheld.
//
// One registry key of the Wine prefix describes the simulated device (input
// panel, object store, batteries and storage cards, in-ROM files and
// object-store databases). It is read on every call, so a test can change the device
// between two calls. docs/device-profile.md lists every value.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ce {

// HKEY_CURRENT_USER\<kDeviceProfileKey>
inline constexpr const wchar_t* kDeviceProfileKey = L"Software\\Pebblora Device";

// Value names.
inline constexpr const wchar_t* kProfileSipShown = L"SipShown";    // DWORD: input panel up (1) or down (0)
inline constexpr const wchar_t* kProfileSipHeight = L"SipHeight";  // DWORD: panel height in pixels

// Object store (GetStoreInformation): DWORD byte counts; the device drive's
// figures where missing. StoreQueryFails = 1 makes the query fail.
inline constexpr const wchar_t* kProfileStoreSize = L"StoreSize";
inline constexpr const wchar_t* kProfileStoreFree = L"StoreFree";
inline constexpr const wchar_t* kProfileStoreQueryFails = L"StoreQueryFails";

// Power (GetSystemPowerStatusEx): DWORDs holding the byte the call reports
// (a value above 255 counts as missing); the desktop's figures where missing.
// PowerQueryFails = 1 makes the query fail.
inline constexpr const wchar_t* kProfileACLineStatus = L"ACLineStatus";
inline constexpr const wchar_t* kProfileMainBatteryPercent = L"MainBatteryPercent";
inline constexpr const wchar_t* kProfileMainBatteryFlag = L"MainBatteryFlag";
inline constexpr const wchar_t* kProfileBackupBatteryPercent = L"BackupBatteryPercent";
inline constexpr const wchar_t* kProfileBackupBatteryFlag = L"BackupBatteryFlag";
inline constexpr const wchar_t* kProfilePowerQueryFails = L"PowerQueryFails";

// Storage cards: one subkey Cards\<folder name> per card, holding QWORD
// byte counts (a DWORD is taken too). No TotalBytes: the card is unreadable.
inline constexpr const wchar_t* kProfileCardsKey = L"Cards";
inline constexpr const wchar_t* kProfileCardTotalBytes = L"TotalBytes";
inline constexpr const wchar_t* kProfileCardFreeBytes = L"FreeBytes";

// In-ROM files: a multi-string of device paths ("\Windows\calc.exe"), files
// or folders, compared without regard to case. The attribute and find
// wrappers add FILE_ATTRIBUTE_INROM (0x40) to exactly these paths.
inline constexpr const wchar_t* kProfileInRomFiles = L"InRomFiles";

// Object-store databases: one subkey Databases\<label> per database; the
// label only tells the keys apart. Name (REG_SZ, required, at most 259
// units), Type (DWORD, the database type, 0 when missing), Size (QWORD or
// DWORD bytes, capped at 0xFFFFFFFF, 0 when missing). ReadFails = 1 makes
// reading the database's information fail.
inline constexpr const wchar_t* kProfileDatabasesKey = L"Databases";
inline constexpr const wchar_t* kProfileDatabaseName = L"Name";
inline constexpr const wchar_t* kProfileDatabaseType = L"Type";
inline constexpr const wchar_t* kProfileDatabaseSize = L"Size";
inline constexpr const wchar_t* kProfileDatabaseReadFails = L"ReadFails";

// The readers below take a subkey path of up to about 500 units; a longer
// one counts as missing (cut short, it would name another key).

// Reads a DWORD value of the profile (or of its subkey `subkey`, when not
// null); `fallback` when the key or value is missing or not a DWORD.
DWORD ReadProfileNumber(const wchar_t* name, DWORD fallback, const wchar_t* subkey = nullptr);

// Reads a QWORD (or DWORD) value of the profile or of its subkey into
// `value`. Returns false, leaving `value` alone, when missing or of another type.
bool ReadProfileQword(const wchar_t* name, ULONGLONG& value, const wchar_t* subkey = nullptr);

// True when the profile has the subkey `subkey`.
bool HasProfileKey(const wchar_t* subkey);

// Reads a string value of the profile into `buffer` of `units` units, always
// terminated. Returns false (and an empty text) when missing or not a string.
bool ReadProfileText(const wchar_t* name, wchar_t* buffer, DWORD units, const wchar_t* subkey = nullptr);

// Reads a multi-string value of the profile: one text per item, empty items
// dropped. Returns false (and no items) when missing or of another type.
bool ReadProfileTexts(const wchar_t* name, std::vector<std::wstring>& items, const wchar_t* subkey = nullptr);

// Reads the names of the subkeys of the profile's subkey `subkey`, in the
// registry's order. Returns false (and no names) when the subkey is missing.
bool ReadProfileSubkeys(const wchar_t* subkey, std::vector<std::wstring>& names);

}  // namespace ce
