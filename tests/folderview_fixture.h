// What the folder view tests share: a dialog hosting the view's list
// control as the file dialog does, a chooser for the view's menus, in-ROM
// files, and the fixture. Included by folderview_test.cpp and
// folderview_edit_test.cpp.
#pragma once

#include "filedialog/folderview.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "framework/dialog.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"
#include "resources/resource.h"
#include "shell/fileitem.h"
#include "tests/support/answerer.h"
#include "tests/support/testsupport.h"

namespace folderviewfixture {

// ---- The hosting dialog ----------------------------------------------------------------------

class ViewDialog : public FDlg {
public:
    std::function<void(ViewDialog&)> body;
    std::unique_ptr<FFolderView> view;
    std::vector<int> otherCommands;  // commands the view did not take
    int commands = 0;                // commands the dialog received
    int dispInfos = 0;               // image questions the control asked

    INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP) {
            body(*this);
            view.reset();
            EndDialog(window, IDOK);
            return TRUE;
        }
        return FDlg::DialogProc(window, message, wParam, lParam);
    }
    INT_PTR OnInitDialog(HWND window, UINT, WPARAM, LPARAM) override {
        view = std::make_unique<FFolderView>(GetDlgItem(window, IDC_FOLDER_LIST));
        PostMessageW(window, WM_APP, 0, 0);
        return TRUE;
    }
    INT_PTR OnCommand(HWND, UINT, WPARAM wParam, LPARAM) override {
        ++commands;
        if (!view || !view->OnCommand(LOWORD(wParam))) otherCommands.push_back(LOWORD(wParam));
        return TRUE;
    }
    INT_PTR OnNotify(HWND, UINT, WPARAM, LPARAM lParam) override {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (!view || header->idFrom != IDC_FOLDER_LIST) return FALSE;
        switch (header->code) {
        case LVN_GETDISPINFOW:
            if (reinterpret_cast<NMLVDISPINFOW*>(lParam)->item.mask & LVIF_IMAGE) ++dispInfos;
            view->OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return TRUE;
        case LVN_BEGINLABELEDITW:
            SetNotifyResult(view->OnBeginLabelEdit(*reinterpret_cast<NMLVDISPINFOW*>(lParam)));
            return TRUE;
        case LVN_ENDLABELEDITW:
            SetNotifyResult(view->OnEndLabelEdit(*reinterpret_cast<NMLVDISPINFOW*>(lParam)));
            return TRUE;
        case LVN_KEYDOWN:
            view->OnKeyDown(*reinterpret_cast<NMLVKEYDOWN*>(lParam));
            return TRUE;
        case LVN_COLUMNCLICK:
            view->OnColumnClick(*reinterpret_cast<NMLISTVIEW*>(lParam));
            return TRUE;
        default:
            return FALSE;
        }
    }
    INT_PTR OnPaint(HWND, UINT, WPARAM, LPARAM) override { return FALSE; }

    HWND List() const { return view->hwnd; }
    // Moves to a plain folder and lists it.
    void Show(const std::wstring& folder) {
        EXPECT_TRUE(view->MoveToLocation(kPlainFolder, folder.c_str())) << Narrow(folder);
        view->RefreshWhenStale(false);
    }
};

// Runs `body` inside the dialog's modal loop.
inline void RunView(const std::function<void(ViewDialog&)>& body) {
    ViewDialog dialog;
    dialog.body = body;
    ASSERT_EQ(DoModal(dialog, nullptr, L"FolderViewTest"), IDOK);
}

inline std::wstring ItemText(HWND list, int index, int column = 0) {
    wchar_t text[kMaxPath + 8] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = kMaxPath + 8;
    SendMessageW(list, LVM_GETITEMTEXTW, index, reinterpret_cast<LPARAM>(&item));
    return text;
}

inline int ItemCount(HWND list) { return static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

inline std::vector<std::wstring> Names(HWND list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < ItemCount(list); ++i) names.push_back(ItemText(list, i));
    return names;
}

inline std::string Joined(const std::vector<std::wstring>& names) {
    std::string text;
    for (const auto& name : names) text += (text.empty() ? "" : "|") + Narrow(name);
    return text;
}

inline bool IsSelected(HWND list, int index) {
    return SendMessageW(list, LVM_GETITEMSTATE, index, LVIS_SELECTED) & LVIS_SELECTED;
}

inline void Select(HWND list, int index, bool on) {
    LVITEMW state{};
    state.stateMask = LVIS_SELECTED;
    state.state = on ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&state));
}

inline int IndexOf(HWND list, const std::wstring& name) {
    for (int i = 0; i < ItemCount(list); ++i)
        if (ItemText(list, i) == name) return i;
    return -1;
}

// The header item that shows an arrow, and which (0 up, 1 down); -1, -1 for none.
inline std::pair<int, int> Arrow(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    std::pair<int, int> found{-1, -1};
    for (int i = 0; i < 4; ++i) {
        HDITEMW item{};
        item.mask = HDI_FORMAT | HDI_IMAGE;
        SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        if (item.fmt & HDF_IMAGE) {
            EXPECT_TRUE(item.fmt & HDF_BITMAP_ON_RIGHT) << "column " << i;
            EXPECT_EQ(found.first, -1) << "a second arrow in column " << i;
            found = {i, item.iImage};
        }
    }
    return found;
}

