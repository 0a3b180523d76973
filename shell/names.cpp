// New-folder names and the check of typed names.
#include "shell/names.h"

#include <cwchar>
#include <iterator>

#include "framework/errorbox.h"
#include "framework/language.h"
#include "framework/paths.h"

bool MakeNewFolderName(wchar_t* out, const wchar_t* folder) {
    if (!JoinPath(out, folder, ByLanguage(L"New Folder", L"新しいフォルダ"))) return false;
    // Each try needs a file-system call, and the names grow by a digit every
    // tenfold; the length limit ends the search long before the counter would.
    for (int n = 2; PathExists(out); ++n) {
        wchar_t name[32];
        std::swprintf(name, std::size(name), ByLanguage(L"New Folder (%d)", L"新しいフォルダ (%d)"), n);
        if (!JoinPath(out, folder, name)) return false;
    }
    return true;
}

bool CheckFileName(HWND owner, const wchar_t* name) {
    if (!std::wcspbrk(name, kForbiddenNameCharacters)) return true;
    ShowError(owner, ByLanguage(L"Invalid chars\n%s", L"ﾌｧｲﾙ名には次の文字は使えません。\n%s"),
              kForbiddenNameCharacters);
    return false;
}
