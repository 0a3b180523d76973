// Find: the search of a location's tree from the file dialog, on a worker
// thread behind the small "Find in progress..." dialog with its Abort
// button, and the question that asks for the names to look for.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "framework/dialog.h"
#include "framework/paths.h"

class FileItem;

// The most a search finds: it stops there. More is nothing to look through
// on a handheld's screen, and the list control takes in items ever more
// slowly as it fills (tens of seconds past 100,000 under Wine).
inline constexpr size_t kMaxFound = 10000;

// The progress dialog of one search and the search's state. Its
// initialisation starts the worker; the worker posts its end and never
// waits for the dialog, so that the owner can always wait for the worker
// (see RunFind) without a deadlock.
class FDlgFindProgress : public FDlg {
public:
    // Files are found when their names match `patterns` and `filter` (the
    // dialog's file type; "*.*" lets every file through), folders when they
    // match `patterns`.
    FDlgFindProgress(const wchar_t* root, const wchar_t* patterns, const wchar_t* filter)
        : root_(root), patterns_(patterns), filter_(filter) {}
    ~FDlgFindProgress() override;

    INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Abort (and the close box) stop the search; the dialog ends when the
    // worker has.
    INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Stops the worker and waits until it has ended: after the dialog, and
    // whenever the dialog's loop was left early (the program ending).
    void StopAndWait();

    // What was found, in the order found; the caller takes the items.
    std::vector<FileItem*> found;
    // True when the search was stopped before the whole tree was searched.
    bool aborted = false;

private:
    static DWORD WINAPI WorkerMain(void* self);
    // Shows the folder being searched when it changed since last shown.
    void ShowFolder();

    const wchar_t* root_;
    const wchar_t* patterns_;
    const wchar_t* filter_;
    std::atomic<bool> stop_{false};
    HANDLE worker_ = nullptr;
    // The folder being searched, written by the worker, shown by a timer.
    SRWLOCK folderLock_ = SRWLOCK_INIT;
    wchar_t folder_[kMaxPath] = L"";
    bool folderChanged_ = false;
};

// Searches `root` (a folder path, "\" for the whole device) and every folder
// below it for `patterns`, files only where they also pass `filter`, behind
// the progress dialog owned by `owner`, until kMaxFound are found.
// Appends what was found to `found` (the caller owns the items; their type
// texts are not set). Returns false when the dialog could not be shown;
// `aborted` tells whether Abort, or the kMaxFound limit, cut the search
// short.
bool RunFind(HWND owner, const wchar_t* root, const wchar_t* patterns, const wchar_t* filter,
             std::vector<FileItem*>& found, bool& aborted);

// Asks for the names to look for, prefilled with `initial`, in a small
// question owned by `owner`. True, with the text in `patterns` (kMaxPath
// units), after OK; a text of kMaxPath units or more is refused with a
// message and the question stays.
bool AskFindPatterns(HWND owner, const wchar_t* initial, wchar_t* patterns);