// Chooses the item of `command` in the next popup menu as a user does: Down
// until it is highlighted, then Enter. Notes what the menu showed. The
// popup's modal loop serves the thread timer that drives it.
class MenuChooser {
public:
    explicit MenuChooser(int command) : command_(command) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 20, Tick);
    }
    ~MenuChooser() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }

    bool chosen = false;
    int marked = 0;    // the command with the radio mark
    RECT shown{};      // where the popup was, in screen coordinates

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        MenuChooser& self = *current_;
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (self.chosen || !popup || !IsWindowVisible(popup)) return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        if (++self.ticks_ > 100 || !menu) {
            // Never found: close the menu so that the test fails rather than hangs.
            PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
            return;
        }
        if (self.ticks_ == 1) GetWindowRect(popup, &self.shown);
        int highlighted = 0;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
            if (state & MF_CHECKED) self.marked = static_cast<int>(GetMenuItemID(menu, i));
            if (state & MF_HILITE) highlighted = static_cast<int>(GetMenuItemID(menu, i));
        }
        if (highlighted == self.command_) {
            PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
            self.chosen = true;
        } else {
            PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
        }
    }

    static inline MenuChooser* current_ = nullptr;
    int command_;
    int ticks_ = 0;
    UINT_PTR timer_ = 0;
};

// Clicks the header of column `column` as the stylus would.
inline void ClickHeader(HWND list, int column) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT rect{};
    SendMessageW(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(header, WM_LBUTTONUP, 0, at);
}

inline void SetWriteTime(const std::wstring& path, ULONGLONG time) {
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    FILETIME stamp{static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
}

// The error boxes an answerer saw, the hosting dialog left out.
inline size_t ErrorBoxes(const Answerer& answerer) {
    size_t boxes = 0;
    for (const DialogSeen& seen : answerer.seen) boxes += !seen.question && seen.caption != L"Folder view";
    return boxes;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Edits the label of item `index` through the control: types `text` and
// presses Enter (or Escape when `cancel`). False when no edit started.
inline bool EditLabel(HWND list, int index, const std::wstring& text, bool cancel = false) {
    SetFocus(list);
    HWND edit = reinterpret_cast<HWND>(SendMessageW(list, LVM_EDITLABELW, index, 0));
    if (!edit) return false;
    SetWindowTextW(edit, text.c_str());
    SendMessageW(edit, WM_KEYDOWN, cancel ? VK_ESCAPE : VK_RETURN, 0);
    ServeUntil("the label edit to end", [&] { return !SendMessageW(list, LVM_GETEDITCONTROL, 0, 0); });
    return true;
}

// The device profile's in-ROM list for one test, emptied afterwards.
class InRomList {
public:
    explicit InRomList(const std::vector<std::wstring>& paths) {
        std::wstring multi;
        for (const auto& path : paths) multi += path + L'\0';
        multi += L'\0';
        WriteProfileValue(L"", ce::kProfileInRomFiles, REG_MULTI_SZ, multi.c_str(),
                          static_cast<DWORD>(multi.size() * sizeof(wchar_t)));
    }
    ~InRomList() {
        const wchar_t empty[2] = {L'\0', L'\0'};
        WriteProfileValue(L"", ce::kProfileInRomFiles, REG_MULTI_SZ, empty, sizeof empty);
    }
};

class FolderView : public testing::Test {
protected:
    void SetUp() override {
        UseEnglishDeviceValues();
    }
    void TearDown() override { LangJapanese = false; }

    std::wstring File(const std::wstring& name, size_t bytes = 10) const {
        return folder.WriteFile(name, std::string(bytes, 'x'));
    }
    std::wstring Folder(const std::wstring& name) const {
        CreateDirectoryW((folder / name).c_str(), nullptr);
        return folder / name;
    }

    ScratchFolder folder;
};

// A stand-in for an applet: no attributes, type text or time.
class NamedEntry : public ListEntry {
public:
    NamedEntry(LocationCode kind, const wchar_t* name, std::uint32_t size) : ListEntry(kind, 6), name_(name), size_(size) {}
    const wchar_t* Name() const override { return name_; }
    std::uint32_t Size() const override { return size_; }

private:
    const wchar_t* name_;
    std::uint32_t size_;
};

inline std::unique_ptr<FileItem> MakeItem(const wchar_t* name, DWORD attributes, DWORD size, ULONGLONG time,
                                   const wchar_t* type) {
    WIN32_FIND_DATAW data{};
    data.dwFileAttributes = attributes;
    data.nFileSizeLow = size;
    data.ftLastWriteTime = {static_cast<DWORD>(time), static_cast<DWORD>(time >> 32)};
    lstrcpynW(data.cFileName, name, MAX_PATH);
    auto item = std::make_unique<FileItem>(L"\\f", data);
    item->SetTypeText(type);
    return item;
}

}  // namespace folderviewfixture
