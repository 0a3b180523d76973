// Location codes: one small code names every place the file dialog can show
// and every kind of entry it lists; eight special locations are not folders
// of their own. Also the common interface of listed entries.
#pragma once

#include <cstdint>

#include "framework/fobject.h"

// A location or the kind of a listed entry. 16 bits of meaning, held in
// 32-bit fields.
using LocationCode = std::uint32_t;

inline constexpr LocationCode kNoLocation = 0;
inline constexpr LocationCode kAppletEntry = 0x0001;
inline constexpr LocationCode kFileEntry = 0x0300;
inline constexpr LocationCode kDatabaseEntry = 0x0402;
inline constexpr LocationCode kPlainFolder = 0x4F0E;

inline constexpr LocationCode kDesktop = 0xC000;
inline constexpr LocationCode kMyDevice = 0xC801;
inline constexpr LocationCode kMyNetwork = 0xC002;
inline constexpr LocationCode kControlPanel = 0xC003;
inline constexpr LocationCode kDatabases = 0xC004;
inline constexpr LocationCode kMyDocuments = 0xCC05;
inline constexpr LocationCode kTrashBox = 0xC006;
inline constexpr LocationCode kFindResult = 0xC007;

// Bit meanings: a special location (its low 4 bits index the table), New
// Folder allowed, the entry's name may be edited.
inline constexpr LocationCode kSpecialLocationBit = 0x8000;
inline constexpr LocationCode kNewFolderBit = 0x0800;
inline constexpr LocationCode kEditableNameBit = 0x0100;
inline constexpr LocationCode kLocationIndexMask = 0x000F;

inline bool IsSpecialLocation(LocationCode code) { return (code & kSpecialLocationBit) != 0; }
inline bool AllowsNewFolder(LocationCode code) { return (code & kNewFolderBit) != 0; }
inline bool HasEditableName(LocationCode code) { return (code & kEditableNameBit) != 0; }
// Desktop (and no location) have no parent location: Up is disabled there.
inline bool HasParentLocation(LocationCode code) { return (code & kLocationIndexMask) != 0; }

// One special location.
struct LocationRecord {
    LocationCode code;
    const wchar_t* markerPath;
    const wchar_t* japaneseName;
    const wchar_t* englishName;
    int icon;  // the folder bar shows image icon + 9
};

inline constexpr int kLocationCount = 8;
extern const LocationRecord LocationTable[kLocationCount];

// Turns a typed or stored text into a location. The text is compared,
// without regard to case, with each record in table order: its marker path,
// then its Japanese name, then its English name. On the first match the
// text (a buffer of at least kMaxPath units) becomes the record's marker
// path and the record's code is returned. Otherwise the text stays as it is
// and kPlainFolder is returned; whether such a folder exists is for the
// caller to find out.
LocationCode LookupLocation(wchar_t* text);

// The marker path and the display name (in the interface language at the
// moment of the call) of the record at index (code & 0xF). A code whose
// index is past the table gives the empty text.
const wchar_t* LocationPath(LocationCode code);
const wchar_t* LocationName(LocationCode code);

// An entry of the folder view's list: each list item carries a pointer to
// its entry. The kind is a location code; the image is a number in the
// shared image lists, -1 while it has not been asked for.
class ListEntry : public FObject {
public:
    ListEntry(LocationCode kind, int image) : kind(kind), image(image) {}

    // The text the list shows.
    virtual const wchar_t* Name() const = 0;
    // Size in bytes (low 32 bits) or 0 where sizes mean nothing.
    virtual std::uint32_t Size() const = 0;

    LocationCode kind;
    int image;
};
