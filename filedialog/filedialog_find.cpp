// The file selection dialog's Find: which tree a location searches, the
// question, the search behind its progress dialog, the results, and Ctrl+F.
#include <cwchar>
#include <string>
#include <vector>

#include "filedialog/filedialog.h"
#include "filedialog/filefind.h"
#include "framework/language.h"
#include "resources/resource.h"
#include "shell/fileitem.h"

namespace {

// The chooser whose keys the filter watches: one at a time on a thread.
thread_local HWND gKeysOf = nullptr;

// Ctrl+F wherever the focus is in the chooser (the list, the name box, the
// type box): the dialog's own loop lets no accelerator table see its keys,
// but it passes them through this filter first.
LRESULT CALLBACK FindKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && msg && msg->message == WM_KEYDOWN && msg->wParam == 'F' &&
        GetKeyState(VK_CONTROL) < 0 && !(GetKeyState(VK_MENU) < 0) && gKeysOf &&
        (msg->hwnd == gKeysOf || IsChild(gKeysOf, msg->hwnd))) {
        PostMessageW(gKeysOf, WM_COMMAND, IDM_FOLDER_FIND, 0);
        return TRUE;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The name box's text, else the file-type filter's patterns: what the
// question starts with.
std::wstring FirstGuess(HWND dialog, const wchar_t* filter) {
    HWND box = GetDlgItem(dialog, IDC_FILE_NAME);
    const int length = box ? GetWindowTextLengthW(box) : 0;
    if (length > 0) {
        std::wstring typed(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(box, typed.data(), length + 1);
        typed.resize(static_cast<size_t>(length));
        return typed;
    }
    return filter;
}

}  // namespace

void WatchFindKeys(FDlgGetFileName& dialog, bool on) {
    if (on) {
        gKeysOf = dialog.hwnd;
        dialog.findKeys = SetWindowsHookExW(WH_MSGFILTER, FindKeyFilter, nullptr, GetCurrentThreadId());
    } else {
        if (dialog.findKeys) UnhookWindowsHookEx(dialog.findKeys);
        dialog.findKeys = nullptr;
        if (gKeysOf == dialog.hwnd) gKeysOf = nullptr;
    }
}

bool FDlgGetFileName::SearchRoot(wchar_t* root) const {
    root[0] = L'\0';
    if (!view) return false;
    switch (view->location) {
    case kNoLocation:
    case kControlPanel:
    case kDatabases:
    case kFindResult:
    case kMyNetwork:
        return false;
    case kDesktop:
        // The Desktop holds My Device: the whole device.
        lstrcpynW(root, L"\\", kMaxPath);
        return true;
    default:
        // My Device is "\", My Documents its folder, a plain folder its path.
        lstrcpynW(root, view->path, kMaxPath);
        return root[0] != L'\0';
    }
}

void FDlgGetFileName::Find() {
    wchar_t root[kMaxPath];
    if (!SearchRoot(root)) {
        MessageBeep(MB_ICONEXCLAMATION);
        return;
    }
    const std::wstring guess = FirstGuess(hwnd, view->filter);
    wchar_t patterns[kMaxPath];
    if (!AskFindPatterns(hwnd, guess.c_str(), patterns)) return;

    std::vector<FileItem*> found;
    bool aborted = false;
    const bool ran = RunFind(hwnd, root, patterns, view->filter, found, aborted);
    if (ran && found.empty()) {
        MessageBoxW(hwnd, ByLanguage(L"No files found.", L"見つかりません｡"), ByLanguage(L"Find", L"検索"),
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (found.empty()) return;
    if (found.size() >= kMaxFound) {
        wchar_t text[160];
        swprintf(text, 160,
                 ByLanguage(L"More than %u found.\nThe first %u are shown.\nLook for a narrower name\nto see the rest.",
                            L"%u 件を超えました｡\n最初の %u 件を表示します｡\n残りは名前を絞って\n検索してください｡"),
                 static_cast<unsigned>(kMaxFound), static_cast<unsigned>(kMaxFound));
        MessageBoxW(hwnd, text, ByLanguage(L"Find", L"検索"), MB_OK | MB_ICONINFORMATION);
    }
    view->TakeResults(found);
    // Back returns to where the search started.
    (void)Navigate(kFindResult, LocationPath(kFindResult), true);
}
