// The file operation engine: one copy, move or delete request over a list of
// files and folders, carried out on a worker thread behind a small progress
// dialog with a Cancel button. The engine does every file-system change
// itself, item by item and recursively for folders, asks the user through
// the confirmation questions and reports each failure once, through the
// primitive that failed, then stops the request. Nothing is rolled back.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstddef>
#include <optional>

#include "framework/dialog.h"
#include "framework/paths.h"

// A request, laid out as the platform's shell request but byte-packed, so
// that kinds (FO_MOVE, FO_COPY, FO_DELETE, FO_RENAME) and flags keep their
// platform values. The engine reads only owner, kind, sources, destination
// and the FOF_NOCONFIRMATION bit of the flags; the rest is carried.
#pragma pack(push, 1)
struct FileOpRequest {
    HWND owner;
    UINT kind;
    const wchar_t* sources;      // full paths, each NUL-terminated, the list ended by an empty one
    const wchar_t* destination;  // the destination folder (copy, move)
    WORD flags;
    BOOL anyOperationsAborted;
    void* nameMappings;
    const wchar_t* progressTitle;
};
#pragma pack(pop)

// Runs the request behind the progress dialog, owned by the request's owner,
// and returns when the dialog has closed: true when the dialog appeared.
// Whether the request was cancelled or failed is not told; the caller
// refreshes what it shows in every case.
bool RunFileOperation(const FileOpRequest& request);

// What each step of a pass tells the walk: go on, or stop the whole request
// (the user cancelled, or a message has been shown).
enum class StepResult { Continue, Cancelled, Failed };

// The progress dialog and the state of one request. Its initialisation
// starts the worker thread; the worker ends the dialog as its last act on
// the object, which lives on the caller's stack until the modal run returns.
class FDlgFileOp : public FDlg {
public:
    explicit FDlgFileOp(const FileOpRequest& request) : request(&request) {}

    INT_PTR DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    INT_PTR OnInitDialog(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // Cancel sets the cancel flag; the dialog stays open until the worker ends it.
    INT_PTR OnCommand(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    // No title band: the dialog keeps its template's look.
    INT_PTR OnPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    const FileOpRequest* request;
    int foldersTotal = 0;
    int filesTotal = 0;
    int foldersDone = 0;
    int filesDone = 0;
    bool severalItems = false;
    bool confirm = true;
    int depth = 0;
    // Written by the Cancel button on the interface thread, read by the worker.
    std::atomic<bool> cancel{false};
    // Stops the worker when it still runs and waits until it has ended.
    void StopWorker();

private:
    HANDLE worker = nullptr;
    static DWORD WINAPI WorkerMain(void* self);
    void RunRequest();

    // Passes and their steps, on the worker thread.
    StepResult Prepare();
    // Each item comes with its attributes as listed (read once for a
    // top-level source); INVALID_FILE_ATTRIBUTES: it does not exist.
    StepResult CountItem(const wchar_t* path, DWORD attributes);
    StepResult CopyOrMovePass(bool move);
    StepResult CopyOrMoveItem(const wchar_t* source, DWORD attributes, const wchar_t* destination, bool move);
    StepResult CopyOrMoveFile(const wchar_t* source, DWORD attributes, const wchar_t* target, bool move);
    StepResult DeletePass();
    StepResult DeleteItem(const wchar_t* path, DWORD attributes);
    StepResult RenameStep();
    bool PassesRecursionGuard(const wchar_t* source);
    // Calls `step` for every entry of `folder` with the entry's name and
    // attributes (in-ROM bit included), testing
    // the cancel flag before each; the first result other than Continue ends
    // the walk and is returned.
    template <class Step>
    StepResult ForEachEntry(const wchar_t* folder, Step step);
    // Asks `question` while confirmations are on, showing its item first.
    // Empty: go on with the item; otherwise what the step returns (Continue
    // for a skip, `onStop` for Cancel). All turns the later questions off.
    template <class Question>
    std::optional<StepResult> Confirm(StepResult onStop, Question question);
    // Joins folder and name; a result that would not fit is refused with a
    // message rather than cut into another name.
    bool Join(wchar_t* out, const wchar_t* folder, const wchar_t* name);
    // False, after a message, for a given path of kMaxPath units or more.
    bool FitsPath(const wchar_t* path);

    // The dialog's texts and bar, from the worker.
    void SetLabels(const wchar_t* caption, const wchar_t* sourceLabel, const wchar_t* destinationLabel);
    void ShowProgress(const wchar_t* source, const wchar_t* destination);
    // Shows the item and share ShowProgress has held back, if any.
    void FlushProgress();
    void PaintBar(int percent);

    static constexpr DWORD kRefreshIntervalMs = 100;
    int shownPercent_ = -1;
    int pendingPercent_ = 0;
    // One of the dialog's item texts: the text its control shows and the
    // one held back for it, in two slots that swap roles when it is shown.
    class ProgressText {
    public:
        wchar_t* Pending() { return slots_[1 - shown_]; }
        const wchar_t* Shown() const { return slots_[shown_]; }
        // True, and the pending text is now the shown one, when they differ.
        bool TakeChange();
        // The control was emptied.
        void Reset();

    private:
        wchar_t slots_[2][kMaxPath] = {L"", L""};
        int shown_ = 0;
    };
    ProgressText source_;
    ProgressText target_;
    bool progressPending_ = false;
    bool progressShown_ = false;
    DWORD progressShownAt_ = 0;
};
