// What the file dialog tests share: the dialog driven from inside its own
// modal loop, and the fixture with a scratch folder and a request. Included
// by filedialog_test.cpp and filedialog_find_test.cpp.
#pragma once

#include "filedialog/filedialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/appvalues.h"
#include "framework/language.h"
#include "platform/aygshell.h"
#include "platform/deviceprofile.h"
#include "resources/resource.h"
#include "tests/support/testsupport.h"

namespace filedialogfixture {

// The dialog with a test body run once its start is over. A body that
// leaves the dialog open ends it with kStayedOpen: the message that does so
// is never served once the dialog has ended.
constexpr INT_PTR kStayedOpen = 77;
constexpr UINT kRunBody = WM_APP + 7;
constexpr UINT kEndIfOpen = WM_APP + 8;
constexpr UINT kCloseMenu = WM_APP + 9;

class DrivenDialog : public FDlgGetFileName {
public:
    std::function<void(DrivenDialog&)> body;

    INT_PTR DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == kEndIfOpen) {
            EndDialog(window, kStayedOpen);
            return TRUE;
        }
        if (message == WM_INITMENUPOPUP) {
            // Read the popup as it is about to show, then close it from
            // the menu's own loop, which serves the posted message once the
            // popup is up.
            menus.push_back(ReadMenu(reinterpret_cast<HMENU>(wParam)));
            PostMessageW(window, kCloseMenu, 0, 0);
        }
        if (message == kCloseMenu) {
            EndMenu();
            return TRUE;
        }
        if (message != kRunBody) return FDlgGetFileName::DialogProc(window, message, wParam, lParam);
        if (body) body(*this);
        PostMessageW(window, kEndIfOpen, 0, 0);
        return TRUE;
    }
    INT_PTR OnInitDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        INT_PTR result = FDlgGetFileName::OnInitDialog(window, message, wParam, lParam);
        PostMessageW(window, kRunBody, 0, 0);
        return result;
    }

    // Types `text` into the file-name box and presses OK there.
    void TypeAndOk(const std::wstring& text) {
        SetDlgItemTextW(hwnd, IDC_FILE_NAME, text.c_str());
        SetFocus(GetDlgItem(hwnd, IDC_FILE_NAME));
        Ok();
    }
    void Ok() { SendMessageW(hwnd, WM_COMMAND, IDOK, 0); }
    void Command(int id) { SendMessageW(hwnd, WM_COMMAND, id, 0); }
    std::wstring Where() const {
        wchar_t text[kMaxPath];
        view->LocationPath(text);
        return text;
    }
    bool ButtonEnabled(int command) const {
        return SendMessageW(menuBar, TB_ISBUTTONENABLED, command, 0) != 0;
    }
    std::wstring FolderBarText() const {
        wchar_t text[kMaxPath] = L"";
        TBBUTTONINFOW info{};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_TEXT | TBIF_IMAGE;
        info.pszText = text;
        info.cchText = kMaxPath;
        SendMessageW(FolderBar, TB_GETBUTTONINFOW, IDM_FOLDER_LOCATION, reinterpret_cast<LPARAM>(&info));
        folderBarImage = info.iImage;
        return text;
    }
    mutable int folderBarImage = -1;
    // Every popup shown: its items as "text" with "(grey)" and "(mark)".
    std::vector<std::vector<std::wstring>> menus;

private:
    static std::vector<std::wstring> ReadMenu(HMENU menu) {
        std::vector<std::wstring> items;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t text[kMaxPath] = L"";
            MENUITEMINFOW item{};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_STRING | MIIM_STATE | MIIM_FTYPE;
            item.dwTypeData = text;
            item.cch = kMaxPath;
            GetMenuItemInfoW(menu, i, TRUE, &item);
            if (item.fType & MFT_SEPARATOR) continue;
            std::wstring shown = text;
            if (item.fState & MFS_GRAYED) shown += L"(grey)";
            if (item.fState & MFS_CHECKED) shown += L"(mark)";
            items.push_back(shown);
        }
        return items;
    }
};

class FileDialog : public testing::Test {
protected:
    void SetUp() override {
        UseEnglishDeviceValues();
        std::fill(std::begin(result), std::end(result), L'\x6666');
        result[0] = L'\0';
        request.lStructSize = sizeof(request);
        request.lpstrFile = result;
        request.nMaxFile = kMaxPath;
        request.lpstrInitialDir = initial.c_str();
    }
    void TearDown() override { LangJapanese = false; }

    // Runs the dialog with `body`; returns its end code.
    INT_PTR Run(const std::function<void(DrivenDialog&)>& body, bool save = false) {
        request.lpstrInitialDir = initial.c_str();
        DrivenDialog dialog;
        dialog.body = body;
        return dialog.Run(save, request);
    }
    std::wstring File(const std::wstring& name) const { return folder.WriteFile(name, "x"); }
    std::wstring Folder(const std::wstring& name) const {
        CreateDirectoryW((folder / name).c_str(), nullptr);
        return folder / name;
    }

    ScratchFolder folder;
    std::wstring initial = folder.Path();
    wchar_t result[kMaxPath + 8];
    OPENFILENAMEW request{};
};

}  // namespace filedialogfixture
