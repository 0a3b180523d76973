// The special locations and their lookup.
#include "shell/locations.h"

#include <windows.h>

#include <initializer_list>

#include "framework/language.h"
#include "framework/paths.h"

const LocationRecord LocationTable[kLocationCount] = {
    {kDesktop, L"", L"ﾃﾞｽｸﾄｯﾌﾟ", L"Desktop", 2},
    {kMyDevice, L"\\", L"ﾏｲ ﾃﾞﾊﾞｲｽ", L"My Device", 3},
    {kMyNetwork, L"\\\\", L"ﾏｲ ﾈｯﾄﾜｰｸ", L"My Network", 4},
    {kControlPanel, L"\\*CONTROLS", L"ｺﾝﾄﾛｰﾙ ﾊﾟﾈﾙ", L"Control Panel", 9},
    {kDatabases, L"\\*DATABASES", L"ﾃﾞｰﾀﾍﾞｰｽ", L"Database", 8},
    {kMyDocuments, L"\\My Documents", L"ﾏｲ ﾄﾞｷｭﾒﾝﾄ", L"My Documents", 5},
    {kTrashBox, L"\\Recycled", L"ごみ箱", L"Trash Box", 10},
    {kFindResult, L"*RESULT", L"検索結果", L"Find Result", 11},
};

namespace {

const LocationRecord* RecordOf(LocationCode code) {
    const unsigned index = code & kLocationIndexMask;
    return index < kLocationCount ? &LocationTable[index] : nullptr;
}

}  // namespace

LocationCode LookupLocation(wchar_t* text) {
    for (const LocationRecord& record : LocationTable) {
        for (const wchar_t* candidate : {record.markerPath, record.japaneseName, record.englishName}) {
            if (CompareStringOrdinal(text, -1, candidate, -1, TRUE) != CSTR_EQUAL) continue;
            // Marker paths are short literals: always within kMaxPath.
            lstrcpynW(text, record.markerPath, kMaxPath);
            return record.code;
        }
    }
    return kPlainFolder;
}

const wchar_t* LocationPath(LocationCode code) {
    const LocationRecord* record = RecordOf(code);
    return record ? record->markerPath : L"";
}

const wchar_t* LocationName(LocationCode code) {
    const LocationRecord* record = RecordOf(code);
    return record ? ByLanguage(record->englishName, record->japaneseName) : L"";
}
