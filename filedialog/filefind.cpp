// Find: the worker that searches behind its progress dialog, and the
// question that asks what to look for.
#include "filedialog/filefind.h"

#include <algorithm>
#include <cwchar>
#include <string>

#include "fileops/walk.h"
#include "framework/appvalues.h"
#include "framework/errorbox.h"
#include "framework/language.h"
#include "framework/window.h"
#include "resources/resource.h"
#include "shell/fileitem.h"
#include "shell/patterns.h"

namespace {

// Posted by the worker as its last act on the dialog.
constexpr UINT kFindDone = WM_APP + 0x62;
constexpr UINT_PTR kFolderTimer = 1;
// The folder text changes at most this often: each change is a repaint.
constexpr UINT kFolderIntervalMs = 100;

}  // namespace

FDlgFindProgress::~FDlgFindProgress() {
    StopAndWait();
    for (FileItem* item : found) delete item;
}

void FDlgFindProgress::StopAndWait() {
    if (!worker_) return;
    stop_ = true;
    // The worker never waits for this thread: a plain wait cannot block it.
    WaitForSingleObject(worker_, INFINITE);
    CloseHandle(worker_);
    worker_ = nullptr;
}

INT_PTR FDlgFindProgress::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kFindDone:
        KillTimer(hwnd, kFolderTimer);
        EndDialog(hwnd, IDOK);
        return TRUE;
    case WM_TIMER:
        if (wParam == kFolderTimer) ShowFolder();
        return TRUE;
    default:
        return FDlg::DialogProc(hwnd, message, wParam, lParam);
    }
}

INT_PTR FDlgFindProgress::OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) {
    CenterWindow(hwnd);
    // The template's text fills the whole dialog, Abort included: it ends
    // above the button here, so that a long path cannot paint over Abort.
    HWND text = GetDlgItem(hwnd, IDC_FIND_TEXT);
    HWND abort = GetDlgItem(hwnd, IDCANCEL);
    RECT textRect{}, abortRect{};
    if (text && abort && GetWindowRect(text, &textRect) && GetWindowRect(abort, &abortRect)) {
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&textRect), 2);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&abortRect), 2);
        const LONG bottom = std::min(textRect.bottom, abortRect.top - ScaleY(2));
        SetWindowPos(text, nullptr, textRect.left + ScaleX(2), textRect.top + ScaleY(2),
                     textRect.right - textRect.left - ScaleX(4), std::max(0L, bottom - textRect.top - ScaleY(2)),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetDlgItemTextW(hwnd, IDC_FIND_TEXT, root_);
    SetTimer(hwnd, kFolderTimer, kFolderIntervalMs, nullptr);
    DWORD threadId = 0;
    worker_ = CreateThread(nullptr, 0, WorkerMain, this, 0, &threadId);
    if (!worker_) {
        ShowError(hwnd, L"Error CreateThread %d", static_cast<int>(GetLastError()));
        aborted = true;
        PostMessageW(hwnd, kFindDone, 0, 0);
    }
    return TRUE;
}

INT_PTR FDlgFindProgress::OnCommand(HWND, UINT, WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) == IDCANCEL) stop_ = true;
    return TRUE;
}

INT_PTR FDlgFindProgress::OnPaint(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

void FDlgFindProgress::ShowFolder() {
    wchar_t shown[kMaxPath];
    AcquireSRWLockExclusive(&folderLock_);
    const bool changed = folderChanged_;
    if (changed) lstrcpynW(shown, folder_, kMaxPath);
    folderChanged_ = false;
    ReleaseSRWLockExclusive(&folderLock_);
    if (changed) SetDlgItemTextW(hwnd, IDC_FIND_TEXT, shown);
}

DWORD WINAPI FDlgFindProgress::WorkerMain(void* self) {
    auto* dialog = static_cast<FDlgFindProgress*>(self);
    const HWND hwnd = dialog->hwnd;
    SearchCalls calls;
    calls.entering = [dialog](const wchar_t* folder) {
        AcquireSRWLockExclusive(&dialog->folderLock_);
        lstrcpynW(dialog->folder_, folder, kMaxPath);
        dialog->folderChanged_ = true;
        ReleaseSRWLockExclusive(&dialog->folderLock_);
    };
    // The dialog lists no file of another type: neither do its results.
    const bool everyFile = std::wcscmp(dialog->filter_, L"*.*") == 0;
    // The search passes over paths that would not fit: every item has its path.
    calls.found = [dialog, everyFile](const wchar_t* folder, const WIN32_FIND_DATAW& data) {
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && !everyFile && !MatchFilePatterns(data.cFileName, dialog->filter_, L";", false)) return;
        dialog->found.push_back(new FileItem(folder, data));
        if (dialog->found.size() >= kMaxFound) dialog->stop_ = true;
    };
    bool whole = false;
    try {
        whole = SearchTree(dialog->root_, dialog->patterns_, dialog->stop_, calls);
    } catch (...) {
        // Out of memory for yet more results: keep what was found.
        whole = false;
    }
    dialog->aborted = !whole;
    // The last touch of the dialog; the owner waits for this thread before
    // the object goes.
    PostMessageW(hwnd, kFindDone, 0, 0);
    return 0;
}

bool RunFind(HWND owner, const wchar_t* root, const wchar_t* patterns, const wchar_t* filter,
             std::vector<FileItem*>& found, bool& aborted) {
    FDlgFindProgress dialog(root, patterns, filter);
    const INT_PTR shown = DoModal(dialog, owner, ByLanguage(L"FDlgFindProgress_E", L"FDlgFindProgress_J"));
    // The loop may have been left before the worker ended (the program
    // ending): the worker is stopped and waited for before its state goes.
    dialog.StopAndWait();
    aborted = dialog.aborted;
    found.insert(found.end(), dialog.found.begin(), dialog.found.end());
    dialog.found.clear();
    return shown != -1;
}

// ---- The question ---------------------------------------------------------------------

namespace {

class FDlgFindName : public FDlg {
public:
    FDlgFindName(const wchar_t* initial, wchar_t* patterns) : initial_(initial), patterns_(patterns) {}

    INT_PTR OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) override {
        CenterWindow(hwnd);
        SetDlgItemTextW(hwnd, IDC_FIND_NAME, initial_);
        HWND edit = GetDlgItem(hwnd, IDC_FIND_NAME);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SetFocus(edit);
        return FALSE;  // the focus is set
    }
    INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (LOWORD(wParam) != IDOK) return FDlg::OnCommand(hwnd, message, wParam, lParam);
        HWND edit = GetDlgItem(hwnd, IDC_FIND_NAME);
        const int length = GetWindowTextLengthW(edit);
        // Refused, not cut: a shortened pattern would look for other names.
        if (length >= kMaxPath) {
            ShowError(hwnd, ByLanguage(L"The name is too long.", L"名前が長すぎます｡"));
            return TRUE;
        }
        GetWindowTextW(edit, patterns_, kMaxPath);
        EndDialog(hwnd, IDOK);
        return TRUE;
    }
    INT_PTR OnPaint(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }

private:
    const wchar_t* initial_;
    wchar_t* patterns_;
};

}  // namespace

bool AskFindPatterns(HWND owner, const wchar_t* initial, wchar_t* patterns) {
    patterns[0] = L'\0';
    FDlgFindName question(initial ? initial : L"", patterns);
    return DoModal(question, owner, ByLanguage(L"FDlgFindName_E", L"FDlgFindName_J")) == IDOK;
}
