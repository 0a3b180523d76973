// The file operation engine: the worker's passes over the request and the
// progress dialog they report to.
#include "fileops/fileop.h"

#include <cwchar>
#include <exception>

#include "fileops/confirm.h"
#include "fileops/primitives.h"
#include "fileops/walk.h"
#include "framework/errorbox.h"
#include "framework/gdi.h"
#include "framework/language.h"
#include "framework/paths.h"
#include "framework/window.h"
#include "platform/cestatus.h"
#include "resources/resource.h"

namespace {

// Sent by the worker as its last act: the dialog ends itself on its own thread.
constexpr UINT kWorkerDone = WM_APP + 0x61;

// Folder-ness from attributes as listed; a path that does not exist is a file.
bool IsFolderAttributes(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Equal ignoring case, compared as the file system compares names.
bool SameText(const wchar_t* a, int aLength, const wchar_t* b, int bLength) {
    return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

// How an answer steers the walk: Cancel stops, No skips, All stops asking.
enum class Answer { Proceed, Skip, Stop };

Answer Steer(int answer, bool& confirm) {
    if (answer == kAnswerCancel) return Answer::Stop;
    if (answer == kAnswerNo) return Answer::Skip;
    if (answer == kAnswerAll) confirm = false;
    return Answer::Proceed;
}

// Waits for `thread` while this thread's messages go on: a question the
// worker asks is owned by a window of this thread, and making it sends here.
// A WM_QUIT taken on the way is posted again for the caller's loop.
void WaitPumping(HANDLE thread) {
    bool quit = false;
    WPARAM quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = message.wParam;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace

bool RunFileOperation(const FileOpRequest& request) {
    FDlgFileOp dialog(request);
    const bool done = DoModal(dialog, request.owner, ByLanguage(L"FDlgFileOp_E", L"FDlgFileOp_J")) == 1;
    dialog.StopWorker();
    return done;
}

// ---- The dialog -----------------------------------------------------------------

INT_PTR FDlgFileOp::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kWorkerDone) {
        EndDialog(hwnd, 1);
        return TRUE;
    }
    return FDlg::DialogProc(hwnd, message, wParam, lParam);
}

INT_PTR FDlgFileOp::OnInitDialog(HWND hwnd, UINT, WPARAM, LPARAM) {
    CenterWindow(hwnd);
    cancel = false;
    DWORD threadId = 0;
    worker = CreateThread(nullptr, 0, WorkerMain, this, 0, &threadId);
    if (!worker) {
        ShowError(hwnd, L"Error CreateThread %d", static_cast<int>(GetLastError()));
        PostMessageW(hwnd, kWorkerDone, 0, 0);
    }
    return TRUE;
}

// The worker ends the dialog as its last act, so after a normal end this
// wait is over at once. A dialog destroyed under the worker (its owner went
// away) ends the modal loop early: the worker is stopped and waited for,
// lest it go on with this object gone.
void FDlgFileOp::StopWorker() {
    if (!worker) return;
    cancel = true;
    WaitPumping(worker);
    CloseHandle(worker);
    worker = nullptr;
}

INT_PTR FDlgFileOp::OnCommand(HWND, UINT, WPARAM wParam, LPARAM) {
    if (LOWORD(wParam) == IDCANCEL) cancel = true;
    return TRUE;
}

INT_PTR FDlgFileOp::OnPaint(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

DWORD WINAPI FDlgFileOp::WorkerMain(void* self) {
    auto* dialog = static_cast<FDlgFileOp*>(self);
    const HWND hwnd = dialog->hwnd;
    try {
        dialog->RunRequest();
    } catch (...) {
        ShowFatal(hwnd, L"FileOperation");
    }
    // The last touch of the dialog: it ends on its own thread.
    SendMessageW(hwnd, kWorkerDone, 0, 0);
    return 0;
}

void FDlgFileOp::RunRequest() {
    const wchar_t* sources = request->sources ? request->sources : L"\0";
    severalItems = sources[0] && (sources[std::wcslen(sources) + 1] != L'\0' || IsFolder(sources));
    confirm = !(request->flags & FOF_NOCONFIRMATION);
    if (Prepare() != StepResult::Continue) return;
    switch (request->kind) {
    case FO_MOVE: CopyOrMovePass(true); break;
    case FO_COPY: CopyOrMovePass(false); break;
    case FO_DELETE: DeletePass(); break;
    case FO_RENAME: RenameStep(); break;
    default: break;
    }
}

// ---- Texts and the bar -----------------------------------------------------------

void FDlgFileOp::SetLabels(const wchar_t* caption, const wchar_t* sourceLabel, const wchar_t* destinationLabel) {
    SetWindowTextW(hwnd, caption);
    SetDlgItemTextW(hwnd, IDC_FILEOP_SOURCE_LABEL, sourceLabel);
    SetDlgItemTextW(hwnd, IDC_FILEOP_SOURCE, L"");
    SetDlgItemTextW(hwnd, IDC_FILEOP_TARGET_LABEL, destinationLabel);
    SetDlgItemTextW(hwnd, IDC_FILEOP_TARGET, L"");
    source_.Reset();
    target_.Reset();
}

void FDlgFileOp::ProgressText::Reset() {
    slots_[0][0] = slots_[1][0] = L'\0';
    shown_ = 0;
}

bool FDlgFileOp::ProgressText::TakeChange() {
    if (std::wcscmp(slots_[0], slots_[1]) == 0) return false;
    // The pending slot becomes the shown one; the old shown slot takes the
    // next item's text. No text is copied a second time.
    shown_ = 1 - shown_;
    return true;
}

void FDlgFileOp::ShowProgress(const wchar_t* source, const wchar_t* destination) {
    // Texts and bar are shown at most every kRefreshIntervalMs: each showing
    // is messages to the other thread and repaints, dearer than deleting a
    // small file, and nobody reads names that change faster. The first item
    // is always shown, and a question shows the item it asks about first.
    lstrcpynW(source_.Pending(), source, kMaxPath);
    lstrcpynW(target_.Pending(), destination, kMaxPath);
    // The share finished before this item: the counters rise after it.
    const long long total = static_cast<long long>(foldersTotal) + filesTotal;
    const long long done = static_cast<long long>(foldersDone) + filesDone;
    pendingPercent_ = total > 0 ? static_cast<int>(done * 100 / total) : 0;
    progressPending_ = true;
    if (!progressShown_ || GetTickCount() - progressShownAt_ >= kRefreshIntervalMs) FlushProgress();
}

void FDlgFileOp::FlushProgress() {
    if (!progressPending_) return;
    // Each text goes to its control only when it differs from the one shown:
    // a delete's destination, always empty, is never sent again.
    if (source_.TakeChange()) SetDlgItemTextW(hwnd, IDC_FILEOP_SOURCE, source_.Shown());
    if (target_.TakeChange()) SetDlgItemTextW(hwnd, IDC_FILEOP_TARGET, target_.Shown());
    // Painting the same bar again shows nothing new.
    if (pendingPercent_ != shownPercent_) PaintBar(pendingPercent_);
    progressPending_ = false;
    progressShown_ = true;
    progressShownAt_ = GetTickCount();
}

void FDlgFileOp::PaintBar(int percent) {
    HWND placeholder = GetDlgItem(hwnd, IDC_FILEOP_GAUGE);
    if (!placeholder) return;
    RECT bar;
    GetWindowRect(placeholder, &bar);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&bar), 2);
    FClientDC dc(hwnd);
    if (!dc) return;
    DrawGauge(dc.Get(), bar.left, bar.top, bar.right - bar.left, bar.bottom - bar.top, 0, percent, nullptr);
    shownPercent_ = percent;
}

// ---- Walking folders --------------------------------------------------------------

bool FDlgFileOp::Join(wchar_t* out, const wchar_t* folder, const wchar_t* name) {
    if (JoinPath(out, folder, name)) return true;
    ShowError(hwnd, ByLanguage(L"The path is too long:\n%s\\%s", L"ﾊﾟｽが長すぎます:\n%s\\%s"), folder, name);
    return false;
}

bool FDlgFileOp::FitsPath(const wchar_t* path) {
    if (wcsnlen(path, kMaxPath) < kMaxPath) return true;
    ShowError(hwnd, ByLanguage(L"The path is too long:\n%s", L"ﾊﾟｽが長すぎます:\n%s"), path);
    return false;
}

template <class Step>
StepResult FDlgFileOp::ForEachEntry(const wchar_t* folder, Step step) {
    wchar_t pattern[kMaxPath];
    if (!Join(pattern, folder, L"*.*")) return StepResult::Failed;
    StepResult result = StepResult::Continue;
    ForEachFound(pattern, [&](const WIN32_FIND_DATAW& data) {
        result = cancel ? StepResult::Cancelled : step(data.cFileName, data.dwFileAttributes);
        return result == StepResult::Continue;
    });
    return result;
}

template <class Question>
std::optional<StepResult> FDlgFileOp::Confirm(StepResult onStop, Question question) {
    if (!confirm) return std::nullopt;
    FlushProgress();
    switch (Steer(question(), confirm)) {
    case Answer::Stop: return onStop;
    case Answer::Skip: return StepResult::Continue;
    case Answer::Proceed: break;
    }
    return std::nullopt;
}

// ---- Preparation --------------------------------------------------------------------

StepResult FDlgFileOp::Prepare() {
    SetWindowTextW(hwnd, ByLanguage(L"Prepare operation", L"準備中..."));
    SetDlgItemTextW(hwnd, IDC_FILEOP_SOURCE_LABEL, ByLanguage(L"Folders:", L"ﾌｫﾙﾀﾞ数:"));
    for (const wchar_t* source = request->sources; source && *source; source += std::wcslen(source) + 1) {
        depth = 0;
        if (!FitsPath(source)) return StepResult::Failed;
        const StepResult result = CountItem(source, ce::GetFileAttributesW(source));
        if (result != StepResult::Continue) return result;
    }
    return StepResult::Continue;
}

StepResult FDlgFileOp::CountItem(const wchar_t* path, DWORD attributes) {
    if (!IsFolderAttributes(attributes)) {
        ++filesTotal;
        return StepResult::Continue;
    }
    ++foldersTotal;
    wchar_t count[16];
    wsprintfW(count, L"%u", static_cast<unsigned>(foldersTotal));
    SetDlgItemTextW(hwnd, IDC_FILEOP_SOURCE, count);
    return ForEachEntry(path, [&](const wchar_t* name, DWORD childAttributes) {
        wchar_t child[kMaxPath];
        if (!Join(child, path, name)) return StepResult::Failed;
        return CountItem(child, childAttributes);
    });
}

// ---- Copy and move ------------------------------------------------------------------

bool FDlgFileOp::PassesRecursionGuard(const wchar_t* source) {
    const wchar_t* destination = request->destination ? request->destination : L"";
    wchar_t parent[kMaxPath];
    wchar_t name[kMaxPath];
    SplitPath(parent, name, source);
    const int parentLength = static_cast<int>(std::wcslen(parent));
    const int destinationLength = static_cast<int>(std::wcslen(destination));
    const int sourceLength = static_cast<int>(std::wcslen(source));
    bool recursive = SameText(parent, parentLength, destination, destinationLength);
    if (!recursive && destinationLength >= sourceLength && SameText(destination, sourceLength, source, sourceLength))
        recursive = destination[sourceLength] == L'\0' || destination[sourceLength] == L'\\';
    if (!recursive) return true;
    ShowError(hwnd, ByLanguage(L"Source to destination is recursive", L"送り側と受け側が同じです"));
    return false;
}

StepResult FDlgFileOp::CopyOrMovePass(bool move) {
    if (move)
        SetLabels(ByLanguage(L"Move files in progress...", L"ﾌｧｲﾙ移動中..."), ByLanguage(L"Source:", L"移動元:"),
                  ByLanguage(L"Destination:", L"移動先:"));
    else
        SetLabels(ByLanguage(L"Copy files in progress...", L"ﾌｧｲﾙｺﾋﾟｰ中..."), ByLanguage(L"Source:", L"ｺﾋﾟｰ元:"),
                  ByLanguage(L"Destination:", L"ｺﾋﾟｰ先:"));
    const wchar_t* destination = request->destination ? request->destination : L"";
    if (!FitsPath(destination)) return StepResult::Failed;
    for (const wchar_t* source = request->sources; source && *source; source += std::wcslen(source) + 1) {
        if (!PassesRecursionGuard(source)) return StepResult::Failed;
        depth = 0;
        const StepResult result = CopyOrMoveItem(source, ce::GetFileAttributesW(source), destination, move);
        if (result != StepResult::Continue) return result;
    }
    return StepResult::Continue;
}

StepResult FDlgFileOp::CopyOrMoveItem(const wchar_t* source, DWORD attributes, const wchar_t* destination,
                                      bool move) {
    ShowProgress(source, destination);
    wchar_t folder[kMaxPath];
    wchar_t name[kMaxPath];
    SplitPath(folder, name, source);

    if (!IsFolderAttributes(attributes)) {
        ++filesDone;
        wchar_t target[kMaxPath];
        if (IsFolder(destination)) {
            if (!Join(target, destination, name)) return StepResult::Failed;
        } else {
            lstrcpynW(target, destination, kMaxPath);
        }
        return CopyOrMoveFile(source, attributes, target, move);
    }

    ++foldersDone;
    wchar_t target[kMaxPath];
    if (depth == 0) {
        if (!Join(target, destination, name)) return StepResult::Failed;
    } else {
        lstrcpynW(target, destination, kMaxPath);
    }
    if (IsFolder(target)) {
        if (auto stop = Confirm(StepResult::Cancelled, [&] { return AskReplaceFolder(hwnd, target, severalItems); }))
            return *stop;
    } else if (!CreateFolderPath(hwnd, target)) {
        return StepResult::Failed;
    }

    const StepResult result = ForEachEntry(source, [&](const wchar_t* entry, DWORD entryAttributes) {
        wchar_t childSource[kMaxPath];
        wchar_t childTarget[kMaxPath];
        if (!Join(childSource, source, entry) || !Join(childTarget, target, entry)) return StepResult::Failed;
        ++depth;
        const StepResult child = CopyOrMoveItem(childSource, entryAttributes, childTarget, move);
        --depth;
        return child;
    });
    if (result != StepResult::Continue) return result;
    if (move && !RemoveFolderChecked(hwnd, source)) return StepResult::Failed;
    return StepResult::Continue;
}

StepResult FDlgFileOp::CopyOrMoveFile(const wchar_t* source, DWORD attributes, const wchar_t* target, bool move) {
    if (PathExists(target)) {
        if (auto stop = Confirm(StepResult::Failed, [&] { return AskReplaceFile(hwnd, source, target, severalItems); }))
            return *stop;
        // Shown when it fails, but the copy or move is tried all the same.
        (void)SetAttributesChecked(hwnd, target, FILE_ATTRIBUTE_NORMAL);
        // The move takes the target's place in one step, so that a failing
        // move never leaves the old target deleted.
        if (move)
            return MoveFileReplacing(hwnd, source, target, attributes) ? StepResult::Continue : StepResult::Failed;
    }
    const bool done = move ? MoveFileChecked(hwnd, source, target, attributes)
                           : CopyFileChecked(hwnd, source, target, attributes);
    return done ? StepResult::Continue : StepResult::Failed;
}

// ---- Delete -------------------------------------------------------------------------

StepResult FDlgFileOp::DeletePass() {
    SetLabels(ByLanguage(L"Delete files in progress...", L"ﾌｧｲﾙ削除中..."),
              ByLanguage(L"Delete file:", L"削除するﾌｧｲﾙ:"), L"");
    for (const wchar_t* source = request->sources; source && *source; source += std::wcslen(source) + 1) {
        const StepResult result = DeleteItem(source, ce::GetFileAttributesW(source));
        if (result != StepResult::Continue) return result;
    }
    return StepResult::Continue;
}

StepResult FDlgFileOp::DeleteItem(const wchar_t* path, DWORD attributes) {
    ShowProgress(path, L"");
    if (!IsFolderAttributes(attributes)) {
        ++filesDone;
        if (auto stop = Confirm(StepResult::Failed, [&] { return AskDeleteFile(hwnd, path, severalItems); }))
            return *stop;
        return DeleteFileChecked(hwnd, path, attributes) ? StepResult::Continue : StepResult::Failed;
    }
    ++foldersDone;
    const StepResult result = ForEachEntry(path, [&](const wchar_t* name, DWORD childAttributes) {
        wchar_t child[kMaxPath];
        if (!Join(child, path, name)) return StepResult::Failed;
        return DeleteItem(child, childAttributes);
    });
    if (result != StepResult::Continue) return result;
    // A folder that still holds a skipped or in-ROM file stays, silently.
    // Only a protected folder needs its attributes cleared first; the
    // listing has told which ones are.
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM))
        SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path);
    return StepResult::Continue;
}

// ---- Rename ---------------------------------------------------------------------------

StepResult FDlgFileOp::RenameStep() {
    // Renaming is the folder view's own work; the request only shows its labels.
    SetLabels(ByLanguage(L"Rename files in progress...", L"ﾌｧｲﾙ移動中..."), ByLanguage(L"Source:", L"変更前:"),
              ByLanguage(L"Destination:", L"変更後:"));
    return StepResult::Failed;
}
