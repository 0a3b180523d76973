// The device's status as the handheld reports it: object store, power and
// storage cards, under the handheld's own names.
//
// A desktop machine has no object store, no backup battery and no storage
// cards, so each call starts from what the desktop can tell (the device
// drive's free space, the desktop power status, the real file system) and
// takes what the device profile (platform/deviceprofile.h) says on top. The
// profile is read on every call.
//
// Storage cards: a card is a folder in the device root, "\<name>", that the
// profile names under its subkey Cards\<name>. It needs both: a folder the
// profile does not name is a plain folder, and a card the profile names
// without a folder is not mounted. The attribute and find wrappers below
// report a card folder with FILE_ATTRIBUTE_TEMPORARY, as the handheld's file
// system does; GetDiskFreeSpaceExW answers the profile's sizes for it.
//
// In-ROM files: the paths the profile lists under InRomFiles carry
// FILE_ATTRIBUTE_INROM in the same wrappers. A desktop file system cannot
// keep that bit, so it exists only through them.
#pragma once

#include <windows.h>

// The handheld's attribute of files that live in ROM (the desktop's 0x40
// means a device, which no file here is).
#ifndef FILE_ATTRIBUTE_INROM
#define FILE_ATTRIBUTE_INROM 0x00000040
#endif

namespace ce {

// ---- Object store -------------------------------------------------------------

struct STORE_INFORMATION {
    DWORD dwStoreSize;  // bytes
    DWORD dwFreeSize;   // bytes, never above dwStoreSize
};
using LPSTORE_INFORMATION = STORE_INFORMATION*;

// The store is the device drive: its size and free space (each capped at
// 0xFFFFFFFF, as a 32-bit store cannot be larger), replaced by the profile's
// StoreSize and StoreFree where present. A free size above the store size is
// cut to the store size.
// Fails (FALSE, both fields 0, last error set) when `info` is null, when the
// drive cannot be asked, or when the profile's StoreQueryFails is 1.
BOOL GetStoreInformation(LPSTORE_INFORMATION info);

// ---- Power --------------------------------------------------------------------

struct SYSTEM_POWER_STATUS_EX {
    BYTE ACLineStatus;               // AC_LINE_OFFLINE 0, AC_LINE_ONLINE 1, unknown 255
    BYTE BatteryFlag;                // BATTERY_FLAG_* bits (1 high, 2 low, 4 critical,
                                     // 8 charging, 128 no battery), 255 unknown
    BYTE BatteryLifePercent;         // 0 to 100, 255 unknown
    BYTE Reserved1;
    DWORD BatteryLifeTime;           // seconds, BATTERY_LIFE_UNKNOWN when unknown
    DWORD BatteryFullLifeTime;
    BYTE Reserved2;
    BYTE BackupBatteryFlag;          // as BatteryFlag
    BYTE BackupBatteryLifePercent;   // as BatteryLifePercent
    BYTE Reserved3;
    DWORD BackupBatteryLifeTime;
    DWORD BackupBatteryFullLifeTime;
};
using PSYSTEM_POWER_STATUS_EX = SYSTEM_POWER_STATUS_EX*;

inline constexpr BYTE kPowerUnknown = 255;  // AC_LINE_UNKNOWN, BATTERY_FLAG_UNKNOWN, BATTERY_PERCENTAGE_UNKNOWN

// The main battery and the AC line as the desktop reports them, the backup
// battery unknown (the desktop has none), then the profile's
// ACLineStatus, MainBatteryPercent, MainBatteryFlag, BackupBatteryPercent
// and BackupBatteryFlag where present. `fUpdate` changes nothing: every call
// reads afresh.
// A failed query still fills `status`: every field unknown (255, and
// BATTERY_LIFE_UNKNOWN for the times, reserved bytes 0), profile values not
// applied, and the call returns FALSE. It fails when the desktop cannot be
// asked or when the profile's PowerQueryFails is 1. FALSE without filling
// anything when `status` is null.
BOOL GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX status, BOOL fUpdate);

// ---- Storage cards and the attribute overlay -------------------------------------

// As the desktop call, plus FILE_ATTRIBUTE_TEMPORARY for a card folder:
// "\<name>" or "\<name>\" (with or without the device drive's letter), and
// FILE_ATTRIBUTE_INROM for a path the profile lists as in ROM. The last
// error is left as the desktop call left it.
DWORD GetFileAttributesW(const wchar_t* path);

// As the desktop calls, plus FILE_ATTRIBUTE_TEMPORARY on the card folders of a
// search in the device root (such as "\*.*") and FILE_ATTRIBUTE_INROM on the
// entries the profile lists as in ROM (as the profile was when the search
// began). A search started here must be closed with ce::FindClose, which
// forgets it.
HANDLE FindFirstFileW(const wchar_t* pattern, WIN32_FIND_DATAW* data);
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE find);

// For an existing folder on a card ("\<card>" or any folder below it) the
// profile's figures: free (for the caller and in total) = FreeBytes,
// total = TotalBytes. A card the profile gives no TotalBytes is unreadable:
// the call fails with ERROR_NOT_READY and leaves the outputs alone. Missing
// FreeBytes counts as a full card; free space above the total is cut to the
// total. Any other path goes to the desktop call. Null outputs are allowed.
BOOL GetDiskFreeSpaceExW(const wchar_t* path, ULARGE_INTEGER* freeBytesAvailable,
                         ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFreeBytes);

// True when `name` (a folder name in the device root) is a card the profile
// names. Says nothing about whether the folder exists.
bool IsProfileCard(const wchar_t* name);

}  // namespace ce
