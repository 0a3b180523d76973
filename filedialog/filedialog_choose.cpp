// The file selection dialog: choosing from the list, typing a name, and the
// rules by which a path is finally accepted.
//
// Every path that is joined, extended or read from a shortcut must fit in
// kMaxPath units and the result in the caller's nMaxFile units; one that
// would not is refused with a beep and the dialog stays open, because a cut
// path names another file.
//
// A typed path or a shortcut's target is made canonical before it is gone to
// or accepted ("." and ".." resolved, no doubled backslashes), so that no
// location shown, remembered or handed back carries them. A ".." that would
// climb above the root is refused in the same way.
#include <cwchar>

#include "filedialog/filedialog.h"
#include "framework/language.h"
#include "resources/resource.h"

namespace {

// The handheld shell's shortcut target buffer.
constexpr int kShortcutTargetUnits = 520;
constexpr int kQuestionUnits = kMaxPath + 96;

void Refuse() { MessageBeep(MB_ICONEXCLAMATION); }

}  // namespace

void FDlgGetFileName::OnSelectionChange() {
    const int index = static_cast<int>(
        SendMessageW(view->hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED | LVNI_FOCUSED));
    wchar_t path[kMaxPath];
    const LocationCode kind = view->EntryPath(index, path);
    if (kind == kNoLocation || IsSpecialLocation(kind) || IsFolder(path)) return;
    SetDlgItemTextW(hwnd, IDC_FILE_NAME, FindFileName(path));
}

void FDlgGetFileName::OpenSelection() {
    const int index = static_cast<int>(
        SendMessageW(view->hwnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED | LVNI_FOCUSED));
    wchar_t path[kMaxPath];
    if (view->EntryPath(index, path) == kNoLocation) return;
    OpenOrAccept(path);
}

void FDlgGetFileName::AcceptTypedName() {
    // One unit more than a path may have, so that a longer text shows.
    wchar_t typed[kMaxPath + 1] = L"";
    GetDlgItemTextW(hwnd, IDC_FILE_NAME, typed, kMaxPath + 1);
    if (!typed[0]) return;
    if (std::wcslen(typed) >= static_cast<size_t>(kMaxPath)) return Refuse();

    // No location joins like the Desktop: the text as it stands.
    wchar_t folder[kMaxPath] = L"";
    if (view->location != kNoLocation) view->LocationPath(folder);
    wchar_t joined[kMaxPath];
    if (!JoinPath(joined, folder, typed) || !CanonicalizePath(joined)) return Refuse();
    OpenOrAccept(joined);
}

void FDlgGetFileName::OpenOrAccept(const wchar_t* chosen) {
    wchar_t path[kMaxPath];
    if (wcsnlen(chosen, kMaxPath) >= static_cast<size_t>(kMaxPath)) return Refuse();
    lstrcpynW(path, chosen, kMaxPath);

    if (IsShortcut(path)) {
        wchar_t target[kShortcutTargetUnits];
        // An unreadable shortcut, or one without a target, is a plain file.
        if (ReadShortcutTarget(path, target, kShortcutTargetUnits) && target[0]) {
            if (std::wcslen(target) >= static_cast<size_t>(kMaxPath)) return Refuse();
            lstrcpynW(path, target, kMaxPath);
            if (!CanonicalizePath(path)) return Refuse();
        } else {
            return AcceptName(path);
        }
    }
    const LocationCode code = LookupLocation(path);
    if (IsSpecialLocation(code)) {
        Navigate(code, path, true);
        return;
    }
    if (IsFolder(path)) {
        Navigate(kPlainFolder, path, true);
        return;
    }
    AcceptName(path);
}

void FDlgGetFileName::AcceptName(const wchar_t* chosen) {
    wchar_t path[kMaxPath];
    lstrcpynW(path, chosen, kMaxPath);

    // Open mode checks the name as typed, so that "abc" never stands for an
    // existing abc.ini; Save mode extends it first, so that the question is
    // asked about the file that will be written.
    if (!save && (request->Flags & OFN_FILEMUSTEXIST) && !PathExists(path)) return;

    const wchar_t* extension = request->lpstrDefExt;
    if (extension && extension[0] && !FindExtension(path)[0]) {
        const size_t length = std::wcslen(path);
        if (length + 1 + std::wcslen(extension) >= static_cast<size_t>(kMaxPath)) return Refuse();
        path[length] = L'.';
        lstrcpynW(path + length + 1, extension, kMaxPath - static_cast<int>(length) - 1);
    }

    if (save && (request->Flags & OFN_OVERWRITEPROMPT) && PathExists(path)) {
        wchar_t question[kQuestionUnits];
        swprintf(question, kQuestionUnits,
                 ByLanguage(L"%ls is already exists. Do you want to replace it?", L"%ls は既に存在します。上書きしますか?"),
                 path);
        if (MessageBoxW(hwnd, question, L"Save", MB_YESNO | MB_ICONEXCLAMATION) != IDYES) return;
    }

    const size_t length = std::wcslen(path);
    if (!request->lpstrFile || length + 1 > request->nMaxFile) return Refuse();
    std::wmemcpy(request->lpstrFile, path, length + 1);
    EndDialog(hwnd, IDOK);
}
