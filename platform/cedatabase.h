// The object store's database enumeration, under the handheld's names.
//
// A desktop machine has no object store: the databases are those the device
// profile describes (platform/deviceprofile.h, Databases\<label>), read when
// they are asked for. Only the object store itself is a volume here; there
// are no mounted database volumes, and every object is a database.
//
// Object identifiers are handed out by this process, one per profile entry
// (by its label) the first time an enumeration meets it, and stay the same
// for the life of the process. Information is read afresh on every call, so
// an entry removed from the profile after it was found no longer reads.
#pragma once

#include <windows.h>

namespace ce {

using CEOID = DWORD;

// A database volume; all zero (CREATE_SYSTEMGUID) names the object store.
struct CEGUID {
    DWORD Data1;
    DWORD Data2;
    DWORD Data3;
    DWORD Data4;
};
using PCEGUID = CEGUID*;

inline constexpr WORD OBJTYPE_DATABASE = 3;

// The handheld keeps database names of up to 32 units; the file dialog
// lists names of up to 259, and so does this stand-in (terminator included
// here).
inline constexpr int kMaxDatabaseName = MAX_PATH;

// The parts of the handheld's records that the program reads.
struct CEDBASEINFO {
    WCHAR szDbaseName[kMaxDatabaseName];
    DWORD dwDbaseType;
    DWORD dwSize;  // bytes
};

struct CEOIDINFO {
    WORD wObjType;  // OBJTYPE_DATABASE for every object here
    CEDBASEINFO infDatabase;
};

// Starts an enumeration of the databases of type `dwDbaseType` (0: every
// type) on the volume `pguid` (null or all zero: the object store). The
// entries are those of the profile when the enumeration starts. Returns
// INVALID_HANDLE_VALUE with ERROR_INVALID_PARAMETER for any other volume.
// The handle is closed with ce::CloseHandle.
HANDLE CeFindFirstDatabaseEx(PCEGUID pguid, DWORD dwDbaseType);

// The identifier of the next database of the enumeration, or 0 (with
// ERROR_NO_MORE_ITEMS) after the last one or for a handle that is not an
// open enumeration. Entries removed from the profile, or whose type no
// longer matches, are passed over. `pguid` is not used.
CEOID CeFindNextDatabaseEx(HANDLE hEnum, PCEGUID pguid);

// Fills `oidInfo` (zeroed first) with the name, type and size of the
// database `oid`. Fails (FALSE, last error set) for a null record, another
// volume, an unknown identifier, an entry gone from the profile, one
// without a name or with a name that would not fit in 259 units (never cut:
// it would name another database), and one the profile marks ReadFails.
BOOL CeOidGetInfoEx(PCEGUID pguid, CEOID oid, CEOIDINFO* oidInfo);

// Closes an enumeration started by CeFindFirstDatabaseEx; any other handle
// goes to the desktop call.
BOOL CloseHandle(HANDLE handle);

}  // namespace ce
